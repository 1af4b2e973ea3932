#pragma once
// The new-puzzle dialog's last accepted choice, kept between runs in the player's
// configuration folder (on Linux $XDG_CONFIG_HOME/tessaron/tessaron.conf), apart from the
// game's own settings file, whose one line is the language. The folder and the picture
// are kept as the bytes of their names, so a name that is not UTF-8 comes back as it was.

#include <QString>

#include <optional>

namespace tessaron {

struct RememberedChoice {
    QString folder;                    // the folder listed; empty when none is kept
    QString picture;                   // the chosen file's name in that folder, or empty
    std::optional<int> columns, rows;  // as kept; the lists take only what they hold
    std::optional<bool> difficult, preview, fitToScreen;

    // What is kept, value by value: a value that is missing or reads as nothing sensible
    // (a folder that is not absolute, a picture name that names a path, a flag that is
    // neither true nor false) is left out, so a strange file costs only what it garbled.
    static RememberedChoice load();
    // Written at once. A folder that cannot be written costs only the memory of it.
    void save() const;
};

}  // namespace tessaron
