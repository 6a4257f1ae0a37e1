#pragma once

// Dialogs: the primitive dialogs a platform must be able to draw.
//
// Commands never talk to this interface directly; they go through Prompter (ui/prompter.h),
// which owns every rule of how questions are worded, numbered, defaulted, silenced and limited.
// A backend only draws what it is given and reports what the user did, so the desktop backend,
// the scripted backend of the tests and any later one behave alike by construction.
//
// Texts are byte strings in the data files' code page; the desktop layer converts them in one
// place. Message texts may hold "\r\n" line breaks.

#include "engine/scheduledata.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quivra {

// Buttons of a message dialog, as a bit set; shown in this order.
namespace Buttons {
constexpr std::uint16_t Yes = 1u << 0;
constexpr std::uint16_t No = 1u << 1;
constexpr std::uint16_t Ok = 1u << 2;
constexpr std::uint16_t Cancel = 1u << 3;
constexpr std::uint16_t Abort = 1u << 4;
constexpr std::uint16_t Retry = 1u << 5;
constexpr std::uint16_t Ignore = 1u << 6;
constexpr std::uint16_t All = 1u << 7;
constexpr std::uint16_t NoToAll = 1u << 8;
constexpr std::uint16_t YesToAll = 1u << 9;
constexpr int Count = 10;
} // namespace Buttons

// The value a message dialog returns: the button pressed, Closed when the window was closed
// without one. The numbers are the ones callers compare against and must not change.
namespace Answer {
constexpr int Closed = 0;
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
constexpr int All = 8;
constexpr int NoToAll = 9;
constexpr int YesToAll = 10;
constexpr int Help = 11;
} // namespace Answer

// Caption and button captions of the button bits, in display order.
const char *buttonCaption(int bitIndex);
// The answer of the button with bit index 0..9.
int buttonAnswer(int bitIndex);

enum class DialogKind { Warning = 0, Error = 1, Information = 2, Confirm = 3, Plain = 4 };

// A message with its buttons. `silenceLabel` is empty when the dialog offers no check box to
// stop asking; otherwise it is the check box's caption.
struct MessageRequest
{
    std::string caption;
    std::string text;
    std::uint16_t buttons = Buttons::Ok;
    DialogKind kind = DialogKind::Information;
    int helpTopic = 0; // > 0: a Help button opens this topic
    std::string silenceLabel;
};

struct MessageReply
{
    int answer = Answer::Closed;
    bool silence = false; // the "Do not ask this again" box was ticked
};

// One option of an option list. `number` is what the reply names it by.
struct OptionItem
{
    int number = 0;
    std::string text;
};

// A list of options: radio buttons (one choice) or check boxes (several).
struct OptionsRequest
{
    std::string caption;
    std::string question;
    int helpTopic = 0;
    bool multiple = false;
    std::vector<OptionItem> options;
    std::vector<int> checked;  // numbers preselected; exactly one for a single choice
    int columns = 1;           // 0: a scrolling list rather than a grid of buttons
    std::string counterFormat; // multiple only: "%d checked" style counter, empty for none
    std::string dontAskLabel;  // empty: no check box
    bool dontAsk = false;      // the check box's initial state
    bool fixedPitch = false;   // a scrolling list in a fixed-pitch font, so columns line up
    bool copyButton = false;   // a Copy button puts every option's line on the clipboard
    std::string okLabel;       // the accepting button's text; empty: "OK"
};

struct OptionsReply
{
    bool accepted = false;   // OK pressed
    std::vector<int> chosen; // numbers of the chosen (checked) options
    int focused = 0;         // multiple only: the option that had the focus, 0 for none
    bool dontAsk = false;
};

// A one-line text input limited to `maxBytes` bytes; characters of `forbidden` cannot be typed.
struct InputRequest
{
    std::string caption;
    std::string prompt;
    std::string initial;
    std::size_t maxBytes = 255;
    std::string forbidden;
};

