#pragma once

// Lines, sections, keys and fields of the text exchange file, shared by its readers.

#include "engine/textutil.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

constexpr std::size_t SectionNameLength = 40;
constexpr std::size_t KeyLength = 40;

// Calls `f` with every line of `text`. CR LF, LF and CR all end a line; a last line without an
// ending counts too. Every line arrives as a text field may hold it (cleanText: a tab becomes a
// space, other control characters are dropped), so no reader of these files takes them in.
template <typename F> void forEachTextLine(std::string_view text, F &&f)
{
    const auto give = [&f](std::string_view line) {
        if (hasControlCharacters(line))
            f(std::string_view(cleanText(line)));
        else
            f(line);
    };
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            give(text.substr(start));
            return;
        }
        give(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A section line begins with "[" and has a "]" after its second character.
inline bool isSectionLine(std::string_view line)
{
    return line.starts_with('[') && line.size() > 2 && line.find(']', 2) != std::string_view::npos;
}

// The section's name: the line without blanks around it, cut to 40 characters.
inline std::string_view sectionName(std::string_view line)
{
    return trimBlanks(line).substr(0, SectionNameLength);
}

struct KeyValue
{
    std::string_view key;
    std::string_view value;
};

// "key=value" with blanks around the first "=" dropped; none for comments (";"), lines without
// "=" and an empty key. The key is cut to 40 characters. Blanks around a later "=" belong to the
// value, so a name such as "A = B" reads back unchanged.
inline std::optional<KeyValue> splitKeyValue(std::string_view line)
{
    if (line.empty() || line.front() == ';')
        return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view key = line.substr(0, eq);
    while (!key.empty() && isBlank(key.back()))
        key.remove_suffix(1);
    if (key.empty())
        return std::nullopt;
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    return KeyValue{key.substr(0, KeyLength), value};
}

// The ";"-separated fields of a value, blanks around each removed.
inline std::vector<std::string> splitFields(std::string_view value)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = value.find(';', start);
        fields.emplace_back(trimBlanks(value.substr(start, end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return fields;
}

} // namespace quivra
