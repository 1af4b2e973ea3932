#include "ui/shell/web_links.h"

#include "core/language/texts.h"
#include "ui/platform/shell_open.h"
#include "ui/shell/declared_controls.h"
#include "support/window_test_support.h"

#include <optional>
#include <tuple>

namespace tessaron {
namespace {

// Each item opens its page in the player's language, the other game's page whatever the
// language; with no language there is no page, and the shell's answer counts as 0. An
// answer up to 32 is a failure, reported with an address to type.
TEST(WebLinks, EachItemOpensItsPageOrSaysWhatToType)
{
    using enum WebAddress;
    using enum WebItem;
    test::BoxRecorder boxes;
    QStringList opened;
    int answer = kShellOpened;
    setShellOpener([&](const QString& url) {
        opened << url;
        return answer;
    });
    const auto address = [](WebAddress which) { return fromUtf8(webAddress(which)); };
    const auto failure = [&](int error, WebAddress written) {
        return QStringList{QString("It is not possible to open Microsoft Internet Explorer (Error %1)\r\n"
                                   "Try to open manually the address %2").arg(error).arg(address(written))};
    };
    const std::tuple<WebItem, std::int16_t, int, std::optional<WebAddress>, QStringList> cases[] = {
        {MWebTessaron, kEnglish, kShellOpened, GamePage, {}},
        {MWebTessaron, kSpanish, kShellOpened, GamePageSpanish, {}},
        {MWebTessaron, 2, kShellOpened, std::nullopt, failure(0, GamePageWritten)},
        {MWebAutor, kEnglish, kShellOpened, AuthorPageEnglish, {}},
        {MWebAutor, kSpanish, kShellOpened, AuthorPage, {}},
        {MWebAutor, 2, kShellOpened, std::nullopt, failure(0, AuthorPageWritten)},
        {MWebRodanto, 2, kShellOpened, OtherGamePage, {}},
        {MWebTessaron, kSpanish, kShellNoAssociation, GamePageSpanish, failure(31, GamePageWritten)},
        {MWebRodanto, kEnglish, 32, OtherGamePage, failure(32, OtherGamePage)},
        {MWebRodanto, kEnglish, 33, OtherGamePage, {}},
    };
    for (const auto& [item, code, result, opens, reported] : cases) {
        SCOPED_TRACE(::testing::Message() << int(item) << " in " << code << " answered " << result);
        answer = result;
        openWebPage(item, code, nullptr);
        EXPECT_EQ(opened, opens ? QStringList{address(*opens)} : QStringList{});
        opened.clear();
        EXPECT_TRUE(boxes.boxes.isEmpty() || boxes.boxes[0].kind == BoxKind::OkInformation);
        EXPECT_EQ(boxes.take(), reported);
    }
    setShellOpener({});
}

TEST(ShellOpen, AnAddressThatIsNotOneCannotBeOpened)
{
    EXPECT_EQ(shellOpen(QStringLiteral("http://[not an address")), kShellNoAssociation);
}

}  // namespace
}  // namespace tessaron
