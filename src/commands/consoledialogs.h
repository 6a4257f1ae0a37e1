#pragma once

// ConsoleDialogs: the dialogs of a run without a display. Messages are printed (information to
// one stream, warnings and errors to the other); questions take the answer that changes nothing
// (No, else Cancel); lists, inputs and file choices are cancelled.

#include "ui/dialogs.h"

#include <iosfwd>

namespace quivra {

class ConsoleDialogs final : public Dialogs
{
public:
    ConsoleDialogs(std::ostream &out, std::ostream &err) : m_out(out), m_err(err) {}

    MessageReply message(const MessageRequest &request) override;
    OptionsReply options(const OptionsRequest &) override { return {}; }
    std::optional<std::string> input(const InputRequest &) override { return std::nullopt; }
    std::optional<std::string> openFile(const FileRequest &) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileRequest &) override { return std::nullopt; }
    std::optional<std::vector<CodeId>> pickCodes(const CodePickRequest &) override
    {
        return std::nullopt;
    }
    std::optional<std::uint32_t> chooseColour(const ColourRequest &) override
    {
        return std::nullopt;
    }

private:
    std::ostream &m_out;
    std::ostream &m_err;
};

} // namespace quivra
