#pragma once

#include <algorithm>
#include <sstream>
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

// The data of a dump: from the code table on, without the session's own state (the current
// code, the modified flag), which is no part of a file, without the file's count of openings,
// which reopening it adds to, without the day its counters started, the day it was first read,
// and without the largest timetable seen, a high-water mark that grows as the views show
// timetables.
inline std::string dataPart(const std::string &dump)
{
    std::istringstream in(dump.substr(std::min(dump.find("[codes]"), dump.size())));
    std::string out;
    bool session = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("["))
            session = line == "[session]";
        if (!session && !line.starts_with("usage 62 ") && !line.starts_with("usage 63 ") &&
            !line.starts_with("largest-timetable"))
            out += line + "\n";
    }
    return out;
}

} // namespace quivra
