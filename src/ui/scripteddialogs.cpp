#include "ui/scripteddialogs.h"

#include <utility>

namespace quivra {

namespace {

const char *shapeName(DialogShape shape)
{
    switch (shape) {
    case DialogShape::Message:
        return "message";
    case DialogShape::Options:
        return "option list";
    case DialogShape::Input:
        return "input box";
    case DialogShape::OpenFile:
        return "open file choice";
    case DialogShape::SaveFile:
        return "save file choice";
    case DialogShape::PickCodes:
        return "code picker";
    case DialogShape::Colour:
        return "colour dialog";
    case DialogShape::Font:
        return "font dialog";
    case DialogShape::OrderedOptions:
        return "reorderable list";
    }
    return "dialog";
}

} // namespace

ScriptedDialogs &ScriptedDialogs::expect(std::string part)
{
    m_pendingExpect = std::move(part);
    return *this;
}

ScriptedDialogs &ScriptedDialogs::queue(Reply reply)
{
    m_queue.push_back({std::exchange(m_pendingExpect, {}), std::move(reply)});
    return *this;
}

ScriptedDialogs &ScriptedDialogs::answer(int answer, bool silence)
{
    return queue(MessageStep{answer, silence});
}

ScriptedDialogs &ScriptedDialogs::choose(std::initializer_list<int> numbers, bool dontAsk)
{
    return queue(OptionsStep{numbers, dontAsk, 0});
}

ScriptedDialogs &ScriptedDialogs::chooseFocused(std::initializer_list<int> numbers, int focused)
{
    return queue(OptionsStep{numbers, false, focused});
}

ScriptedDialogs &ScriptedDialogs::type(std::string text)
{
    return queue(TextStep{std::move(text)});
}

ScriptedDialogs &ScriptedDialogs::file(std::string path)
{
    return queue(TextStep{std::move(path)});
}

ScriptedDialogs &ScriptedDialogs::pick(std::vector<CodeId> codes)
{
    return queue(PickStep{std::move(codes)});
}

ScriptedDialogs &ScriptedDialogs::colour(std::uint32_t rgb)
{
    return queue(ColourStep{rgb});
}

ScriptedDialogs &ScriptedDialogs::font(FontChoice choice)
{
    return queue(FontStep{std::move(choice)});
}

ScriptedDialogs &ScriptedDialogs::arrange(std::vector<int> order, std::vector<int> checked)
{
    return queue(ArrangeStep{{std::move(order), std::move(checked)}});
}

ScriptedDialogs &ScriptedDialogs::cancel()
{
    return queue(CancelStep{});
}

std::string ScriptedDialogs::problems() const
{
    std::string text;
    for (const std::string &p : m_problems)
        text += p + "\n";
    if (!m_queue.empty())
        text += std::to_string(m_queue.size()) + " queued answer(s) never used\n";
    return text;
}

void ScriptedDialogs::fail(const std::string &why)
{
    const ShownDialog &d = m_shown.back();
    const std::string line = std::string("unexpected ") + shapeName(d.shape) + " \"" + d.caption +
                             "\": \"" + d.text + "\" (" + why + ")";
    m_problems.push_back(line);
    throw UnexpectedDialog(line);
}

ScriptedDialogs::Step ScriptedDialogs::next()
{
    if (m_queue.empty())
        fail("no answer queued");
    Step step = std::move(m_queue.front());
    m_queue.pop_front();
    if (!step.expected.empty() && m_shown.back().text.find(step.expected) == std::string::npos)
        fail("expected a text containing \"" + step.expected + "\"");
    return step;
}

MessageReply ScriptedDialogs::message(const MessageRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = DialogShape::Message;
    shown.caption = request.caption;
    shown.text = request.text;
    shown.buttons = request.buttons;
    shown.helpTopic = request.helpTopic;
    shown.silenceLabel = request.silenceLabel;

    const Step step = next();
    MessageReply reply;
    if (std::holds_alternative<CancelStep>(step.reply)) {
        reply.answer = (request.buttons & Buttons::Cancel) ? Answer::Cancel : Answer::Closed;
    } else if (const auto *m = std::get_if<MessageStep>(&step.reply)) {
        bool offered = m->answer == Answer::Help && request.helpTopic > 0;
        for (int i = 0; i < Buttons::Count; ++i)
            offered = offered || ((request.buttons & (1u << i)) && buttonAnswer(i) == m->answer);
        if (!offered)
            fail("the queued answer " + std::to_string(m->answer) + " is not a button shown");
        if (m->silence && request.silenceLabel.empty())
            fail("no \"Do not ask\" box to tick");
        reply = {m->answer, m->silence};
    } else {
        fail("the queued answer is for another kind of dialog");
    }
    shown.answer = reply.answer;
    return reply;
}

ShownDialog &ScriptedDialogs::recordOptions(DialogShape shape, const OptionsRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = shape;
    shown.caption = request.caption;
    shown.text = request.question;
    shown.helpTopic = request.helpTopic;
    shown.options = request.options;
    shown.checked = request.checked;
    shown.multiple = request.multiple;
    return shown;
}

void ScriptedDialogs::checkOffered(const OptionsRequest &request, const std::vector<int> &numbers)
{
    for (const int k : numbers) {
        bool listed = false;
        for (const OptionItem &item : request.options)
            listed = listed || item.number == k;
        if (!listed)
            fail("option " + std::to_string(k) + " is not shown");
    }
}

OptionsReply ScriptedDialogs::options(const OptionsRequest &request)
{
    ShownDialog &shown = recordOptions(DialogShape::Options, request);
    const Step step = next();
    OptionsReply reply;
    if (const auto *o = std::get_if<OptionsStep>(&step.reply)) {
        checkOffered(request, o->numbers);
        if (!request.multiple && o->numbers.size() != 1)
            fail("a single choice takes exactly one option");
        if (o->dontAsk && request.dontAskLabel.empty())
            fail("no \"Don't ask\" box to tick");
        reply = {true, o->numbers, o->focused, o->dontAsk};
    } else if (!std::holds_alternative<CancelStep>(step.reply)) {
        fail("the queued answer is for another kind of dialog");
    }
    shown.answer = reply.accepted && !reply.chosen.empty() ? reply.chosen[0] : 0;
    return reply;
}

std::optional<std::string> ScriptedDialogs::input(const InputRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = DialogShape::Input;
    shown.caption = request.caption;
    shown.text = request.prompt;
    shown.maxBytes = request.maxBytes;
    shown.initial = request.initial;

    return textReply();
}

std::optional<std::string> ScriptedDialogs::fileChoice(DialogShape shape,
                                                       const FileRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = shape;
    shown.caption = request.title;
    shown.text = request.title;
    shown.initial = request.fileName;
    return textReply();
}

std::optional<std::string> ScriptedDialogs::openFile(const FileRequest &request)
{
    return fileChoice(DialogShape::OpenFile, request);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileRequest &request)
{
    return fileChoice(DialogShape::SaveFile, request);
}

// The queued answer to a dialog that answers with a text: the text, or nothing for Cancel.
std::optional<std::string> ScriptedDialogs::textReply()
{
    const Step step = next();
    if (const auto *t = std::get_if<TextStep>(&step.reply))
        return t->text;
    if (!std::holds_alternative<CancelStep>(step.reply))
        fail("the queued answer is for another kind of dialog");
    return std::nullopt;
}

std::optional<std::vector<CodeId>> ScriptedDialogs::pickCodes(const CodePickRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = DialogShape::PickCodes;
    shown.caption = request.caption;
    shown.text = request.caption;
    // The codes offered, as options numbered by their code.
    for (const CodeId c : request.offered)
        shown.options.push_back({c, {}});
    for (const CodeId c : request.preset)
        shown.checked.push_back(c);

    const Step step = next();
    if (const auto *p = std::get_if<PickStep>(&step.reply))
        return p->codes;
    if (!std::holds_alternative<CancelStep>(step.reply))
        fail("the queued answer is for another kind of dialog");
    return std::nullopt;
}

std::optional<std::uint32_t> ScriptedDialogs::chooseColour(const ColourRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = DialogShape::Colour;
    shown.caption = request.caption;
    shown.text = request.caption;
    shown.colour = request.initial;

    const Step step = next();
    if (const auto *c = std::get_if<ColourStep>(&step.reply))
        return c->rgb;
    if (!std::holds_alternative<CancelStep>(step.reply))
        fail("the queued answer is for another kind of dialog");
    return std::nullopt;
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(const FontRequest &request)
{
    ShownDialog &shown = m_shown.emplace_back();
    shown.shape = DialogShape::Font;
    shown.caption = request.caption;
    shown.text = request.caption;
    shown.initial = request.initial.family + " " + std::to_string(request.initial.pointSize);

    const Step step = next();
    if (const auto *f = std::get_if<FontStep>(&step.reply))
        return f->choice;
    if (!std::holds_alternative<CancelStep>(step.reply))
        fail("the queued answer is for another kind of dialog");
    return std::nullopt;
}

std::optional<OrderedSelection> ScriptedDialogs::orderedOptions(const OptionsRequest &request)
{
    ShownDialog &shown = recordOptions(DialogShape::OrderedOptions, request);
    const Step step = next();
    std::optional<OrderedSelection> reply;
    if (const auto *a = std::get_if<ArrangeStep>(&step.reply)) {
        checkOffered(request, a->selection.order);
        checkOffered(request, a->selection.checked);
        reply = a->selection;
    } else if (const auto *o = std::get_if<OptionsStep>(&step.reply)) {
        checkOffered(request, o->numbers);
        reply.emplace();
        for (const OptionItem &item : request.options)
            reply->order.push_back(item.number);
        reply->checked = o->numbers;
    } else if (!std::holds_alternative<CancelStep>(step.reply)) {
        fail("the queued answer is for another kind of dialog");
    }
    shown.answer = reply && !reply->checked.empty() ? reply->checked[0] : 0;
    return reply;
}

} // namespace quivra
