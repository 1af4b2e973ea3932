#include "language/texts.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaron {
namespace {

std::string captionOf(TextWindow window, std::string_view control, std::int16_t code)
{
    for (const Caption& caption : windowCaptions(window)) {
        if (caption.control == control)
            return std::string(captionText(caption, code).value_or("<none>"));
    }
    return "<missing>";
}

TEST(TextCatalogue, CreditsNameToolForumAndMailInOrderEndingWithTheVersionLine)
{
    for (std::int16_t code : {kEnglish, kSpanish}) {
        const std::string credits = captionOf(TextWindow::About, "Label4", code);
        const auto where = [&](WebAddress address, std::string_view quotedName) {
            return credits.find(std::string(quotedName) + " (" + std::string(webAddress(address)) + ")");
        };
        const std::size_t tool = where(WebAddress::SetupToolPage, "\"CPack\"");
        const std::size_t forum = where(WebAddress::ForumPage, "\"Stack Overflow\"");
        const std::size_t mail = credits.find(webAddress(WebAddress::AuthorMail));
        ASSERT_NE(tool, std::string::npos) << credits;
        ASSERT_NE(forum, std::string::npos) << credits;
        EXPECT_LT(tool, forum);
        EXPECT_LT(forum, mail);
        EXPECT_NE(mail, std::string::npos);
        const std::string version = captionOf(TextWindow::About, "Label1", code);
        EXPECT_TRUE(credits.ends_with("\"" + version + "\"")) << credits;
    }
    EXPECT_EQ(captionOf(TextWindow::About, "Label4", 2), "<none>");
}

}  // namespace
}  // namespace tessaron
