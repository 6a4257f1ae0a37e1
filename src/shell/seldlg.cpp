#include "shell/seldlg.h"

#include "views/qtext.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quivra {

TSelDlg::TSelDlg(const ChangeReview &review, QWidget *parent)
    : QDialog(parent), m_title(new QLabel(this)), m_list(new QListWidget(this))
{
    setWindowTitle(toQString(review.caption));
    // Message texts break lines with CR LF; a label wants plain line feeds.
    QString title = toQString(review.title);
    title.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_title->setText(title);
    m_title->setWordWrap(true);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const std::string &line : review.lines)
        m_list->addItem(toQString(line));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);

    auto *buttons = new QDialogButtonBox(this);
    m_accept = buttons->addButton(tr("Accept"), QDialogButtonBox::AcceptRole);
    m_reject = buttons->addButton(tr("Reject"), QDialogButtonBox::RejectRole);
    m_accept->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(520, 420);
}

bool reviewInDialog(const ChangeReview &review, QWidget *parent)
{
    TSelDlg dialog(review, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace quivra
