#pragma once
// File names are bytes; Qt's strings are Unicode. Qt turns bytes that are not UTF-8 into
// replacement characters, and such a name can then never be opened again. Here each byte
// that does not decode is kept as a lone low surrogate (U+DC80 + byte), which no decoded
// name can contain, so the string goes back to exactly the bytes it came from.

#include <QString>

class QUrl;

#include <string>
#include <string_view>

namespace tessaron {

QString nameFromNative(std::string_view bytes);
std::string nativeFromName(const QString& name);

// What the player sees of a name: each kept byte as the replacement character, and each
// control character as its visible picture (U+2400 to U+2421; the others, the line and
// paragraph separators and the marks that change the writing direction, as the
// replacement character), so that a name is always one line of text shown in the order
// of its characters, in a list, a label or a window title.
QString shownName(const QString& name);

// The path of a file:// address, such as a file manager hands over. Its escaped bytes are
// kept whatever they are, where QUrl::toLocalFile would turn a name that is not UTF-8
// into one that cannot be opened. Empty for an address that is not a local file.
QString nameFromFileUrl(const QUrl& url);
// The same for an address given as bytes, as typed on a command line: bytes that are not
// UTF-8 count as escaped, and are kept too.
QString nameFromFileAddress(std::string_view address);

}  // namespace tessaron
