#pragma once

// ScriptedDialogs: a Dialogs backend for tests. The test queues the user's answers in the order
// the dialogs will appear; every dialog shown is recorded with what it showed and the answer it
// got.
//
//     ScriptedDialogs ui;
//     ui.expect("to remove resource").answer(Answer::Yes);
//     ui.choose(2);
//     Prompter p(ui);
//     runTheCommand(d, p);
//     EXPECT_TRUE(ui.finished()) << ui.problems();
//
// A dialog nobody expected (nothing queued, an answer of another shape, a text that does not
// contain the expected part) throws UnexpectedDialog with the dialog's caption and text. The
// exception leaves the command under test at once, never blocks, and fails the test through
// GoogleTest's handling of exceptions; it is also recorded in problems() in case the code under
// test swallowed it. finished() is true when every queued answer was used and nothing went wrong.

#include "ui/dialogs.h"

#include <deque>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace quivra {

class UnexpectedDialog : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

enum class DialogShape {
    Message,
    Options,
    Input,
    OpenFile,
    SaveFile,
    PickCodes,
    Colour,
    Font,
    OrderedOptions,
};

// What a dialog showed and what it was answered.
struct ShownDialog
{
    DialogShape shape = DialogShape::Message;
    std::string caption;
    std::string text; // message text, question, prompt or file title
    std::uint16_t buttons = 0;
    int helpTopic = 0;
    std::string silenceLabel;        // messages: the stop-asking check box, empty when none
    std::vector<OptionItem> options; // code pickers: the codes offered, numbered by code
    std::vector<int> checked;        // options preselected
    bool multiple = false;
    std::size_t maxBytes = 0; // input
    std::string initial;      // input: the text offered
    int answer = 0;           // messages: the answer; options: first chosen, 0 cancelled
    std::uint32_t colour = 0; // colour: the colour offered
};

class ScriptedDialogs final : public Dialogs
{
public:
    // The next dialog must show a text containing `part`; the answer queued next goes with it.
    ScriptedDialogs &expect(std::string part);

    // Message dialogs: press the button with this answer, optionally ticking "Do not ask".
    ScriptedDialogs &answer(int answer, bool silence = false);
    // Option lists: choose these option numbers and press OK.
    ScriptedDialogs &choose(std::initializer_list<int> numbers, bool dontAsk = false);
    ScriptedDialogs &choose(int number, bool dontAsk = false) { return choose({number}, dontAsk); }
    // Multiple-week lists: check these weeks, focus one, press OK.
    ScriptedDialogs &chooseFocused(std::initializer_list<int> numbers, int focused);
    // Input boxes: type this text (as a user could, the backend does not cut it) and press OK.
    ScriptedDialogs &type(std::string text);
    // File choices: choose this path.
    ScriptedDialogs &file(std::string path);
    // Code picker: check exactly these codes and press OK.
    ScriptedDialogs &pick(std::vector<CodeId> codes);
    // Colour dialogs: choose this colour (0xRRGGBB).
    ScriptedDialogs &colour(std::uint32_t rgb);
    // Font dialogs: choose this font.
    ScriptedDialogs &font(FontChoice choice);
    // Reorderable lists: leave the options in this order (numbers), check these, press OK.
    // A plain choose() answers one too: those options checked, the order as shown.
    ScriptedDialogs &arrange(std::vector<int> order, std::vector<int> checked);
    // Any dialog: press Cancel (or close it, for a message without Cancel).
    ScriptedDialogs &cancel();

    const std::vector<ShownDialog> &shown() const { return m_shown; }
    // Every queued answer used and no unexpected dialog.
    bool finished() const { return m_queue.empty() && m_problems.empty(); }
    // What went wrong, one line each; empty when nothing did.
    std::string problems() const;

    MessageReply message(const MessageRequest &request) override;
    OptionsReply options(const OptionsRequest &request) override;
    std::optional<std::string> input(const InputRequest &request) override;
    std::optional<std::string> openFile(const FileRequest &request) override;
    std::optional<std::string> saveFile(const FileRequest &request) override;
    std::optional<std::vector<CodeId>> pickCodes(const CodePickRequest &request) override;
    std::optional<std::uint32_t> chooseColour(const ColourRequest &request) override;
    std::optional<FontChoice> chooseFont(const FontRequest &request) override;
    std::optional<OrderedSelection> orderedOptions(const OptionsRequest &request) override;
    void showHelp(int topic) override { m_helpShown.push_back(topic); }
    // The help topics opened, in order.
    const std::vector<int> &helpShown() const { return m_helpShown; }

private:
    struct MessageStep
    {
        int answer;
        bool silence;
    };
    struct OptionsStep
    {
        std::vector<int> numbers;
        bool dontAsk;
        int focused;
    };
    struct TextStep
    {
        std::string text; // typed text or chosen path
    };
    struct PickStep
    {
        std::vector<CodeId> codes;
    };
    struct ColourStep
    {
        std::uint32_t rgb;
    };
    struct FontStep
    {
        FontChoice choice;
    };
    struct ArrangeStep
    {
        OrderedSelection selection;
    };
    struct CancelStep
    {
    };
    using Reply = std::variant<MessageStep, OptionsStep, TextStep, PickStep, ColourStep, FontStep,
                               ArrangeStep, CancelStep>;
    struct Step
    {
        std::string expected;
        Reply reply;
    };

    ScriptedDialogs &queue(Reply reply);
    // Takes the next step for a dialog just recorded; throws when it does not fit.
    Step next();
    std::optional<std::string> textReply();
    std::optional<std::string> fileChoice(DialogShape shape, const FileRequest &request);
    ShownDialog &recordOptions(DialogShape shape, const OptionsRequest &request);
    void checkOffered(const OptionsRequest &request, const std::vector<int> &numbers);
    [[noreturn]] void fail(const std::string &why);

    std::deque<Step> m_queue;
    std::string m_pendingExpect;
    std::vector<ShownDialog> m_shown;
    std::vector<std::string> m_problems;
    std::vector<int> m_helpShown;
};

} // namespace quivra
