#pragma once
// The languages the game speaks. The settings file keeps one as its code, 0 English and 1
// Spanish; a file holding any other code holds no language the game speaks, and the
// windows then keep the captions they were made with.

#include <cstdint>

namespace tessaron {

enum class Language : std::int16_t { English = 0, Spanish = 1, None = -1 };

// The language a settings file's code stands for: None for every code but 0 and 1.
constexpr Language languageOfCode(std::int16_t code)
{
    return code == 0 ? Language::English : code == 1 ? Language::Spanish : Language::None;
}

// The code the settings file keeps for a language.
constexpr std::int16_t codeOf(Language language) { return static_cast<std::int16_t>(language); }

}  // namespace tessaron
