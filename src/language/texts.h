#pragma once
// The game's language-dependent texts, one table per language. A text is chosen by
// LanguageCode: 0 English, 1 Spanish; any other code has no text at all.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessaron {

enum class Message {
    ExitQuestion,
    Solved,
};

inline constexpr std::int16_t kEnglish = 0;
inline constexpr std::int16_t kSpanish = 1;

// The text of a message, or nothing for a code that is neither English nor Spanish.
std::optional<std::string_view> messageText(Message message, std::int16_t languageCode);

}  // namespace tessaron

namespace tessaron {
// Every window's title and every message box's title.
inline constexpr std::string_view kProgramTitle = "Tessaron";
}  // namespace tessaron
