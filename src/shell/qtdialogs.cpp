#include "shell/qtdialogs.h"

#include "engine/codetable.h"
#include "shell/codeselectiondialog.h"
#include "shell/helpwindow.h"
#include "views/qtext.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace quivra {
namespace {

// Message texts break lines with CR LF; Qt wants LF alone.
QString displayText(const std::string &text)
{
    QString out = toQString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

QMessageBox::ButtonRole roleOf(int answer)
{
    switch (answer) {
    case Answer::Yes:
    case Answer::YesToAll:
    case Answer::All:
        return QMessageBox::YesRole;
    case Answer::No:
    case Answer::NoToAll:
        return QMessageBox::NoRole;
    case Answer::Cancel:
    case Answer::Abort:
        return QMessageBox::RejectRole;
    default:
        return QMessageBox::AcceptRole;
    }
}

QMessageBox::Icon iconOf(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Warning:
        return QMessageBox::Warning;
    case DialogKind::Error:
        return QMessageBox::Critical;
    case DialogKind::Information:
        return QMessageBox::Information;
    case DialogKind::Confirm:
        return QMessageBox::Question;
    case DialogKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

// Refuses text that would not fit the stored field or holds a character it must not.
class StoredTextValidator final : public QValidator
{
public:
    StoredTextValidator(qsizetype maxBytes, QString forbidden, QObject *parent)
        : QValidator(parent), m_maxBytes(maxBytes), m_forbidden(std::move(forbidden))
    {}

    State validate(QString &input, int &) const override
    {
        if (storedLength(input) > m_maxBytes)
            return Invalid;
        for (const QChar c : input) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || m_forbidden.contains(c))
                return Invalid;
        }
        return Acceptable;
    }

private:
    qsizetype m_maxBytes;
    QString m_forbidden;
};

} // namespace

