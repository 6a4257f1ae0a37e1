#pragma once

// QtDialogs: the desktop drawing of the primitive dialogs (ui/dialogs.h). It shows what it is
// given and reports what the user did; every rule about wording, numbering, defaults and
// silencing stays in Prompter. Texts arrive as code-page bytes and leave as code-page bytes;
// file paths are the platform's own.

#include "ui/dialogs.h"

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace quivra {

// The OK and Cancel buttons of a dialog, captioned as the program's dialogs are, wired to accept
// and reject it.
QDialogButtonBox *okCancel(QDialog &dialog);

class QtDialogs final : public Dialogs
{
public:
    // `d` is the data set whose codes the code picker lists; `parent` centres the dialogs.
    QtDialogs(const ScheduleData &d, QWidget *parent) : m_d(d), m_parent(parent) {}

    MessageReply message(const MessageRequest &request) override;
    OptionsReply options(const OptionsRequest &request) override;
    std::optional<std::string> input(const InputRequest &request) override;
    std::optional<std::string> openFile(const FileRequest &request) override;
    std::optional<std::string> saveFile(const FileRequest &request) override;
    std::optional<std::vector<CodeId>> pickCodes(const CodePickRequest &request) override;
    std::optional<std::uint32_t> chooseColour(const ColourRequest &request) override;
    std::optional<FontChoice> chooseFont(const FontRequest &request) override;
    // A check list with Previous and Next buttons that move the current row.
    std::optional<OrderedSelection> orderedOptions(const OptionsRequest &request) override;
    // The help window (shell/helpwindow.h), beside the dialog in front.
    void showHelp(int topic) override;

private:
    std::optional<std::string> chooseFile(const FileRequest &request, bool save);

    const ScheduleData &m_d;
    QWidget *m_parent;
};

} // namespace quivra
