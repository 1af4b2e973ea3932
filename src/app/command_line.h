#pragma once
// What the game is asked to open from outside: `tessaron PICTURE`, as a file manager's
// "Open with" runs it, or as typed.

#include "ui/platform/native_names.h"

#include <QString>

#include <filesystem>
#include <string>
#include <system_error>

namespace tessaron {

// The picture named by the first argument, a path or a file:// address, as a full path
// whose bytes are kept whatever they are; empty when there is none. Further arguments are
// ignored, as are Qt's own, which QApplication has taken out of argv already.
inline QString pictureArgument(int argc, char* argv[])
{
    if (argc < 2 || argv[1][0] == '\0')
        return {};
    std::string path = argv[1];
    if (path.starts_with("file:")) {
        path = nativeFromName(nameFromFileAddress(path));
        if (path.empty())
            return {};
    }
    // The dialog opens on the picture's folder, so a name relative to where the game was
    // started needs that folder written out, without "." or ".." in the folder list.
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return nameFromNative((error ? std::filesystem::path(path) : full).lexically_normal().native());
}

}  // namespace tessaron
