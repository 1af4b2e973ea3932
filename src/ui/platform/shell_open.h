#pragma once
// Opening a web address in the user's default browser, answered the way the game's
// links expect: a number greater than 32 on success.

#include <QString>

#include <functional>

namespace tessaron {

inline constexpr int kShellOpened = 42;         // any number above 32 means success
inline constexpr int kShellNoAssociation = 31;  // nothing can open web addresses

// Hands the address to the desktop and returns at once; a browser that starts but
// cannot load the page is not noticed.
int shellOpen(const QString& url);

// While an opener is installed, addresses go to it instead of the desktop. An empty
// function restores the desktop.
using ShellOpener = std::function<int(const QString& url)>;
void setShellOpener(ShellOpener opener);

}  // namespace tessaron
