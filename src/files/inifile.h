#pragma once

// IniFile: a settings file of "[Section]" headings and "Key=Value" lines.
//
// The file is kept as its lines, so whatever a reader does not understand (comments, blank
// lines, unknown sections and keys, lines without "=") is written back unchanged and in its
// place. Sections and keys are matched without regard to ASCII case; the first of duplicate
// sections or keys is the one read and written. Values are trimmed of blanks when read.
// Booleans are "0"/"1"; integers are decimal (a leading "0x" or "$" reads hexadecimal).
//
// Writing a value that holds a line break would split the line; line breaks and other control
// characters in written values, keys and section names become spaces.

#include "engine/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quivra {

class IniFile
{
public:
    // Largest settings file read; anything bigger is not a settings file.
    static constexpr std::size_t MaxFileSize = 4 * 1024 * 1024;

    static IniFile parse(std::string_view text);
    // NotFound when the file does not exist; IoError or Corrupt when it cannot be read.
    static Result<IniFile> load(const std::string &path);

    // The whole file, lines ending as they did when read ("\n" for a new file).
    std::string text() const;
    // Writes through a temporary file and a rename, so the old file stays whole on failure.
    Result<void> save(const std::string &path) const;

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // `fallback` when the key is missing or its value is not a whole number that fits 32 bits;
    // values above INT32_MAX (colour patterns such as 0x80000018) read as their int32.
    std::int64_t readInteger(std::string_view section, std::string_view key,
                             std::int64_t fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets the value of a key: in place when it exists, else after the last key of its section,
    // else in a new section at the end of the file.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // Removes the section's heading and every line up to the next heading.
    void eraseSection(std::string_view section);
    void eraseKey(std::string_view section, std::string_view key);

    // Section names and the keys of one section, in file order, without duplicates.
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Line
    {
        enum class Kind { Other, Section, Key };
        Kind kind = Kind::Other;
        std::string raw;   // the line as read or written, without its end
        std::string name;  // section name or key (trimmed)
        std::string value; // key value (trimmed)
    };

    // Index of the section's heading, or -1.
    int findSection(std::string_view section) const;
    // Index of the key's line, or -1.
    int findKey(std::string_view section, std::string_view key) const;

    std::vector<Line> m_lines;
    std::string m_lineEnd = "\n";
};

// Parses an integer as IniFile reads one: optional sign, decimal or "0x"/"$" hexadecimal,
// blanks around it; nothing for anything else or a value outside int64.
std::optional<std::int64_t> parseIniInteger(std::string_view text);

} // namespace quivra
