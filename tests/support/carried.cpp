#include "support/carried.h"

#include "engine/dump.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace quivra {

std::string carriedByText(const ScheduleData &d)
{
    static const std::vector<std::string> Sections = {"[codes]", "[collections]", "[lectures]",
                                                      "[roles]", "[comments]"};
    std::istringstream in(dumpScheduleData(d));
    std::vector<std::string> lines;
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('[')) {
            section = line;
            continue;
        }
        if (line.empty() || std::ranges::find(Sections, section) == Sections.end())
            continue;
        if (section == "[codes]" && std::isdigit(static_cast<unsigned char>(line[0])))
            line = line.substr(line.find(' ') + 1);
        lines.push_back(section + " " + line);
    }
    std::ranges::sort(lines);
    std::string out;
    for (const std::string &line : lines)
        out += line + "\n";
    return out;
}

} // namespace quivra
