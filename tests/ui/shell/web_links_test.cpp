#include "ui/shell/web_links.h"

#include "core/language/texts.h"
#include "ui/platform/message_box.h"
#include "ui/platform/shell_open.h"

#include <QList>
#include <QStringList>

#include <optional>

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

// Shell results up to 32 are failures; with no language there is no page to open and
// the result counts as 0. The failure names the result and an address to type.
TEST_F(WebLinksTest, EachItemOpensItsPageOrSaysWhatToType)
{
    using enum WebAddress;
    constexpr int kNoBox = -1;
    const struct {
        WebItem item;
        std::int16_t code;
        int result;
        std::optional<WebAddress> opens;
        int error;
        WebAddress written;
    } cases[] = {
        {WebItem::MWebTessaron, 0, kShellOpened, GamePage, kNoBox, GamePageWritten},
        {WebItem::MWebTessaron, 1, kShellOpened, GamePageSpanish, kNoBox, GamePageWritten},
        {WebItem::MWebAutor, 0, kShellOpened, AuthorPageEnglish, kNoBox, AuthorPageWritten},
        {WebItem::MWebAutor, 1, kShellOpened, AuthorPage, kNoBox, AuthorPageWritten},
        {WebItem::MWebRodanto, 0, kShellOpened, OtherGamePage, kNoBox, OtherGamePage},
        {WebItem::MWebRodanto, 1, kShellOpened, OtherGamePage, kNoBox, OtherGamePage},
        {WebItem::MWebTessaron, 1, kShellNoAssociation, GamePageSpanish, 31, GamePageWritten},
        {WebItem::MWebRodanto, 0, 32, OtherGamePage, 32, OtherGamePage},
        {WebItem::MWebRodanto, 0, 33, OtherGamePage, kNoBox, OtherGamePage},
        {WebItem::MWebTessaron, 2, kShellOpened, std::nullopt, 0, GamePageWritten},
        {WebItem::MWebAutor, 2, kShellOpened, std::nullopt, 0, AuthorPageWritten},
        {WebItem::MWebRodanto, 2, kShellOpened, OtherGamePage, kNoBox, OtherGamePage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.item) << " code " << c.code << " result " << c.result);
        opened.clear();
        boxes.clear();
        shellResult = c.result;
        openWebPage(c.item, c.code, nullptr);
        EXPECT_EQ(opened, c.opens ? QStringList{address(*c.opens)} : QStringList{});
        if (c.error == kNoBox) {
            EXPECT_TRUE(boxes.isEmpty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0].kind, BoxKind::OkInformation);
        EXPECT_EQ(boxes[0].text, QString("It is not possible to open Microsoft Internet Explorer (Error %1)\r\n"
                                         "Try to open manually the address %2").arg(c.error).arg(address(c.written)));
    }
    EXPECT_EQ(address(GamePageWritten), "tessaron.github.io/games/tessaron.html");
}

TEST(ShellOpen, AnAddressThatIsNotOneCannotBeOpened)
{
    EXPECT_EQ(shellOpen(QStringLiteral("http://[not an address")), kShellNoAssociation);
}

}  // namespace
}  // namespace tessaron
