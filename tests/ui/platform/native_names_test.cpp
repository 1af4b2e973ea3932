#include "ui/platform/native_names.h"

#include <gtest/gtest.h>

namespace tessaron {
namespace {

// Whatever bytes a name holds, they come back from the string unchanged, and what the
// player sees has a replacement character for each byte that is not UTF-8, and a visible
// picture for each control character.
TEST(NativeNames, AnyBytesGoBackUnchangedAndShowReplacements)
{
    const struct { std::string bytes; const char* shown; } cases[] = {  // shown in UTF-8
        {"pa\xC3\xADs-\xE2\x82\xAC-\xF0\x9F\x98\x80.gif", "pa\xC3\xADs-\xE2\x82\xAC-\xF0\x9F\x98\x80.gif"},
        {"latin1\xE9.jpg", "latin1\xEF\xBF\xBD.jpg"},
        {"overlong \xC0\xAF", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
        {"past unicode \xF4\x90\x80\x80", "past unicode \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"emoji then byte \xF0\x9F\x98\x80\x80", "emoji then byte \xF0\x9F\x98\x80\xEF\xBF\xBD"},
        // Control characters, line breaks among them, as their pictures.
        {"tab\tline\nnel\xC2\x85" "del\x7F", "tab\xE2\x90\x89line\xE2\x90\x8Anel\xEF\xBF\xBD" "del\xE2\x90\xA1"},
        // Marks that turn the text around: U+202E, U+2066, U+200F, U+061C; U+2065 is none.
        {"bidi\xE2\x80\xAEgpj.exe \xE2\x81\xA6\xE2\x80\x8F\xD8\x9C\xE2\x81\xA5",
         "bidi\xEF\xBF\xBDgpj.exe \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xE2\x81\xA5"},
    };
    for (const auto& c : cases) {
        const QString name = nameFromNative(c.bytes);
        EXPECT_EQ(nativeFromName(name), c.bytes) << c.shown;
        EXPECT_EQ(shownName(name).toStdString(), c.shown);
    }
}

}  // namespace
}  // namespace tessaron
