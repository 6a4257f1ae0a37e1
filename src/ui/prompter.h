#pragma once

// Prompter: every question, message and picker a command shows goes through here.
//
// The rules live once, in this class, above whatever draws the dialogs (ui/dialogs.h):
// - captions by dialog kind, button sets of the wrappers, "Are you sure " + text + "?";
// - silenced questions: a question with a slot 1..32 may offer "Do not ask this again"; once
//   the user ticks it and gives the affirmative answer, the slot answers that at once for the
//   rest of the run. Ticking it while answering No or Cancel silences nothing, so a declined
//   confirmation never turns into a standing Yes. The set starts empty and is not stored by
//   default; silencedQuestions()/setSilencedQuestions() and the change hook let a caller keep it;
// - option lists: items are numbered by their place in the "$"-list, blank items are hidden but
//   keep their numbers, defaults are clamped into the shown options;
// - a window closed without a button counts as No for yes/no questions and as Cancel where
//   Cancel is offered, so no caller takes a closed window for Yes;
// - input boxes hold at most the field's byte length, single-line, without forbidden characters;
// - the code picker leaves its selection in the codes' link marks on OK and changes nothing on
//   Cancel.
//
// Prompter holds no data set; pickers that list codes or weeks take one by reference.

#include "engine/scheduledata.h"
#include "ui/dialogs.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

constexpr int SilenceSlots = 32;

// Per-call requests of categoryChoice.
struct CategoryChoiceOptions
{
    bool events = false;        // event categories instead of resource categories
    bool allCategories = false; // resources: include rooms and categories without timetables
    bool offerAll = false;      // a last option "All resources"/"All events" returning 8
};

// What a code picker leaves out: codes of other categories than a fixed one, events the event
// filter rejects.
struct CodePickFilter
{
    int fixedCategory = 0; // 1..7; 0 lists every category
    EventFilter events = EventFilter::All;
};
// Whether code c passes the filter.
bool passesPickFilter(const ScheduleData &d, CodeId c, const CodePickFilter &filter);

class Prompter
{
public:
    explicit Prompter(Dialogs &dialogs) : m_dialogs(dialogs) {}

    // The message dialog: returns the answer of the button pressed (Answer::Closed when closed).
    // `slot` 1..32 offers to stop asking; a silenced slot answers Yes when Yes is offered,
    // otherwise OK when OK is offered, without showing anything. With a help topic, its Help
    // button opens the topic and the question is asked again, so Help is never the answer.
    int dlg(std::string_view message, int slot, int helpTopic, std::uint16_t buttons,
            DialogKind kind);

    // "Are you sure " + middle + "?" with Yes and No, kind Warning; true on Yes.
    bool sureDlg(std::string_view middle, int slot = 0, int helpTopic = 0);
    // OK, Information; the answer.
    int infoDlg(std::string_view message, int slot = 0, int helpTopic = 0);
    // Yes and No, Confirm; true on Yes.
    bool yesNoDlg(std::string_view message, int slot = 0, int helpTopic = 0);
    // Yes, No and Cancel, Confirm: Answer::Yes, No or Cancel (also when closed).
    int yesNoCancelDlg(std::string_view message, int slot = 0, int helpTopic = 0);
    // OK, Warning; the answer.
    int warnDlg(std::string_view message, int slot = 0, int helpTopic = 0);

    // One option of a "$"-list: returns the chosen item's number in the list, 0 when cancelled
    // or when the list shows no option. `defaultItem` is a list number, clamped into the shown
    // options. With `keepAsking` set and true, a "Don't ask this again" box is offered; ticking
    // it and pressing OK sets *keepAsking to false.
    int choice(std::string_view question, int helpTopic, int defaultItem, std::string_view list,
               bool *keepAsking = nullptr);
    // Several options of a "$"-list (items 1..31): bit k of `bits` is item k, in and out. On OK
    // returns the number of options shown and replaces `bits`; on Cancel returns 0 and leaves
    // `bits` unchanged.
    int multiChoice(std::string_view question, int helpTopic, std::uint32_t &bits,
                    std::string_view list);
    // Several options that the user may also reorder (Dialogs::orderedOptions): every
    // option of `request` is offered, however many. A backend without reorderable lists shows
    // a plain multiple choice and the order comes back as given. Nothing when cancelled; the
    // answer names only options of the request, each once.
    std::optional<OrderedSelection> orderedChoice(OptionsRequest request);
    // Several options of a list the caller builds, however many, as check boxes: the numbers of
    // the checked options in list order (only offered ones), nothing when cancelled or when
    // nothing is offered.
    std::optional<std::vector<int>> checkList(OptionsRequest request);
    // A category with members, shown as its name and " (count)": returns its index 1..7, 8 for
    // the "all" option, 0 when cancelled or nothing is offered.
    int categoryChoice(const ScheduleData &d, std::string_view question, int helpTopic,
                       int defaultCategory, CategoryChoiceOptions options = {});
    // A week among first..last (clamped into the calendar's weeks), each line showing the week,
    // its dates and how many of its allocated periods are scheduled. Returns the week, 0 when
    // cancelled. With `multiple` the weeks are check boxes preset from *multiple; OK replaces
    // the selection (within first..last) and returns the focused week (else the first checked,
    // else the default); Cancel leaves the selection as it was.
    int pickWeek(const ScheduleData &d, int defaultWeek, std::string_view message, int lastWeek,
                 int firstWeek, std::bitset<WeekTableSize> *multiple = nullptr);
    // One event (events true) or one resource, the current code preselected; 0 when cancelled.
    CodeId selectCode(const ScheduleData &d, bool events);
    // The code selection dialog over the codes of the kinds `kindMask` asks for (PickEvents,
    // PickResources; 0 both), those with all link marks checked. On OK the chosen codes get all
    // link marks and every other code offered loses them (codes of a kind not offered keep
    // theirs), and the chosen codes are returned; on Cancel nothing changes.
    // With a filter only the codes it passes are offered; on OK the codes of the kinds asked
    // for that it left out lose their marks too, so no earlier selection of them shows through.
    std::optional<std::vector<CodeId>> pickCodes(ScheduleData &d, std::string_view caption,
                                                 int mode, std::uint16_t kindMask,
                                                 const CodePickFilter &filter = {});

