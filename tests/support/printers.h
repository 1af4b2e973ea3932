#pragma once
// How the game's enums show in a test's messages: as the numbers players and files see.

#include "core/language/language.h"
#include "core/platform/runtime_error.h"

#include <ostream>

namespace tessaron {

inline std::ostream& operator<<(std::ostream& out, ErrorNumber number) { return out << static_cast<int>(number); }
inline std::ostream& operator<<(std::ostream& out, Language language) { return out << codeOf(language); }

}  // namespace tessaron
