#include "shell/qtports.h"

#include "views/qtext.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QProgressDialog>

namespace quivra {

QtProgress::QtProgress(QWidget *window, QLabel *status) : m_window(window), m_status(status) {}

QtProgress::~QtProgress()
{
    delete m_dialog;
}

void QtProgress::onBegin(std::string_view text, int maximum)
{
    if (!m_dialog) {
        // Parented to nothing: the dialog must stay usable while the window is disabled.
        m_dialog = new QProgressDialog;
        m_dialog->setObjectName("progressDialog");
        m_dialog->setWindowTitle(QStringLiteral("Quivra"));
        m_dialog->setCancelButtonText(QStringLiteral("Stop"));
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        // Stop asks before the run ends, so the dialog must not cancel itself first.
        QObject::disconnect(m_dialog, SIGNAL(canceled()), m_dialog, SLOT(cancel()));
        QObject::connect(m_dialog, &QProgressDialog::canceled, [this] { stopPressed(); });
    }
    m_dialog->reset();
    m_dialog->setLabelText(toQString(text));
    m_dialog->setRange(0, std::max(0, maximum));
    m_dialog->setValue(0);
    if (m_window)
        m_window->setEnabled(false);
    m_dialog->show();
    QApplication::processEvents();
}

void QtProgress::stopPressed()
{
    if (!m_dialog || m_asking)
        return;
    if (m_askToStop) {
        m_asking = true;
        const bool stop = m_askToStop();
        m_asking = false;
        if (!stop) {
            // Closing the window was no answer to keep it closed: the run goes on in sight.
            m_dialog->show();
            return;
        }
    }
    requestStop();
}

void QtProgress::onStep(int position)
{
    if (m_dialog && m_dialog->maximum() > 0)
        m_dialog->setValue(std::min(position, m_dialog->maximum()));
}

void QtProgress::onStatus(std::string_view text)
{
    if (m_dialog && m_dialog->isVisible())
        m_dialog->setLabelText(toQString(text));
    else if (m_status) {
        m_status->setText(toQString(text));
        // Work on the one thread would keep the new text from showing until it is done.
        m_status->repaint();
    }
}

void QtProgress::onEnd()
{
    if (m_dialog)
        m_dialog->hide();
    if (m_window)
        m_window->setEnabled(true);
}

void QtProgress::onPoll()
{
    QApplication::processEvents();
    // Closing the dialog or pressing Escape cancels it without a click on Stop.
    if (m_dialog && m_dialog->wasCanceled())
        requestStop();
}

std::string QtClipboard::text() const
{
    return fromQString(QApplication::clipboard()->text());
}

void QtClipboard::setText(std::string text)
{
    QApplication::clipboard()->setText(toQString(text));
}

} // namespace quivra