    // A line of text of at most maxBytes bytes: `initial` and the answer are cut to that length,
    // line breaks and other control characters and the characters of `forbidden` are removed.
    std::optional<std::string> input(std::string_view caption, std::string_view prompt,
                                     std::string_view initial, std::size_t maxBytes,
                                     std::string_view forbidden = {});

    // A file to open, or to save as (a name without an extension gets the default one);
    // nothing when cancelled.
    std::optional<std::string> openFile(const FileRequest &request);
    std::optional<std::string> saveFile(const FileRequest &request);

    // A colour (0xRRGGBB) starting on `initial`; nothing when cancelled.
    std::optional<std::uint32_t> chooseColour(std::string_view caption, std::uint32_t initial);
    // A font, starting on `initial`; nothing when cancelled or when the size is not positive.
    std::optional<FontChoice> chooseFont(std::string_view caption, const FontChoice &initial);

    // Opens the help page of `topic` (ui/helptopics.h); nothing for a topic of 0 or less.
    void showHelp(int topic)
    {
        if (topic > 0)
            m_dialogs.showHelp(topic);
    }

    std::uint32_t silencedQuestions() const { return m_silenced; }
    void setSilencedQuestions(std::uint32_t set) { m_silenced = set; }
    // Called with the new set whenever a question is silenced.
    void onSilencedChanged(std::function<void(std::uint32_t)> hook)
    {
        m_silencedHook = std::move(hook);
    }

    // ---- Pickers over codes the caller lists (the optimisation tools' events) ----------------
    // Several codes of `offered`, shown as code and name in the order given, `preset` checked, as
    // a scrolling check list under `caption`: the chosen codes in offered order on OK, nothing
    // on Cancel. Leaves the link marks alone; nothing is asked when nothing is offered (an empty
    // choice).
    std::optional<std::vector<CodeId>> pickAmong(const ScheduleData &d, std::string_view caption,
                                                 const std::vector<CodeId> &offered,
                                                 const std::vector<CodeId> &preset);
    // One code of `offered`, shown as lines[i] (code and name where a line is missing), the first
    // preselected: the code, or 0 when cancelled or nothing is offered.
    CodeId chooseAmong(const ScheduleData &d, std::string_view caption,
                       const std::vector<CodeId> &offered, const std::vector<std::string> &lines);

    // One line of a list the caller builds (the selection list): a scrolling list captioned
    // `caption` under `title`, line `preselected` (1-based) selected, with a Copy button for
    // the lines; `fixedPitch` shows them in a fixed-pitch font. The chosen line's number, 0
    // when cancelled or when there is no line.
    int selectLine(std::string_view caption, std::string_view title,
                   const std::vector<std::string> &lines, int preselected = 1, int helpTopic = 0,
                   bool fixedPitch = false);

private:
    bool silenced(int slot) const;

    Dialogs &m_dialogs;
    std::uint32_t m_silenced = 0; // bit slot-1 per silenced question
    std::function<void(std::uint32_t)> m_silencedHook;
};

// Caption of a dialog kind: "Warning", "Error", "Information", "Confirm" or empty.
std::string kindCaption(DialogKind kind);

// The options of a "$"-list as a dialog shows them: items numbered by their place in the list,
// blank and single-space items left out. A last item without its "$" still counts.
std::vector<OptionItem> listOptions(std::string_view list);

// Cuts to maxBytes and removes control characters and the characters of `forbidden`.
std::string limitInput(std::string_view text, std::size_t maxBytes, std::string_view forbidden);

} // namespace quivra
