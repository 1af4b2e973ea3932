#pragma once
// The new-puzzle dialog's last accepted choice, kept between runs in the player's
// configuration folder (on Linux $XDG_CONFIG_HOME/tessaron/tessaron.conf), apart from the
// game's own settings file, whose one line is the language. The folder and the picture
// are kept as the bytes of their names, so a name that is not UTF-8 comes back as it was.
//
// The file is the INI text that earlier versions wrote through QSettings, a group
// "newPuzzle" of keys, so a choice kept by one of them still opens the dialog, and one
// kept now still reads there.

#include "core/board/puzzle_style.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessaron {

// A real file holds a few hundred bytes. Nothing past this is read: a huge file must
// neither slow the start nor fill memory.
inline constexpr std::size_t kRememberedChoiceReadLimit = 64 * 1024;

struct RememberedChoice {
    std::string folder{};                  // the folder listed, as bytes; empty when none is kept
    std::string picture{};                 // the chosen file's name in that folder, or empty
    std::optional<int> columns{}, rows{};  // as kept; the lists take only what they hold
    std::optional<PuzzleStyle> style{};
    std::optional<bool> preview{}, fitToScreen{};

    // What the text keeps, value by value: a value that is missing or reads as nothing
    // sensible (a folder that is not absolute, a picture name that names a path, a flag
    // that is neither true nor false) is left out, so a strange file costs only what it
    // garbled.
    static RememberedChoice fromText(std::string_view text);
    std::string toText() const;

    // Read and written as the game's own files are; a file that cannot be read (none
    // yet, or something else in its place) keeps nothing, and one that cannot be written
    // costs only the memory of the choice. Neither tells the player.
    static RememberedChoice load(const std::filesystem::path& file);
    void save(const std::filesystem::path& file) const;

    bool operator==(const RememberedChoice&) const = default;
};

}  // namespace tessaron
