#pragma once
// The order in which the game comes up, apart from any window: the language from the
// settings file (or, on the first run, from the player, then written down), the texts,
// the picture the game was opened on if any, the new-puzzle dialog and its puzzle. Each
// step may fail on its own: File not found abandons just that step, any other error is
// reported and ends start-up there. The picture is the exception: the player asked for
// it, so every error of its own is reported, a missing file too, and the dialog opens
// all the same for another. The
// windows supply the steps; the caller shows the main window afterwards, whatever
// happened.

#include "core/language/language.h"
#include "core/platform/runtime_error.h"

#include <cstdint>
#include <functional>

namespace tessaron {

struct StartupSteps {
    std::function<Language()> readLanguage;                 // the settings file
    std::function<Language()> askLanguage;                  // the first-run window
    std::function<void(Language)> saveLanguage;             // the settings file, written
    std::function<void(Language)> applyTexts;
    std::function<void()> offerPicture;                     // into the dialog; unset: none
    std::function<bool()> choosePuzzle;                     // the dialog: true on OK
    std::function<void()> startPuzzle;                      // the puzzle it chose
    std::function<void(const RuntimeError&)> report;
};

// Runs start-up. The language it settles on reaches the windows through applyTexts, and
// its owner keeps it from there.
void runStartup(const StartupSteps& steps);

}  // namespace tessaron
