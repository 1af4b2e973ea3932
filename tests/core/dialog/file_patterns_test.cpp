#include "core/dialog/file_patterns.h"

#include <gtest/gtest.h>


namespace tessaron {
namespace {

using Strings = std::vector<std::string>;

TEST(FilePatterns, MatchCaseInsensitivelyAcrossTheList)
{
    const char* pictures = "*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf";
    const struct { const char* patterns; std::string name; bool expected; } cases[] = {
        {pictures, "IMG_0001.JPG", true}, {pictures, "a.JpEg", true}, {pictures, "caf\xC3\xA9.gif", true},
        {pictures, "photo.png", false}, {pictures, "jpg", false}, {pictures, "sea.jpg.txt", false},
        {"*.*", "Makefile", true}, {"img_??.jpg", "IMG_07.jpg", true}, {"img_??.jpg", "img_7.jpg", false},
        {"a*b*c", "aXXbYYc", true}, {"a*b*c", "aXXbYY", false},
        // Many stars against a long near-miss must stay fast, not backtrack exponentially.
        {"*a*a*a*a*a*a*a*a*b", std::string(200, 'a'), false},
        // Blanks around patterns and empty pieces are ignored; an empty list matches nothing.
        {" *.gif ;;*.bmp", "x.BMP", true}, {"", "x.bmp", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilePatterns(c.patterns).matches(c.name), c.expected) << c.patterns << " " << c.name;
    EXPECT_EQ(matchingSorted({"b.jpg", "notes.txt", "A.JPG", "a.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"},
                  FilePatterns("*.jpg;*.gif")),
        (Strings{"A.JPG", "a.jpg", "b.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"}));
}

}  // namespace
}  // namespace tessaron
