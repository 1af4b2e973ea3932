#pragma once
// File names are bytes; Qt's strings are Unicode. Qt turns bytes that are not UTF-8 into
// replacement characters, and such a name can then never be opened again. Here each byte
// that does not decode is kept as a lone low surrogate (U+DC80 + byte), which no decoded
// name can contain, so the string goes back to exactly the bytes it came from.

#include <QString>

#include <string>
#include <string_view>

namespace tessaron {

QString nameFromNative(std::string_view bytes);
std::string nativeFromName(const QString& name);

// What the player sees of a name: each kept byte as the replacement character.
QString shownName(const QString& name);

}  // namespace tessaron
