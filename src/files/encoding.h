#pragma once

// Text encodings at the edges of a data set. Inside, every text is a byte string in one 8-bit
// code page (Windows-1252 unless the caller names another); wherever text enters or leaves as
// Unicode it passes through these conversions. Conversion never fails half-way: a character the
// target cannot hold becomes "?", and the number of such characters is reported.

#include "engine/result.h"

#include <string>
#include <string_view>

namespace quivra {

constexpr const char *DefaultCodePage = "WINDOWS-1252";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

struct Converted
{
    std::string text;
    int replaced = 0; // characters that had no equivalent and became "?"
};

// Code-page bytes to UTF-8. Fails only when the platform does not know the code page.
Result<Converted> codePageToUtf8(std::string_view bytes,
                                 const std::string &codePage = DefaultCodePage);
// UTF-8 to code-page bytes. Characters the code page lacks, and bytes that are not valid
// UTF-8, become "?". Fails only when the platform does not know the code page.
Result<Converted> utf8ToCodePage(std::string_view utf8,
                                 const std::string &codePage = DefaultCodePage);

inline bool startsWithUtf8Bom(std::string_view text)
{
    return text.substr(0, Utf8Bom.size()) == Utf8Bom;
}

// The bytes of a text file as the data set holds them: a file that starts with a UTF-8 byte
// order mark is converted from UTF-8 (the mark dropped); any other file is taken as code-page
// bytes unchanged.
Result<Converted> textFileToCodePage(std::string_view fileBytes,
                                     const std::string &codePage = DefaultCodePage);

} // namespace quivra
