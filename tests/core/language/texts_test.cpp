#include "core/language/texts.h"

#include <gtest/gtest.h>

#include <optional>

namespace tessaron {
namespace {

// The menu bar's corner: one move or many, minutes and seconds, hours from the first
// hour on, the par once solved; nothing in a language the game does not speak.
TEST(RecordText, CountsTimeAndParInEachLanguage)
{
    const struct {
        std::int32_t moves;
        std::int64_t seconds;
        std::optional<std::int32_t> par;
        std::int16_t language;
        std::optional<std::string> text;
    } cases[] = {
        {0, 0, {}, kEnglish, "0 moves  0:00"}, {1, 5, {}, kEnglish, "1 move  0:05"},
        {12, 42, {}, kEnglish, "12 moves  0:42"}, {23, 72, 19, kEnglish, "23 moves (par 19)  1:12"},
        {1, 3599, {}, kSpanish, "1 movimiento  59:59"}, {12, 3725, {}, kSpanish, "12 movimientos  1:02:05"},
        {23, 72, 19, kSpanish, "23 movimientos (par 19)  1:12"}, {3, 3, {}, 2, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recordText(c.moves, c.seconds, c.par, c.language), c.text) << c.moves << " " << c.seconds;
}

}  // namespace
}  // namespace tessaron
