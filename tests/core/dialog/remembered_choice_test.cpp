#include "core/dialog/remembered_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace tessaron {

// Found by the test framework beside the type, so a failure shows what was read.
void PrintTo(const RememberedChoice& c, std::ostream* out)
{
    const auto number = [](const auto& v) { return v ? std::to_string(int(*v)) : std::string("-"); };
    *out << '"' << c.folder << "\" \"" << c.picture << "\" " << number(c.columns) << 'x' << number(c.rows)
         << " style " << (c.style ? int(*c.style) : -1) << " preview " << number(c.preview) << " fit " << number(c.fitToScreen);
}

namespace {

namespace fs = std::filesystem;

// Whatever bytes the names hold, they come back as they were, and so do the numbers and
// flags, or their absence.
TEST(RememberedChoice, EveryChoiceComesBackFromItsText)
{
    const RememberedChoice cases[] = {
        {"/home/ana/Fotos", "friends.jpg", 4, 4, PuzzleStyle::Normal, true, false},
        {"/", "a", 75, 1, PuzzleStyle::Difficult, false, true},
        {"/fotos\xE9/caf\xC3\xA9", "mar\xE9 1.jpg", std::nullopt, 9, std::nullopt, std::nullopt, true},
        // What the text itself uses: escapes, quotes, comments, lists, and a hex digit
        // right after an escaped byte; blanks at either end; a line break.
        {"/a\\x41\"b;c,d=e[f]\x01" "ab\xFF" "F", " lead\ttab\nend ", -5, 0, std::nullopt, true, std::nullopt},
        {"/@ByteArray(x)", "@@at", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const RememberedChoice& choice : cases) {
        SCOPED_TRACE(choice.toText());
        EXPECT_EQ(RememberedChoice::fromText(choice.toText()), choice);
    }
}

// Anything strange costs only what it garbled: values outside the group, of another
// type or out of their kind are left out; a later key wins, as it does for QSettings.
TEST(RememberedChoice, StrangeTextKeepsOnlyWhatReadsAsSensible)
{
    const struct { std::string text; RememberedChoice kept; } cases[] = {
        {"columns=4\n[other]\nrows=3\n[newPuzzleX]\nrows=2\n", {}},
        {"\xEF\xBB\xBF[newPuzzle]\ncolumns=4\n", {}},  // a byte-order mark spoils the group's name
        {"[newPuzzle]\r\n  columns = 12 \r\nrows=+3\r\ncolumns=7\n[other]\nrows=1", {.columns = 7, .rows = 3}},
        {"[newPuzzle]\ncolumns=4x\nrows=99999999999\ndifficult=TRUE\npreview=1\nfitToScreen=true ; note",
         {.fitToScreen = true}},
        {"[newPuzzle]\nfolder=relative\npicture=a/b.jpg\n", {}},
        {"[newPuzzle]\nfolder=/ok\npicture=..\n", {.folder = "/ok"}},
        {"[newPuzzle]\nfolder=@ByteArray(/a\\0b)\npicture=@ByteArray()\n", {}},
        {"[newPuzzle]\nfolder=\"/a, b\"\npicture=x,y\n", {.folder = "/a, b"}},
        {"[newPuzzle]\nfolder=@Variant(\\0\\0\\0\\x7f)\npicture=@@b\ndifficult=@Invalid()\n", {.picture = "@b"}},
        {"[newPuzzle]\nfolder=/\\xe9\\101\\t\\q\npicture=\\x10000\n", {.folder = "/\xC3\xA9" "A\tq", .picture = "\xF0\x90\x80\x80"}},
        {"[newPuzzle]\nfolder=@ByteArray(/\\x100)\n", {}},  // no byte holds 256
        {std::string("\0\xff[newPuzzle\ncolumns=\x01\n@@", 25), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RememberedChoice::fromText(c.text), c.kept);
    }
}

// Nothing past the read limit counts, not even the start of a line the limit cuts,
// which could read as a shorter value than it holds: "columns=1" of "columns=12".
TEST(RememberedChoice, NothingPastTheReadLimitCounts)
{
    const fs::path file = fs::temp_directory_path() / ("tessaron-choice-" + std::to_string(::getpid()));
    const std::string head = "[newPuzzle]\nrows=3\n";
    for (const std::size_t cut : {std::size_t{12}, std::size_t{10}}) {
        std::string text = head;
        text += std::string(kRememberedChoiceReadLimit - head.size() - cut, ';') + "\ncolumns=12\nfolder=/far\n";
        std::ofstream(file, std::ios::binary) << text;
        EXPECT_EQ(RememberedChoice::load(file), (RememberedChoice{.columns = cut == 12 ? std::optional(12) : std::nullopt,
                                                                  .rows = 3})) << cut;
    }
    fs::remove(file);
    EXPECT_EQ(RememberedChoice::load(file), RememberedChoice{});
}

}  // namespace
}  // namespace tessaron
