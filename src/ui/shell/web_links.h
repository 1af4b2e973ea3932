#pragma once
// The three items of the Web menu: each opens its page in the default browser and, when
// that fails, says so and writes out an address to type by hand.

#include "core/language/language.h"

#include <cstdint>

class QWidget;

namespace tessaron {

enum class WebItem { GamePage, AuthorPage, OtherGamePage };

// The game's and the author's pages depend on the language; with no language they open
// nothing and report a failure with 0. The other game's page is the same for all.
void openWebPage(WebItem item, Language language, QWidget* parent);

}  // namespace tessaron
