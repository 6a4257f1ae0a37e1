#include "ui/prompter.h"

#include "engine/calendar.h"
#include "engine/codetable.h"
#include "engine/collections.h"
#include "engine/lectures.h"
#include "engine/textutil.h"

#include <algorithm>
#include <array>

namespace quivra {

namespace {

constexpr std::array<const char *, Buttons::Count> ButtonCaptions = {
    "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "No to All", "Yes to All"};
constexpr std::array<int, Buttons::Count> ButtonAnswers = {
    Answer::Yes,   Answer::No,     Answer::Ok,  Answer::Cancel,  Answer::Abort,
    Answer::Retry, Answer::Ignore, Answer::All, Answer::NoToAll, Answer::YesToAll};

// The answer a silenced question gives, which is also the only answer that may silence it.
int silencedAnswer(std::uint16_t buttons)
{
    if (buttons & Buttons::Yes)
        return Answer::Yes;
    if (buttons & Buttons::Ok)
        return Answer::Ok;
    return Answer::Closed;
}

bool offered(const std::vector<OptionItem> &options, int number)
{
    return std::ranges::any_of(options,
                               [number](const OptionItem &o) { return o.number == number; });
}

// The shown option nearest to `number`: itself, else the next one after it, else the last.
int clampToShown(const std::vector<OptionItem> &options, int number)
{
    for (const OptionItem &o : options) {
        if (o.number >= number)
            return o.number;
    }
    return options.back().number;
}

std::string padOrCut(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

} // namespace

const char *buttonCaption(int bitIndex)
{
    return bitIndex >= 0 && bitIndex < Buttons::Count ? ButtonCaptions[bitIndex] : "";
}

int buttonAnswer(int bitIndex)
{
    return bitIndex >= 0 && bitIndex < Buttons::Count ? ButtonAnswers[bitIndex] : Answer::Closed;
}

std::string kindCaption(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Warning:
        return "Warning";
    case DialogKind::Error:
        return "Error";
    case DialogKind::Information:
        return "Information";
    case DialogKind::Confirm:
        return "Confirm";
    case DialogKind::Plain:
        break;
    }
    return {};
}

std::vector<OptionItem> listOptions(std::string_view list)
{
    std::vector<OptionItem> options;
    int number = 0;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('$', start);
        if (end == std::string_view::npos)
            end = list.size();
        ++number;
        const std::string_view item = list.substr(start, end - start);
        if (!item.empty() && item != " ")
            options.push_back({number, std::string(item)});
        start = end + 1;
    }
    return options;
}

std::string limitInput(std::string_view text, std::size_t maxBytes, std::string_view forbidden)
{
    std::string out;
    for (const char ch : text) {
        if (out.size() >= maxBytes)
            break;
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F || forbidden.find(ch) != std::string_view::npos)
            continue;
        out += ch;
    }
    return out;
}

bool Prompter::silenced(int slot) const
{
    return slot >= 1 && slot <= SilenceSlots && (m_silenced & (1u << (slot - 1)));
}

int Prompter::dlg(std::string_view message, int slot, int helpTopic, std::uint16_t buttons,
                  DialogKind kind)
{
    if (silenced(slot))
        return silencedAnswer(buttons);

    MessageRequest request;
    request.caption = kindCaption(kind);
    request.text = std::string(message);
    request.buttons = buttons & ((1u << Buttons::Count) - 1);
    request.kind = kind;
    request.helpTopic = std::max(helpTopic, 0);
    const bool canSilence =
        slot >= 1 && slot <= SilenceSlots && silencedAnswer(buttons) != Answer::Closed;
    if (canSilence)
        request.silenceLabel =
            kind == DialogKind::Confirm ? "Do not ask this again" : "Do not show this again";

    MessageReply reply = m_dialogs.message(request);
    // Help shows the topic beside the question, which then waits for its answer again.
    while (reply.answer == Answer::Help && request.helpTopic > 0) {
        m_dialogs.showHelp(request.helpTopic);
        reply = m_dialogs.message(request);
    }
    // An answer the dialog did not offer is a fault of the backend; treat it as a close.
    int answer = reply.answer;
    if (answer == Answer::Help) {
        answer = Answer::Closed;
    } else if (answer != Answer::Closed) {
        bool known = false;
        for (int i = 0; i < Buttons::Count; ++i)
            known = known || ((request.buttons & (1u << i)) && ButtonAnswers[i] == answer);
        if (!known)
            answer = Answer::Closed;
    }
    if (canSilence && reply.silence && answer == silencedAnswer(buttons)) {
        m_silenced |= 1u << (slot - 1);
        if (m_silencedHook)
            m_silencedHook(m_silenced);
    }
    return answer;
}

