#include "commands/consoledialogs.h"

#include "engine/textutil.h"

#include <ostream>

namespace quivra {

MessageReply ConsoleDialogs::message(const MessageRequest &request)
{
    MessageReply reply;
    if (request.buttons & Buttons::No)
        reply.answer = Answer::No;
    else if (request.buttons & Buttons::Cancel)
        reply.answer = Answer::Cancel;
    else
        reply.answer = Answer::Ok;
    // Questions answered on the user's behalf are not printed; what they ask is not done.
    if (request.buttons & (Buttons::Yes | Buttons::No | Buttons::Cancel))
        return reply;
    const bool problem = request.kind == DialogKind::Warning || request.kind == DialogKind::Error;
    std::ostream &to = problem ? m_err : m_out;
    to << trim(replaceAll(request.text, "\r\n", "\n")) << '\n';
    return reply;
}

} // namespace quivra
