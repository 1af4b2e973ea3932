#include "ui/shell/web_links.h"

#include "ui/platform/shell_open.h"
#include "ui/shell/declared_controls.h"
#include "support/window_test_support.h"

#include <tuple>

namespace tessaron {
namespace {

// Each item opens its page in the player's language, the other game's page whatever the
// language; with no language there is no page, and the shell's answer counts as 0. An
// answer up to 32 is a failure, reported with an address to type.
TEST(WebLinks, EachItemOpensItsPageOrSaysWhatToType)
{
    using enum WebItem;
    test::BoxRecorder boxes;
    QStringList opened;
    int answer = kShellOpened;
    setShellOpener([&](const QString& url) {
        opened << url;
        return answer;
    });
    const QString gameEs = "https://tessaron.github.io/game/es/", other = "https://tessaron.github.io/games/rodanto-carreras/";
    const auto failure = [&](int error, const QString& written) {
        return QStringList{QString("It is not possible to open Microsoft Internet Explorer (Error %1)\r\n"
                                   "Try to open manually the address %2").arg(error).arg(written)};
    };
    const QString gameWritten = "tessaron.github.io/games/tessaron.html";
    const std::tuple<WebItem, Language, int, QString, QStringList> cases[] = {
        {GamePage, Language::English, kShellOpened, "https://tessaron.github.io/game/", {}},
        {GamePage, Language::Spanish, kShellOpened, gameEs, {}},
        {GamePage, Language::None, kShellOpened, {}, failure(0, gameWritten)},
        {AuthorPage, Language::English, kShellOpened, "https://tessaron.github.io/en/", {}},
        {AuthorPage, Language::Spanish, kShellOpened, "https://tessaron.github.io/", {}},
        {AuthorPage, Language::None, kShellOpened, {}, failure(0, "tessaron.github.io")},
        {OtherGamePage, Language::None, kShellOpened, other, {}},
        {GamePage, Language::Spanish, kShellNoAssociation, gameEs, failure(31, gameWritten)},
        {OtherGamePage, Language::English, 32, other, failure(32, other)},
        {OtherGamePage, Language::English, 33, other, {}},
    };
    for (const auto& [item, code, result, opens, reported] : cases) {
        SCOPED_TRACE(::testing::Message() << int(item) << " in " << codeOf(code) << " answered " << result);
        answer = result;
        openWebPage(item, code, nullptr);
        EXPECT_EQ(opened, opens.isEmpty() ? QStringList{} : QStringList{opens});
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
