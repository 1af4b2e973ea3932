#pragma once
// Where the new-puzzle dialog keeps the player's last accepted choice.

#include <filesystem>

namespace tessaron {

// $XDG_CONFIG_HOME/tessaron/tessaron.conf (~/.config when the variable is unset): where
// earlier versions kept it through QSettings, so the choice they kept is found.
std::filesystem::path rememberedChoiceFile();

}  // namespace tessaron
