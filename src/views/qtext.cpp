#include "views/qtext.h"

#include <QList>

#include <array>

namespace quivra {
namespace {

// Bytes 0x80..0x9F of Windows-1252. The five bytes the code page leaves undefined map to the
// control characters of the same value, as the platform that made the files does, so they
// survive a round trip.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

} // namespace

QString toQString(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out.append(QChar(b >= 0x80 && b <= 0x9F ? HighControls[b - 0x80] : char16_t(b)));
    }
    return out;
}

std::string fromQString(const QString &text, int *replaced)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    int lost = 0;
    for (const uint code : text.toUcs4()) {
        const auto c = static_cast<char32_t>(code);
        const int b = byteOf(c);
        if (b < 0)
            ++lost;
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    if (replaced)
        *replaced = lost;
    return out;
}

qsizetype storedLength(const QString &text)
{
    // A surrogate pair is one character and so one stored byte.
    qsizetype n = 0;
    for (const QChar c : text) {
        if (!c.isLowSurrogate())
            ++n;
    }
    return n;
}

} // namespace quivra
