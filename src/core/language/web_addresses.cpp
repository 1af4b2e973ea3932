#include "core/language/web_addresses.h"

#include <array>

namespace tessaron {
namespace {

struct AddressEntry {
    WebAddress address;
    std::string_view text;
};

// The game's pages live under the project's site; the site's root is the authors' page.
constexpr std::array kAddresses{
    AddressEntry{WebAddress::GamePage, "https://tessaron.github.io/game/"},
    AddressEntry{WebAddress::GamePageSpanish, "https://tessaron.github.io/game/es/"},
    AddressEntry{WebAddress::GamePageWritten, "tessaron.github.io/games/tessaron.html"},
    AddressEntry{WebAddress::AuthorPageEnglish, "https://tessaron.github.io/en/"},
    AddressEntry{WebAddress::AuthorPage, "https://tessaron.github.io/"},
    AddressEntry{WebAddress::AuthorPageWritten, "tessaron.github.io"},
    AddressEntry{WebAddress::OtherGamePage, "https://tessaron.github.io/games/rodanto-carreras/"},
    AddressEntry{WebAddress::SetupToolPage, "https://cmake.org/cmake/help/latest/module/CPack.html"},
    AddressEntry{WebAddress::ForumPage, "https://stackoverflow.com"},
    AddressEntry{WebAddress::AuthorMail, "developers@tessaron.github.io"},
};

constexpr bool addressesInOrder()
{
    for (std::size_t i = 0; i < kAddresses.size(); ++i) {
        if (static_cast<std::size_t>(kAddresses[i].address) != i)
            return false;
    }
    return true;
}
static_assert(addressesInOrder(), "kAddresses is indexed by WebAddress");

}  // namespace

std::string_view webAddress(WebAddress address)
{
    return kAddresses[static_cast<std::size_t>(address)].text;
}

std::string webFailureText(std::int32_t result, std::string_view writtenAddress)
{
    std::string text = "It is not possible to open Microsoft Internet Explorer (Error ";
    text += std::to_string(result);
    text += ")\r\nTry to open manually the address ";
    text += writtenAddress;
    return text;
}

}  // namespace tessaron