QDialogButtonBox *okCancel(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

MessageReply QtDialogs::message(const MessageRequest &request)
{
    QMessageBox box(m_parent);
    box.setObjectName("messageDialog");
    box.setWindowTitle(toQString(request.caption));
    box.setText(displayText(request.text));
    box.setIcon(iconOf(request.kind));

    QHash<QAbstractButton *, int> answers;
    QAbstractButton *escape = nullptr;
    for (int bit = 0; bit < Buttons::Count; ++bit) {
        if (!(request.buttons & (1u << bit)))
            continue;
        const int answer = buttonAnswer(bit);
        QPushButton *button =
            box.addButton(QString::fromLatin1(buttonCaption(bit)), roleOf(answer));
        answers.insert(button, answer);
        // Escape means the most cautious answer on offer.
        if (answer == Answer::Cancel || (answer == Answer::No && !escape) ||
            (answer == Answer::Ok && !escape))
            escape = button;
    }
    if (request.helpTopic > 0)
        answers.insert(box.addButton(QStringLiteral("Help"), QMessageBox::HelpRole), Answer::Help);
    if (escape)
        box.setEscapeButton(escape);
    if (!request.silenceLabel.empty())
        box.setCheckBox(new QCheckBox(toQString(request.silenceLabel), &box));

    // Help opens its page beside the question, which stays until it is answered.
    box.exec();
    while (answers.value(box.clickedButton()) == Answer::Help) {
        quivra::showHelp(&box, request.helpTopic);
        box.exec();
    }
    MessageReply reply;
    reply.answer = answers.value(box.clickedButton(), Answer::Closed);
    reply.silence = box.checkBox() && box.checkBox()->isChecked();
    return reply;
}

OptionsReply QtDialogs::options(const OptionsRequest &request)
{
    QDialog dialog(m_parent);
    dialog.setObjectName("optionsDialog");
    dialog.setWindowTitle(toQString(request.caption));
    auto *layout = new QVBoxLayout(&dialog);
    if (!request.question.empty())
        layout->addWidget(new QLabel(displayText(request.question), &dialog));

    const auto preset = [&](int number) {
        return std::find(request.checked.begin(), request.checked.end(), number) !=
               request.checked.end();
    };
    std::vector<QAbstractButton *> buttons; // grid of radio buttons or check boxes
    QListWidget *list = nullptr;            // or a scrolling list
    QLabel *counter = nullptr;
    if (request.columns > 0) {
        auto *grid = new QGridLayout;
        auto *group = new QButtonGroup(&dialog);
        group->setExclusive(!request.multiple);
        const int count = static_cast<int>(request.options.size());
        const int rows = (count + request.columns - 1) / request.columns;
        for (int i = 0; i < count; ++i) {
            const OptionItem &item = request.options[i];
            QAbstractButton *button = request.multiple
                                          ? static_cast<QAbstractButton *>(new QCheckBox(&dialog))
                                          : new QRadioButton(&dialog);
            button->setText(toQString(item.text));
            button->setChecked(preset(item.number));
            group->addButton(button);
            grid->addWidget(button, i % std::max(rows, 1), i / std::max(rows, 1));
            buttons.push_back(button);
        }
        layout->addLayout(grid);
    } else {
        list = new QListWidget(&dialog);
        for (const OptionItem &item : request.options) {
            auto *row = new QListWidgetItem(toQString(item.text), list);
            if (request.multiple)
                row->setCheckState(preset(item.number) ? Qt::Checked : Qt::Unchecked);
            else if (preset(item.number))
                list->setCurrentItem(row);
        }
        if (request.fixedPitch)
            list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        layout->addWidget(list);
    }
    if (request.multiple && !request.counterFormat.empty()) {
        counter = new QLabel(&dialog);
        layout->addWidget(counter);
    }
    QCheckBox *dontAsk = nullptr;
    if (!request.dontAskLabel.empty()) {
        dontAsk = new QCheckBox(toQString(request.dontAskLabel), &dialog);
        dontAsk->setChecked(request.dontAsk);
        layout->addWidget(dontAsk);
    }
    QDialogButtonBox *buttonBox = okCancel(dialog);
    if (!request.okLabel.empty())
        buttonBox->button(QDialogButtonBox::Ok)->setText(toQString(request.okLabel));
    if (request.copyButton) {
        QPushButton *copy =
            buttonBox->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
        copy->setObjectName("copyButton");
        QObject::connect(copy, &QPushButton::clicked, &dialog, [&request] {
            QString lines;
            for (const OptionItem &item : request.options)
                lines += toQString(item.text) + QLatin1Char('\n');
            QGuiApplication::clipboard()->setText(lines);
        });
    }
    if (request.helpTopic > 0)
        addHelpButton(buttonBox, request.helpTopic);
    layout->addWidget(buttonBox);

    const auto isChosen = [&](std::size_t i) {
        if (list)
            return request.multiple ? list->item(int(i))->checkState() == Qt::Checked
                                    : list->currentRow() == int(i);
        return buttons[i]->isChecked();
    };
    const auto updateCounter = [&] {
        if (!counter)
            return;
        int n = 0;
        for (std::size_t i = 0; i < request.options.size(); ++i)
            n += isChosen(i) ? 1 : 0;
        QString text = toQString(request.counterFormat);
        counter->setText(text.replace(QStringLiteral("%d"), QString::number(n)));
    };
    updateCounter();
    for (QAbstractButton *button : buttons)
        QObject::connect(button, &QAbstractButton::toggled, &dialog, updateCounter);
    if (list)
        QObject::connect(list, &QListWidget::itemChanged, &dialog, updateCounter);

    OptionsReply reply;
    reply.accepted = dialog.exec() == QDialog::Accepted;
    reply.dontAsk = dontAsk && dontAsk->isChecked();
    if (!reply.accepted)
        return reply;
    for (std::size_t i = 0; i < request.options.size(); ++i) {
        if (isChosen(i))
            reply.chosen.push_back(request.options[i].number);
        const bool focused = list ? list->currentRow() == int(i) : buttons[i]->hasFocus();
        if (focused && request.multiple)
            reply.focused = request.options[i].number;
    }
    return reply;
}

std::optional<OrderedSelection> QtDialogs::orderedOptions(const OptionsRequest &request)
{
    QDialog dialog(m_parent);
    dialog.setObjectName("orderedOptionsDialog");
    dialog.setWindowTitle(toQString(request.caption));
    auto *layout = new QVBoxLayout(&dialog);
    if (!request.question.empty())
        layout->addWidget(new QLabel(displayText(request.question), &dialog));

    // Each row carries its option number, so the order is read back from the rows.
    auto *list = new QListWidget(&dialog);
    list->setObjectName("orderedList");
    for (const OptionItem &item : request.options) {
        auto *row = new QListWidgetItem(toQString(item.text), list);
        row->setData(Qt::UserRole, item.number);
        const bool preset = std::find(request.checked.begin(), request.checked.end(),
                                      item.number) != request.checked.end();
        row->setCheckState(preset ? Qt::Checked : Qt::Unchecked);
    }
    if (list->count() > 0)
        list->setCurrentRow(0);
    layout->addWidget(list);

    if (list->count() >= 2) {
        auto *moves = new QHBoxLayout;
        auto *previous = new QPushButton(QStringLiteral("Previous"), &dialog);
        auto *next = new QPushButton(QStringLiteral("Next"), &dialog);
        previous->setObjectName("previousButton");
        next->setObjectName("nextButton");
        const auto move = [list](int by) {
            const int from = list->currentRow();
            const int to = from + by;
            if (from < 0 || to < 0 || to >= list->count())
                return;
            QListWidgetItem *row = list->takeItem(from);
            list->insertItem(to, row);
            list->setCurrentRow(to);
        };
        QObject::connect(previous, &QPushButton::clicked, &dialog, [move] { move(-1); });
        QObject::connect(next, &QPushButton::clicked, &dialog, [move] { move(+1); });
        moves->addWidget(previous);
        moves->addWidget(next);
        moves->addStretch();
        layout->addLayout(moves);
    }
    layout->addWidget(okCancel(dialog));

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    OrderedSelection selection;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *row = list->item(i);
        const int number = row->data(Qt::UserRole).toInt();
        selection.order.push_back(number);
        if (row->checkState() == Qt::Checked)
            selection.checked.push_back(number);
    }
    return selection;
}

