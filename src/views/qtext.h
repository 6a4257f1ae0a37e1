#pragma once

// The one crossing between the data set's texts and Qt's. Inside the data set every text is a
// byte string in the Windows-1252 code page; on screen it is a QString. Everything that shows a
// stored text or stores a typed one passes through these two functions.

#include <QString>

#include <string>
#include <string_view>

namespace quivra {

// Code-page bytes to a QString. Every byte has a character, so nothing is lost.
QString toQString(std::string_view bytes);

// A QString to code-page bytes. A character the code page cannot hold becomes "?"; `replaced`
// (when given) receives how many did.
std::string fromQString(const QString &text, int *replaced = nullptr);

// The number of bytes `text` takes once stored: one per character (a character outside the
// code page becomes one "?").
qsizetype storedLength(const QString &text);

} // namespace quivra
