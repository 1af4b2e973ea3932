#include "language/texts.h"

#include <array>

namespace tessaron {
namespace {

struct MessageTexts {
    Message message;
    std::string_view english;
    std::string_view spanish;
};

constexpr std::array kMessages{
    MessageTexts{Message::ExitQuestion, "Do you want to close the program?",
        "\u00BFDesea abandonar el programa?"},
    MessageTexts{Message::Solved, "You've got it!", "\u00A1Lo conseguiste!"},
};

}  // namespace

std::optional<std::string_view> messageText(Message message, std::int16_t languageCode)
{
    for (const auto& entry : kMessages) {
        if (entry.message != message)
            continue;
        if (languageCode == kEnglish)
            return entry.english;
        if (languageCode == kSpanish)
            return entry.spanish;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tessaron
