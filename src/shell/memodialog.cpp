#include "shell/memodialog.h"

#include "commands/memocommands.h"
#include "engine/notes.h"
#include "shell/commandtable.h"
#include "shell/mainframe.h"
#include "views/qtext.h"
#include "views/viewform.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quivra {

TMemoDlg::TMemoDlg(const ScheduleData &d, CodeId code, QWidget *parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)),
      m_remove(new QPushButton(QStringLiteral("&Remove"), this)),
      m_limit(static_cast<qsizetype>(memoLimit(d, code)))
{
    setObjectName("TMemoDlg");
    const MemoPanelText panel = memoPanel(d, code);
    setWindowTitle(QStringLiteral("Memo of %1").arg(toQString(panel.code)));
    m_text->setObjectName("memo");
    if (panel.hasMemo)
        m_text->setPlainText(toQString(panel.memo));
    m_text->setPlaceholderText(
        QStringLiteral("Type the memo of %1 here").arg(toQString(panel.code)));
    m_remove->setEnabled(panel.hasMemo);
    m_remove->setAutoDefault(false);

    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->addButton(m_remove, QDialogButtonBox::DestructiveRole);
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        m_outcome = Store;
        accept();
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_remove, &QPushButton::clicked, this, [this] {
        m_outcome = Remove;
        accept();
    });
    connect(m_text, &QPlainTextEdit::textChanged, this, &TMemoDlg::holdToLimit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(toQString(panel.code + ": " + panel.name), this));
    layout->addWidget(m_text);
    layout->addWidget(new QLabel(QStringLiteral("At most %1 characters.").arg(m_limit), this));
    layout->addWidget(box);
    resize(480, 280);
}

void TMemoDlg::holdToLimit()
{
    // Line breaks count as the spaces they become.
    const QString text = m_text->toPlainText();
    if (storedLength(text) <= m_limit)
        return;
    QSignalBlocker block(m_text);
    m_text->setPlainText(text.left(m_limit));
    QTextCursor end = m_text->textCursor();
    end.movePosition(QTextCursor::End);
    m_text->setTextCursor(end);
}

std::string TMemoDlg::typed() const
{
    return fromQString(m_text->toPlainText());
}

TMemoPanel::TMemoPanel(ScheduleData &d, Prompter &p, QWidget *parent)
    : QDockWidget(QStringLiteral("Memo"), parent), m_d(d), m_p(p), m_code(new QLabel(this)),
      m_count(new QLabel(this)), m_memo(new QLabel(this))
{
    setObjectName("memoPanel");
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    m_code->setWordWrap(true);
    QFont bold = m_code->font();
    bold.setBold(true);
    m_code->setFont(bold);
    m_memo->setWordWrap(true);
    m_memo->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_memo->setCursor(Qt::PointingHandCursor);
    m_memo->setFrameShape(QFrame::StyledPanel);
    m_memo->setMinimumHeight(80);
    m_memo->setToolTip(QStringLiteral("Click to enter, change or remove the memo"));
    m_memo->installEventFilter(this);
    layout->addWidget(m_code);
    layout->addWidget(m_memo, 1);
    layout->addWidget(m_count);
    setWidget(body);
    setMinimumWidth(220);

    refresh();
}

void TMemoPanel::refresh()
{
    const MemoPanelText panel = memoPanel(m_d, m_d.currentCode);
    m_code->setText(panel.code.empty() ? QString() : toQString(panel.code + ": " + panel.name));
    m_memo->setText(panel.code.empty() ? QString() : toQString(panel.memo));
    m_memo->setEnabled(!panel.code.empty());
    m_count->setText(toQString(panel.count));
}

bool TMemoPanel::editMemo()
{
    const CodeId code = m_d.currentCode;
    if (memoLimit(m_d, code) == 0)
        return false;
    TMemoDlg dialog(m_d, code, this);
    dialog.exec();
    bool changed = false;
    if (dialog.outcome() == TMemoDlg::Store)
        changed = storeMemo(m_d, code, dialog.typed());
    else if (dialog.outcome() == TMemoDlg::Remove)
        changed = removeMemoOf(m_d, m_p, code);
    refresh();
    return changed;
}

bool TMemoPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_memo && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        editMemo();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

void bindMemoCommand(FrameCommand &row, TFrameForm &frame)
{
    row.hint = QStringLiteral("Show or hide the memo of the current event or resource");
    row.run = [&frame] {
        auto *panel = frame.findChild<TMemoPanel *>(QStringLiteral("memoPanel"));
        if (!panel) {
            panel = new TMemoPanel(frame.data(), frame.prompter(), &frame);
            frame.addDockWidget(Qt::RightDockWidgetArea, panel);
            // Other commands change memos and codes, and a view picks another code: the panel
            // shows what the views show.
            QObject::connect(&frame, &TFrameForm::dataShown, panel, &TMemoPanel::refresh);
            QObject::connect(panel, &QDockWidget::visibilityChanged, &frame,
                             [&frame] { frame.updateCommands(); });
            panel->show();
        } else {
            panel->setVisible(panel->isHidden());
        }
        panel->refresh();
        frame.updateCommands();
    };
    row.checked = [&frame] {
        const auto *panel = frame.findChild<TMemoPanel *>(QStringLiteral("memoPanel"));
        return panel && !panel->isHidden();
    };
    row.enabled = [&frame] { return frame.viewsExist(); };
}

} // namespace quivra