bool Prompter::sureDlg(std::string_view middle, int slot, int helpTopic)
{
    const std::string text = "Are you sure " + std::string(middle) + "?";
    return dlg(text, slot, helpTopic, Buttons::Yes | Buttons::No, DialogKind::Warning) ==
           Answer::Yes;
}

int Prompter::infoDlg(std::string_view message, int slot, int helpTopic)
{
    return dlg(message, slot, helpTopic, Buttons::Ok, DialogKind::Information);
}

bool Prompter::yesNoDlg(std::string_view message, int slot, int helpTopic)
{
    return dlg(message, slot, helpTopic, Buttons::Yes | Buttons::No, DialogKind::Confirm) ==
           Answer::Yes;
}

int Prompter::yesNoCancelDlg(std::string_view message, int slot, int helpTopic)
{
    const int answer = dlg(message, slot, helpTopic, Buttons::Yes | Buttons::No | Buttons::Cancel,
                           DialogKind::Confirm);
    return answer == Answer::Yes || answer == Answer::No ? answer : Answer::Cancel;
}

int Prompter::warnDlg(std::string_view message, int slot, int helpTopic)
{
    return dlg(message, slot, helpTopic, Buttons::Ok, DialogKind::Warning);
}

int Prompter::choice(std::string_view question, int helpTopic, int defaultItem,
                     std::string_view list, bool *keepAsking)
{
    OptionsRequest request;
    request.options = listOptions(list);
    if (request.options.empty())
        return 0;
    request.caption = "Select an option";
    request.question = std::string(question);
    request.helpTopic = std::max(helpTopic, 0);
    request.columns = static_cast<int>(request.options.size()) / 10 + 1;
    request.checked = {clampToShown(request.options, defaultItem)};
    const bool offerDontAsk = keepAsking != nullptr && *keepAsking;
    if (offerDontAsk)
        request.dontAskLabel = "Don't ask this again";

    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted || reply.chosen.size() != 1 || !offered(request.options, reply.chosen[0]))
        return 0;
    if (offerDontAsk && reply.dontAsk)
        *keepAsking = false;
    return reply.chosen[0];
}

int Prompter::multiChoice(std::string_view question, int helpTopic, std::uint32_t &bits,
                          std::string_view list)
{
    OptionsRequest request;
    for (OptionItem &o : listOptions(list)) {
        if (o.number <= 31)
            request.options.push_back(std::move(o));
    }
    if (request.options.empty())
        return 0;
    request.caption = "Select options";
    request.question = std::string(question);
    request.helpTopic = std::max(helpTopic, 0);
    request.multiple = true;
    request.columns = static_cast<int>(request.options.size()) / 10 + 1;
    for (const OptionItem &o : request.options) {
        if (bits & (1u << o.number))
            request.checked.push_back(o.number);
    }

    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted)
        return 0;
    std::uint32_t chosen = 0;
    for (const int k : reply.chosen) {
        if (offered(request.options, k))
            chosen |= 1u << k;
    }
    bits = chosen;
    return static_cast<int>(request.options.size());
}

std::optional<std::vector<int>> Prompter::checkList(OptionsRequest request)
{
    request.multiple = true;
    if (request.options.empty())
        return std::nullopt;
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted)
        return std::nullopt;
    std::vector<int> chosen;
    for (const OptionItem &o : request.options) {
        if (std::find(reply.chosen.begin(), reply.chosen.end(), o.number) != reply.chosen.end())
            chosen.push_back(o.number);
    }
    return chosen;
}

std::optional<OrderedSelection> Prompter::orderedChoice(OptionsRequest request)
{
    request.multiple = true;
    if (request.options.empty())
        return std::nullopt;
    const std::optional<OrderedSelection> answer = m_dialogs.orderedOptions(request);
    if (!answer)
        return std::nullopt;
    // Whatever the backend returned: each offered option once, those it left out after the
    // others in their given order, and only offered options checked.
    OrderedSelection clean;
    const auto listed = [](const std::vector<int> &v, int k) {
        return std::find(v.begin(), v.end(), k) != v.end();
    };
    for (const int k : answer->order) {
        if (offered(request.options, k) && !listed(clean.order, k))
            clean.order.push_back(k);
    }
    for (const OptionItem &o : request.options) {
        if (!listed(clean.order, o.number))
            clean.order.push_back(o.number);
    }
    for (const int k : answer->checked) {
        if (offered(request.options, k) && !listed(clean.checked, k))
            clean.checked.push_back(k);
    }
    return clean;
}

