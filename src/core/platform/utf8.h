#pragma once
// UTF-8, as file names and the game's own files spell text.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaron {

// The length of the well-formed UTF-8 sequence at `at` and its code point, or 0 where the
// bytes there are no UTF-8 (an overlong form, a surrogate, a code point past Unicode, a
// sequence cut short).
std::size_t decodeUtf8(std::string_view bytes, std::size_t at, char32_t& code);

// The code point's UTF-8 bytes, appended.
void appendUtf8(std::string& out, char32_t code);

}  // namespace tessaron
