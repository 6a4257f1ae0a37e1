#include "files/inifile.h"

#include "engine/textutil.h"
#include "files/datafile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>

namespace quivra {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// One line of written text: control characters (line breaks above all) become spaces.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

} // namespace

std::optional<std::int64_t> parseIniInteger(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (!negative && magnitude > static_cast<std::uint64_t>(INT64_MAX))
        return std::nullopt;
    if (negative && magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1)
        return std::nullopt;
    return negative ? static_cast<std::int64_t>(0 - magnitude)
                    : static_cast<std::int64_t>(magnitude);
}

IniFile IniFile::parse(std::string_view text)
{
    IniFile ini;
    if (text.find("\r\n") != std::string_view::npos)
        ini.m_lineEnd = "\r\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::string_view raw = text.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        start = end + 1;

        Line line;
        line.raw = std::string(raw);
        const std::string_view body = trimBlanks(raw);
        if (body.size() >= 2 && body.front() == '[' && body.find(']') != std::string_view::npos) {
            line.kind = Line::Kind::Section;
            line.name = std::string(trimBlanks(body.substr(1, body.find(']') - 1)));
        } else if (!body.empty() && body.front() != ';' && body.front() != '#' &&
                   body.find('=') != std::string_view::npos && body.find('=') > 0) {
            line.kind = Line::Kind::Key;
            const std::size_t eq = body.find('=');
            line.name = std::string(trimBlanks(body.substr(0, eq)));
            line.value = std::string(trimBlanks(body.substr(eq + 1)));
        }
        ini.m_lines.push_back(std::move(line));
    }
    return ini;
}

Result<IniFile> IniFile::load(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return fail(Error::Code::NotFound, "no file " + path);
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return fail(Error::Code::IoError, "cannot read " + path);
    if (size > MaxFileSize)
        return fail(Error::Code::Corrupt, "too large for a settings file: " + path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(Error::Code::IoError, "cannot open " + path);
    std::string text(std::istreambuf_iterator<char>(in), {});
    if (in.bad() || text.size() > MaxFileSize)
        return fail(Error::Code::IoError, "cannot read " + path);
    return parse(text);
}

std::string IniFile::text() const
{
    std::string out;
    for (const Line &line : m_lines)
        out += line.raw + m_lineEnd;
    return out;
}

Result<void> IniFile::save(const std::string &path) const
{
    const std::string content = text();
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t *>(content.data()), content.size()));
}

int IniFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section && sameName(m_lines[i].name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int IniFile::findKey(std::string_view section, std::string_view key) const
{
    const int heading = findSection(section);
    if (heading < 0)
        return -1;
    for (std::size_t i = heading + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section)
            break;
        if (m_lines[i].kind == Line::Kind::Key && sameName(m_lines[i].name, key))
            return static_cast<int>(i);
    }
    return -1;
}

bool IniFile::hasSection(std::string_view section) const
{
    return findSection(section) >= 0;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const
{
    return findKey(section, key) >= 0;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    const int i = findKey(section, key);
    if (i < 0)
        return std::nullopt;
    return m_lines[i].value;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view fallback) const
{
    const auto v = value(section, key);
    return v ? *v : std::string(fallback);
}

std::int64_t IniFile::readInteger(std::string_view section, std::string_view key,
                                  std::int64_t fallback) const
{
    const auto v = value(section, key);
    if (!v)
        return fallback;
    const auto n = parseIniInteger(*v);
    if (!n || *n < INT32_MIN || *n > UINT32_MAX)
        return fallback;
    // Colours such as 0x80000018 are 32-bit patterns: read them as the int32 they stand for.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*n));
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string name = oneLine(trimBlanks(key));
    const std::string text = oneLine(trimBlanks(value));
    Line line{Line::Kind::Key, name + "=" + text, name, text};

    if (const int i = findKey(section, key); i >= 0) {
        m_lines[i] = std::move(line);
        return;
    }
    const int heading = findSection(section);
    if (heading < 0) {
        if (!m_lines.empty() && !trimBlanks(m_lines.back().raw).empty())
            m_lines.push_back({Line::Kind::Other, "", "", ""});
        const std::string title = oneLine(section);
        m_lines.push_back({Line::Kind::Section, "[" + title + "]", title, ""});
        m_lines.push_back(std::move(line));
        return;
    }
    // After the section's last key; comments and blank lines that follow it stay below.
    std::size_t at = heading + 1;
    for (std::size_t i = heading + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section)
            break;
        if (m_lines[i].kind == Line::Kind::Key)
            at = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int64_t value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section)
{
    // Every copy of a repeated section goes, so no stale copy comes back into view.
    for (int heading = findSection(section); heading >= 0; heading = findSection(section)) {
        std::size_t end = heading + 1;
        while (end < m_lines.size() && m_lines[end].kind != Line::Kind::Section)
            ++end;
        m_lines.erase(m_lines.begin() + heading,
                      m_lines.begin() + static_cast<std::ptrdiff_t>(end));
    }
}

void IniFile::eraseKey(std::string_view section, std::string_view key)
{
    if (const int i = findKey(section, key); i >= 0)
        m_lines.erase(m_lines.begin() + i);
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> out;
    for (const Line &line : m_lines) {
        if (line.kind == Line::Kind::Section &&
            std::ranges::none_of(out, [&](const std::string &s) { return sameName(s, line.name); }))
            out.push_back(line.name);
    }
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> out;
    const int heading = findSection(section);
    if (heading < 0)
        return out;
    for (std::size_t i = heading + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Kind::Section)
            break;
        const std::string &name = m_lines[i].name;
        if (m_lines[i].kind == Line::Kind::Key &&
            std::ranges::none_of(out, [&](const std::string &k) { return sameName(k, name); }))
            out.push_back(name);
    }
    return out;
}

} // namespace quivra
