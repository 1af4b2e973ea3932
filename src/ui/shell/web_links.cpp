#include "ui/shell/web_links.h"

#include "core/language/texts.h"
#include "core/language/web_addresses.h"
#include "ui/platform/message_box.h"
#include "ui/platform/shell_open.h"
#include "ui/shell/declared_controls.h"

#include <QString>

#include <optional>

namespace tessaron {
namespace {

struct WebLink {
    bool followsLanguage;  // otherwise the same page opens for every code
    WebAddress english;
    WebAddress spanish;
    WebAddress written;    // written out in the failure message
};

WebLink linkOf(WebItem item)
{
    switch (item) {
    case WebItem::GamePage:
        return {true, WebAddress::GamePage, WebAddress::GamePageSpanish,
            WebAddress::GamePageWritten};
    case WebItem::AuthorPage:
        return {true, WebAddress::AuthorPageEnglish, WebAddress::AuthorPage,
            WebAddress::AuthorPageWritten};
    case WebItem::OtherGamePage:
        break;
    }
    return {false, WebAddress::OtherGamePage, WebAddress::OtherGamePage,
        WebAddress::OtherGamePage};
}

}  // namespace

void openWebPage(WebItem item, Language language, QWidget* parent)
{
    const WebLink link = linkOf(item);
    std::optional<WebAddress> page;
    if (!link.followsLanguage || language == Language::English)
        page = link.english;
    else if (language == Language::Spanish)
        page = link.spanish;

    // With no language there is no page to open, and the shell's answer counts as 0.
    const int result = page ? shellOpen(fromUtf8(webAddress(*page))) : 0;
    if (result <= 32)
        showInformation(parent, fromUtf8(webFailureText(result, webAddress(link.written))));
}

}  // namespace tessaron