std::optional<std::string> QtDialogs::input(const InputRequest &request)
{
    QDialog dialog(m_parent);
    dialog.setObjectName("inputDialog");
    dialog.setWindowTitle(toQString(request.caption));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(displayText(request.prompt), &dialog));
    auto *edit = new QLineEdit(&dialog);
    edit->setValidator(new StoredTextValidator(static_cast<qsizetype>(request.maxBytes),
                                               toQString(request.forbidden), edit));
    edit->setText(toQString(request.initial));
    edit->selectAll();
    layout->addWidget(edit);
    layout->addWidget(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQString(edit->text());
}

std::optional<std::string> QtDialogs::chooseFile(const FileRequest &request, bool save)
{
    QFileDialog dialog(m_parent, toQString(request.title),
                       QFile::decodeName(request.folder.c_str()));
    dialog.setObjectName("fileDialog");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.pattern.empty())
        dialog.setNameFilter(toQString(request.description) + QStringLiteral(" (") +
                             toQString(request.pattern) + QStringLiteral(")"));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(toQString(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmReplace);
    if (!request.fileName.empty())
        dialog.selectFile(QFile::decodeName(request.fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtDialogs::openFile(const FileRequest &request)
{
    return chooseFile(request, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileRequest &request)
{
    return chooseFile(request, true);
}

// The code selection dialog over exactly the codes offered, in their order.
std::optional<std::vector<CodeId>> QtDialogs::pickCodes(const CodePickRequest &request)
{
    CodeSelectionDialog dialog(m_d, request, *this, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

std::optional<std::uint32_t> QtDialogs::chooseColour(const ColourRequest &request)
{
    QColorDialog dialog(QColor::fromRgb(request.initial & 0xFFFFFF), m_parent);
    dialog.setObjectName("colourDialog");
    dialog.setWindowTitle(displayText(request.caption));
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return dialog.selectedColor().rgb() & 0xFFFFFF;
}

std::optional<FontChoice> QtDialogs::chooseFont(const FontRequest &request)
{
    QFont initial = m_parent ? m_parent->font() : QFont();
    if (!request.initial.family.empty())
        initial.setFamily(QString::fromStdString(request.initial.family));
    if (request.initial.pointSize > 0)
        initial.setPointSize(request.initial.pointSize);
    QFontDialog dialog(initial, m_parent);
    dialog.setObjectName("fontDialog");
    dialog.setWindowTitle(displayText(request.caption));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QFont chosen = dialog.selectedFont();
    return FontChoice{chosen.family().toStdString(), chosen.pointSize()};
}

void QtDialogs::showHelp(int topic)
{
    // Beside the dialog in front, so the page can be read while it stays open.
    QWidget *front = QApplication::activeModalWidget();
    quivra::showHelp(front ? front : m_parent, topic);
}

} // namespace quivra
