#include "shell/web_links.h"

#include "language/texts.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

namespace tessaron {
namespace {

struct WebLinksTest : ::testing::Test {
    QStringList opened;
    QList<BoxRequest> boxes;
    int shellResult = kShellOpened;

    void SetUp() override
    {
        setShellOpener([this](const QString& url) {
            opened << url;
            return shellResult;
        });
        setBoxAnswerer([this](const BoxRequest& request) {
            boxes << request;
            return BoxAnswer::Ok;
        });
    }
    void TearDown() override
    {
        setShellOpener({});
        setBoxAnswerer({});
    }
};

QString address(WebAddress which)
{
    return QString::fromUtf8(webAddress(which).data(), static_cast<qsizetype>(webAddress(which).size()));
}

TEST_F(WebLinksTest, EachItemOpensItsPageForTheLanguage)
{
    const struct {
        WebItem item;
        std::int16_t code;
        WebAddress page;
    } cases[] = {
        {WebItem::MWebTessaron, 0, WebAddress::GamePage},
        {WebItem::MWebTessaron, 1, WebAddress::GamePageSpanish},
        {WebItem::MWebAutor, 0, WebAddress::AuthorPageEnglish},
        {WebItem::MWebAutor, 1, WebAddress::AuthorPage},
        {WebItem::MWebRodanto, 0, WebAddress::OtherGamePage},
        {WebItem::MWebRodanto, 1, WebAddress::OtherGamePage},
        {WebItem::MWebRodanto, 2, WebAddress::OtherGamePage},
    };
    for (const auto& c : cases) {
        opened.clear();
        openWebPage(c.item, c.code, nullptr);
        EXPECT_EQ(opened, QStringList{address(c.page)});
    }
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(WebLinksTest, FailureShowsTheResultAndAnAddressToType)
{
    shellResult = kShellNoAssociation;
    openWebPage(WebItem::MWebTessaron, kSpanish, nullptr);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].kind, BoxKind::OkInformation);
    EXPECT_EQ(boxes[0].text,
        "It is not possible to open Microsoft Internet Explorer (Error 31)\r\n"
        "Try to open manually the address tessaron.github.io/games/tessaron.html");

    // 32 is still a failure; 33 is the first success.
    shellResult = 32;
    openWebPage(WebItem::MWebRodanto, kEnglish, nullptr);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[1].text.endsWith("(Error 32)\r\nTry to open manually the address "
        + address(WebAddress::OtherGamePage)));
    shellResult = 33;
    openWebPage(WebItem::MWebRodanto, kEnglish, nullptr);
    EXPECT_EQ(boxes.size(), 2);
}

TEST_F(WebLinksTest, NoLanguageOpensOnlyTheOtherGame)
{
    openWebPage(WebItem::MWebTessaron, 2, nullptr);
    openWebPage(WebItem::MWebAutor, 2, nullptr);
    openWebPage(WebItem::MWebRodanto, 2, nullptr);
    EXPECT_EQ(opened, QStringList{address(WebAddress::OtherGamePage)});
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0].text.contains("(Error 0)\r\n"));
    EXPECT_TRUE(boxes[1].text.endsWith("(Error 0)\r\nTry to open manually the address "
        + address(WebAddress::AuthorPageWritten)));
}

TEST(ShellOpen, AnAddressThatIsNotOneCannotBeOpened)
{
    EXPECT_EQ(shellOpen(QStringLiteral("http://[not an address")), kShellNoAssociation);
}

}  // namespace
}  // namespace tessaron
