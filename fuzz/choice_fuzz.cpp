// Feeds arbitrary text to the readers of the game's own files: the remembered choice and
// data.puz's line. Whatever the choice text reads as must come back unchanged from the
// text the game writes for it, so a name can never be kept as other bytes than its own.

#include "core/dialog/remembered_choice.h"
#include "core/language/settings_file.h"
#include "core/platform/runtime_error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tessaron::RememberedChoice choice = tessaron::RememberedChoice::fromText(text);
    if (tessaron::RememberedChoice::fromText(choice.toText()) != choice)
        __builtin_trap();
    try {
        tessaron::parseSettings(text);
    } catch (const tessaron::RuntimeError&) {
    }
    return 0;
}
