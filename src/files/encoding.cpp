#include "files/encoding.h"

#include <cerrno>
#include <iconv.h>

namespace quivra {

namespace {

// Owns one iconv descriptor.
class Converter
{
public:
    Converter(const std::string &to, const std::string &from)
        : m_cd(iconv_open(to.c_str(), from.c_str()))
    {}
    ~Converter()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; an input sequence that cannot be converted is skipped (`skip`
    // tells how many bytes it spans) and "?" is written in its place.
    Converted run(std::string_view in, const auto &skip)
    {
        Converted out;
        out.text.reserve(in.size() + in.size() / 2 + 16);
        char buffer[4096];
        auto *src = const_cast<char *>(in.data());
        std::size_t left = in.size();
        while (left > 0) {
            char *dst = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t r = iconv(m_cd, &src, &left, &dst, &room);
            out.text.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ (unmappable or malformed) or EINVAL (cut off at the end).
            const std::size_t n = std::min<std::size_t>(left, skip(std::string_view(src, left)));
            src += n;
            left -= n;
            out.text += '?';
            ++out.replaced;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        char *dst = buffer;
        std::size_t room = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &dst, &room);
        out.text.append(buffer, static_cast<std::size_t>(dst - buffer));
        return out;
    }

private:
    iconv_t m_cd;
};

// Length of the UTF-8 sequence at the start of `s` as far as it is well formed, at least 1.
std::size_t utf8SequenceLength(std::string_view s)
{
    const auto lead = static_cast<unsigned char>(s[0]);
    std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (lead >= 0xF8 || (lead >= 0x80 && lead < 0xC0))
        n = 1;
    std::size_t k = 1;
    while (k < n && k < s.size() && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

Error unknownCodePage(const std::string &codePage)
{
    return Error{Error::Code::NotFound, "unknown code page " + codePage};
}

} // namespace

Result<Converted> codePageToUtf8(std::string_view bytes, const std::string &codePage)
{
    Converter c("UTF-8", codePage);
    if (!c.ok())
        return std::unexpected(unknownCodePage(codePage));
    return c.run(bytes, [](std::string_view) { return std::size_t{1}; });
}

Result<Converted> utf8ToCodePage(std::string_view utf8, const std::string &codePage)
{
    Converter c(codePage, "UTF-8");
    if (!c.ok())
        return std::unexpected(unknownCodePage(codePage));
    return c.run(utf8, utf8SequenceLength);
}

Result<Converted> textFileToCodePage(std::string_view fileBytes, const std::string &codePage)
{
    if (startsWithUtf8Bom(fileBytes))
        return utf8ToCodePage(fileBytes.substr(Utf8Bom.size()), codePage);
    return Converted{std::string(fileBytes), 0};
}

} // namespace quivra
