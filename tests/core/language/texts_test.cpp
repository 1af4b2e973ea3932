#include "core/language/spoken_texts.h"
#include "core/language/texts.h"
#include "core/shell/controls.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

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
        Language language;
        std::optional<std::string> text;
    } cases[] = {
        {0, 0, {}, Language::English, "0 moves  0:00"}, {1, 5, {}, Language::English, "1 move  0:05"},
        {12, 42, {}, Language::English, "12 moves  0:42"}, {23, 72, 19, Language::English, "23 moves (par 19)  1:12"},
        {1, 3599, {}, Language::Spanish, "1 movimiento  59:59"}, {12, 3725, {}, Language::Spanish, "12 movimientos  1:02:05"},
        {23, 72, 19, Language::Spanish, "23 movimientos (par 19)  1:12"}, {3, 3, {}, Language::None, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recordText(c.moves, c.seconds, c.par, c.language), c.text) << c.moves << " " << c.seconds;
}

// Every accented word of the Spanish texts, messages, captions and what screen readers
// hear, is spelt as it must be: one spelt without its accent, or an accented word not in
// this list (a misspelling), fails, wherever it stands in however long a text.
TEST(SpanishTexts, EveryWordCarriesItsAccent)
{
    const std::set<std::string> accented = {"c\u00F3mo", "despu\u00E9s", "dif\u00EDcil", "electr\u00F3nico",
        "env\u00EDa", "est\u00E1", "im\u00E1genes", "instalaci\u00F3n", "posici\u00F3n",
        "p\u00E1gina", "qu\u00E9", "su\u00E9ltala", "tambi\u00E9n", "vac\u00EDo", "versi\u00F3n", "\u00E9l"};
    // Words right either way (el, esta, que, como), and the design's own "Dificil".
    const std::set<std::string> eitherWay = {"el", "esta", "que", "como", "dificil"};
    const auto plain = [](std::string word) {
        for (const auto& [from, to] : {std::pair{"\u00E1", "a"}, {"\u00E9", "e"}, {"\u00ED", "i"}, {"\u00F3", "o"},
                 {"\u00FA", "u"}, {"\u00FC", "u"}})
            for (std::size_t at; (at = word.find(from)) != std::string::npos;)
                word.replace(at, std::string_view(from).size(), to);
        return word;
    };
    std::set<std::string> plainAccented;
    for (const std::string& word : accented)
        plainAccented.insert(plain(word));

    std::vector<std::string> texts;
    for (int m = 0; m <= static_cast<int>(Message::HowToPlay); ++m)
        texts.emplace_back(*messageText(static_cast<Message>(m), Language::Spanish));
    for (int n = 0; n <= static_cast<int>(BoardNews::Slid); ++n)
        texts.push_back(*boardNewsText(static_cast<BoardNews>(n), 1, 2, 3, 4, Language::Spanish));
    for (const GameWindow window : {GameWindow::Main, GameWindow::NewPuzzle, GameWindow::Language, GameWindow::About})
        for (const Control& control : controlsOf(window))
            texts.insert(texts.end(), {control.design, control.caption.spanish, control.description.spanish});

    for (const std::string& text : texts) {
        for (std::size_t at = 0; at < text.size();) {
            const auto letter = [&](std::size_t i) { return std::isalpha(static_cast<unsigned char>(text[i])) || text[i] & 0x80; };
            std::size_t end = at;
            while (end < text.size() && letter(end))
                ++end;
            std::string word = text.substr(at, end - at);
            at = std::max(end, at + 1);
            if (word.empty())
                continue;
            for (char& c : word)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (plain(word) != word)
                EXPECT_TRUE(accented.contains(word)) << word << " in: " << text;
            else
                EXPECT_TRUE(eitherWay.contains(word) || !plainAccented.contains(word)) << word << " in: " << text;
        }
    }
}

}  // namespace
}  // namespace tessaron