int Prompter::categoryChoice(const ScheduleData &d, std::string_view question, int helpTopic,
                             int defaultCategory, CategoryChoiceOptions choiceOptions)
{
    const bool events = choiceOptions.events;
    std::array<int, MaxCategories + 1> members{};
    int codes = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent() != events)
            continue;
        ++codes;
        ++members[categoryOf(d, static_cast<CodeId>(c))];
    }

    OptionsRequest request;
    const auto &names = events ? d.eventCategories : d.resourceCategories;
    for (int k = 1; k <= MaxCategories; ++k) {
        if (members[k] == 0)
            continue;
        if (!events && !choiceOptions.allCategories &&
            (k == d.roomsCategory || (d.noTimetableMasks[1] & (1u << k))))
            continue;
        request.options.push_back(
            {k, listItem(names.view(), k) + " (" + std::to_string(members[k]) + ")"});
    }
    if (choiceOptions.offerAll) {
        request.options.push_back({8, std::string(events ? "All events" : "All resources") + " (" +
                                          std::to_string(codes) + ")"});
    }
    if (request.options.empty())
        return 0;
    request.caption = "Select a category";
    request.question = std::string(question);
    request.helpTopic = std::max(helpTopic, 0);
    request.columns = static_cast<int>(request.options.size()) / 10 + 1;
    request.checked = {offered(request.options, defaultCategory) ? defaultCategory
                                                                 : request.options[0].number};

    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted || reply.chosen.size() != 1 || !offered(request.options, reply.chosen[0]))
        return 0;
    return reply.chosen[0];
}

int Prompter::pickWeek(const ScheduleData &d, int defaultWeek, std::string_view message,
                       int lastWeek, int firstWeek, std::bitset<WeekTableSize> *multiple)
{
    const int first = std::max(firstWeek, 1);
    const int last = std::min(lastWeek, d.coding.weekLimit);
    if (first > last)
        return 0;

    // Allocated and scheduled periods of every week, over all events.
    std::array<int, WeekTableSize> allocated{};
    std::array<int, WeekTableSize> scheduled{};
    WeekAllocation wa;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (!d.codes[c].isEvent())
            continue;
        loadWeekAllocation(d, static_cast<CodeId>(c), wa);
        for (int w = first; w <= last; ++w) {
            allocated[w] += wa.allocated[w];
            scheduled[w] += wa.scheduled[w];
        }
    }

    OptionsRequest request;
    request.question = std::string(message);
    request.columns = 0;
    const bool dated = weeksDated(d);
    for (int w = first; w <= last; ++w) {
        std::string line = padOrCut(formatWeek(d, w, 7), 10);
        if (dated) {
            const std::int32_t start = weekDate(d, w);
            const int days = std::max(usedDays(d), 1);
            const DateRange range{true, start, start + (weekLength(d, w) - 1) * 7 + days - 1};
            line += "  " + formatDateRange(d, range);
        }
        line += "   [" + std::to_string(scheduled[w]) + " out of " + std::to_string(allocated[w]) +
                " periods scheduled]";
        request.options.push_back({w, std::move(line)});
    }
    const int preset = clampInt(defaultWeek, first, last);

    if (multiple == nullptr) {
        request.caption = "Select the week from the list below";
        request.checked = {preset};
        const OptionsReply reply = m_dialogs.options(request);
        if (!reply.accepted || reply.chosen.size() != 1 ||
            !offered(request.options, reply.chosen[0]))
            return 0;
        return reply.chosen[0];
    }

    request.caption = "Select multiple weeks";
    request.multiple = true;
    request.counterFormat = "%d checked";
    for (int w = first; w <= last; ++w) {
        if (multiple->test(w))
            request.checked.push_back(w);
    }
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted)
        return 0;
    for (int w = first; w <= last; ++w)
        multiple->reset(w);
    int firstChecked = 0;
    for (const int w : reply.chosen) {
        if (w < first || w > last)
            continue;
        multiple->set(w);
        if (firstChecked == 0 || w < firstChecked)
            firstChecked = w;
    }
    if (reply.focused >= first && reply.focused <= last)
        return reply.focused;
    return firstChecked != 0 ? firstChecked : preset;
}