// An open or save file choice. `pattern` is a glob such as "*.qvf".
struct FileRequest
{
    std::string title;
    std::string description; // "Quivra file"
    std::string pattern;
    std::string defaultExtension; // without the dot
    std::string folder;
    std::string fileName;
    // Saving: the dialog itself asks before an existing file is chosen. A caller that asks on
    // its own turns this off, so the question comes once.
    bool confirmReplace = true;
};

// kindMask of the code selection dialog: which kinds of code it offers (0: both).
constexpr std::uint16_t PickEvents = 1;
constexpr std::uint16_t PickResources = 2;

// The code selection dialog. The backend shows the codes of `offered`, in that order (the
// events, then the resources, of the kinds `kindMask` asks for), narrowed by `mode`, with
// `preset` checked, and returns the checked codes.
// The events a code picker lists: all, or only those with or without a room (a resource of the
// rooms category), fully scheduled (SCHEDULED = ALLOCATED), with any period scheduled, or not
// fully scheduled (SCHEDULED < ALLOCATED).
enum class EventFilter {
    All,
    WithRoom,
    WithoutRoom,
    FullyScheduled,
    AnyScheduled,
    NotFullyScheduled
};

struct CodePickRequest
{
    std::string caption;
    int mode = 0;
    std::uint16_t kindMask = 0;
    std::vector<CodeId> offered;
    std::vector<CodeId> preset;
    // Only codes of this category 1..7 are offered and the category cannot be changed; 0: any.
    int fixedCategory = 0;
    EventFilter eventFilter = EventFilter::All;
    // Locks (true) or unlocks the given events at once, for the dialog's Lock button; unset,
    // the dialog offers no locking.
    std::function<void(const std::vector<CodeId> &events, bool lock)> setLocks;
};

// A colour choice. Colours travel as 0xRRGGBB; `initial` is the colour the dialog starts on.
struct ColourRequest
{
    std::string caption;
    std::uint32_t initial = 0;
};

// A font choice: the family and the size in points; an empty family is the platform's own.
struct FontChoice
{
    std::string family;
    int pointSize = 0;
    friend bool operator==(const FontChoice &, const FontChoice &) = default;
};
struct FontRequest
{
    std::string caption;
    FontChoice initial;
};

// The answer of a reorderable list: every option number in its new order, and the checked ones.
struct OrderedSelection
{
    std::vector<int> order;
    std::vector<int> checked;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual MessageReply message(const MessageRequest &request) = 0;
    virtual OptionsReply options(const OptionsRequest &request) = 0;
    // The typed text, or nothing when cancelled.
    virtual std::optional<std::string> input(const InputRequest &request) = 0;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const FileRequest &request) = 0;
    virtual std::optional<std::string> saveFile(const FileRequest &request) = 0;
    // The checked codes, or nothing when cancelled.
    virtual std::optional<std::vector<CodeId>> pickCodes(const CodePickRequest &request) = 0;

    // ----- colours -----
    // The chosen colour (0xRRGGBB), or nothing when cancelled.
    virtual std::optional<std::uint32_t> chooseColour(const ColourRequest &request) = 0;
    // The chosen font, or nothing when cancelled. A backend that cannot draw one cancels.
    virtual std::optional<FontChoice> chooseFont(const FontRequest &request)
    {
        (void)request;
        return std::nullopt;
    }

    // ----- help -----
    // Opens the help page of `topic` (ui/helptopics.h) beside whatever dialog is showing, which
    // stays as it is. A backend without help pages shows nothing.
    virtual void showHelp(int topic) { (void)topic; }

    // ----- reorderable lists -----
    // A multiple choice whose order the user may also change, with Previous and Next buttons
    // that move the current option (the order in which files are added, say); nothing when
    // cancelled. A backend that cannot draw one shows a plain multiple choice and leaves the
    // order as given.
    virtual std::optional<OrderedSelection> orderedOptions(const OptionsRequest &request)
    {
        const OptionsReply reply = options(request);
        if (!reply.accepted)
            return std::nullopt;
        OrderedSelection answer;
        for (const OptionItem &item : request.options)
            answer.order.push_back(item.number);
        answer.checked = reply.chosen;
        return answer;
    }
};

} // namespace quivra
