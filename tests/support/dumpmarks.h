#pragma once

#include <string>

namespace quivra {

// A dump without its link marks: pickers leave their selection there, which is no change of the
// data.
inline std::string withoutMarks(std::string dump)
{
    for (auto at = dump.find(" marks 31"); at != std::string::npos; at = dump.find(" marks 31"))
        dump.erase(at, 9);
    return dump;
}

} // namespace quivra