CodeId Prompter::selectCode(const ScheduleData &d, bool events)
{
    OptionsRequest request;
    request.caption = events ? "Select an event" : "Select a resource";
    request.question = "\r\n\r\nSelect code from the list";
    request.columns = 0;
    for (int c = 1; c <= d.codeCount; ++c) {
        if (d.codes[c].isEvent() == events)
            request.options.push_back({c, formatCode(d, static_cast<CodeId>(c), ShowCodeAndName)});
    }
    if (request.options.empty())
        return 0;
    request.checked = {offered(request.options, d.currentCode) ? d.currentCode
                                                               : request.options[0].number};
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted || reply.chosen.size() != 1 || !offered(request.options, reply.chosen[0]))
        return 0;
    return static_cast<CodeId>(reply.chosen[0]);
}

bool passesPickFilter(const ScheduleData &d, CodeId c, const CodePickFilter &filter)
{
    if (!validCode(d, c))
        return false;
    if (filter.fixedCategory != 0 && categoryOf(d, c) != filter.fixedCategory)
        return false;
    if (!d.codes[c].isEvent() || filter.events == EventFilter::All)
        return true;
    const CodeRecord &r = d.codes[c];
    switch (filter.events) {
    case EventFilter::WithRoom:
    case EventFilter::WithoutRoom: {
        const MemberList members = collectionOf(d, c);
        bool room = false;
        for (int i = 1; i <= std::min<int>(members[0], MaxMembers) && !room; ++i) {
            const CodeId m = members[static_cast<std::size_t>(i)];
            room = validCode(d, m) && !d.codes[m].isEvent() && categoryOf(d, m) == d.roomsCategory;
        }
        return room == (filter.events == EventFilter::WithRoom);
    }
    case EventFilter::FullyScheduled:
        return r.scheduled == r.allocated;
    case EventFilter::AnyScheduled:
        return r.scheduled > 0;
    case EventFilter::NotFullyScheduled:
        return r.scheduled < r.allocated;
    case EventFilter::All:
        break;
    }
    return true;
}

std::optional<std::vector<CodeId>> Prompter::pickCodes(ScheduleData &d, std::string_view caption,
                                                       int mode, std::uint16_t kindMask,
                                                       const CodePickFilter &filter)
{
    CodePickRequest request;
    request.caption = std::string(caption);
    request.mode = mode;
    request.kindMask = kindMask;
    request.fixedCategory = filter.fixedCategory;
    request.eventFilter = filter.events;
    std::vector<CodeId> leftOut;
    // Only the kinds asked for are offered, events first, each in its list's order; only they
    // can start checked, so a selection of the other kind never shows through.
    const bool events = kindMask == 0 || (kindMask & PickEvents);
    const bool resources = kindMask == 0 || (kindMask & PickResources);
    for (const auto *order : {&d.eventList, &d.resourceList}) {
        if (order == &d.eventList ? !events : !resources)
            continue;
        const int count = std::min<int>((*order)[0], MaxCodes);
        for (int i = 1; i <= count; ++i) {
            const CodeId c = (*order)[i];
            if (!validCode(d, c) || d.codes[c].isEvent() != (order == &d.eventList))
                continue;
            if (!passesPickFilter(d, c, filter)) {
                leftOut.push_back(c);
                continue;
            }
            request.offered.push_back(c);
            if ((d.codes[c].flags & LinkMarksMask) == AllMarks)
                request.preset.push_back(c);
        }
    }
    // The dialog's Lock button changes the events' locks at once, whatever the answer.
    request.setLocks = [&d](const std::vector<CodeId> &chosenEvents, bool lock) {
        for (const CodeId e : chosenEvents)
            if (validCode(d, e) && d.codes[e].isEvent())
                setLock(d, e, lock ? LockMode::Lock : LockMode::Unlock);
    };
    // Cancel changes nothing: an earlier selection left in the marks survives.
    std::optional<std::vector<CodeId>> reply = m_dialogs.pickCodes(request);
    if (!reply)
        return std::nullopt;

    std::vector<CodeId> chosen;
    // Only codes that were offered can be chosen.
    for (const CodeId c : *reply) {
        if (validCode(d, c) && std::ranges::find(request.offered, c) != request.offered.end())
            chosen.push_back(c);
    }
    std::ranges::sort(chosen);
    const auto tail = std::ranges::unique(chosen);
    chosen.erase(tail.begin(), tail.end());

    // The answer is written over the codes offered only: a selection of the other kind, left
    // in the marks by an earlier pick, survives a pick of events or of resources.
    for (const CodeId c : request.offered)
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    for (const CodeId c : leftOut)
        d.codes[c].flags &= static_cast<std::uint16_t>(~LinkMarksMask);
    for (const CodeId c : chosen)
        d.codes[c].flags |= AllMarks;
    return chosen;
}

