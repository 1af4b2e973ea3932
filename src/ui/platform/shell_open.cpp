#include "ui/platform/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace tessaron {
namespace {

ShellOpener& opener()
{
    static ShellOpener instance;
    return instance;
}

}  // namespace

void setShellOpener(ShellOpener newOpener) { opener() = std::move(newOpener); }

int shellOpen(const QString& url)
{
    if (opener())
        return opener()(url);
    // openUrl says only whether some handler took the address; without one (no browser,
    // no xdg-open) the answer is the same as having no association for it.
    const QUrl address(url, QUrl::StrictMode);
    if (!address.isValid() || !QDesktopServices::openUrl(address))
        return kShellNoAssociation;
    return kShellOpened;
}

}  // namespace tessaron