std::optional<std::string> Prompter::input(std::string_view caption, std::string_view prompt,
                                           std::string_view initial, std::size_t maxBytes,
                                           std::string_view forbidden)
{
    InputRequest request;
    request.caption = std::string(caption);
    request.prompt = std::string(prompt);
    request.maxBytes = maxBytes;
    request.forbidden = std::string(forbidden);
    request.initial = limitInput(initial, maxBytes, forbidden);
    std::optional<std::string> reply = m_dialogs.input(request);
    if (!reply)
        return std::nullopt;
    return limitInput(*reply, maxBytes, forbidden);
}

std::optional<std::string> Prompter::openFile(const FileRequest &request)
{
    std::optional<std::string> path = m_dialogs.openFile(request);
    if (!path || path->empty())
        return std::nullopt;
    return path;
}

std::optional<std::string> Prompter::saveFile(const FileRequest &request)
{
    std::optional<std::string> path = m_dialogs.saveFile(request);
    if (!path || path->empty())
        return std::nullopt;
    const std::size_t slash = path->find_last_of('/');
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    if (!request.defaultExtension.empty() && base < path->size() &&
        path->find('.', base) == std::string::npos)
        *path += "." + request.defaultExtension;
    return path;
}

std::optional<std::uint32_t> Prompter::chooseColour(std::string_view caption, std::uint32_t initial)
{
    ColourRequest request;
    request.caption = std::string(caption);
    request.initial = initial & 0xFFFFFF;
    std::optional<std::uint32_t> colour = m_dialogs.chooseColour(request);
    if (!colour)
        return std::nullopt;
    return *colour & 0xFFFFFF;
}

// ---- Pickers over codes the caller lists ----------------------------------------------------

std::optional<std::vector<CodeId>> Prompter::pickAmong(const ScheduleData &d,
                                                       std::string_view caption,
                                                       const std::vector<CodeId> &offered,
                                                       const std::vector<CodeId> &preset)
{
    if (offered.empty())
        return std::vector<CodeId>{};
    OptionsRequest request;
    request.caption = "Select events or resources";
    request.question = std::string(caption);
    request.multiple = true;
    request.columns = 0;
    for (const CodeId c : offered) {
        request.options.push_back({c, formatCode(d, c, ShowCodeAndName)});
        if (std::ranges::find(preset, c) != preset.end())
            request.checked.push_back(c);
    }
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted)
        return std::nullopt;
    std::vector<CodeId> chosen;
    for (const CodeId c : offered)
        if (std::ranges::find(reply.chosen, int{c}) != reply.chosen.end())
            chosen.push_back(c);
    return chosen;
}

CodeId Prompter::chooseAmong(const ScheduleData &d, std::string_view caption,
                             const std::vector<CodeId> &offered,
                             const std::vector<std::string> &lines)
{
    if (offered.empty())
        return 0;
    OptionsRequest request;
    request.caption = std::string(caption);
    request.question = std::string(caption);
    request.columns = 0;
    for (std::size_t i = 0; i < offered.size(); ++i)
        request.options.push_back(
            {offered[i], i < lines.size() ? lines[i] : formatCode(d, offered[i], ShowCodeAndName)});
    request.checked = {offered.front()};
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted || reply.chosen.size() != 1 ||
        std::ranges::find(offered, reply.chosen[0]) == offered.end())
        return 0;
    return static_cast<CodeId>(reply.chosen[0]);
}

int Prompter::selectLine(std::string_view caption, std::string_view title,
                         const std::vector<std::string> &lines, int preselected, int helpTopic,
                         bool fixedPitch)
{
    if (lines.empty())
        return 0;
    OptionsRequest request;
    request.caption = std::string(caption);
    request.question = std::string(title);
    request.helpTopic = std::max(helpTopic, 0);
    request.columns = 0;
    request.fixedPitch = fixedPitch;
    request.copyButton = true;
    for (std::size_t i = 0; i < lines.size(); ++i)
        request.options.push_back({static_cast<int>(i + 1), lines[i]});
    request.checked = {std::clamp(preselected, 1, static_cast<int>(lines.size()))};
    const OptionsReply reply = m_dialogs.options(request);
    if (!reply.accepted || reply.chosen.size() != 1 || reply.chosen[0] < 1 ||
        reply.chosen[0] > static_cast<int>(lines.size()))
        return 0;
    return reply.chosen[0];
}

std::optional<FontChoice> Prompter::chooseFont(std::string_view caption, const FontChoice &initial)
{
    FontRequest request;
    request.caption = std::string(caption);
    request.initial = initial;
    std::optional<FontChoice> font = m_dialogs.chooseFont(request);
    if (font && font->pointSize <= 0)
        return std::nullopt;
    return font;
}

} // namespace quivra
