#pragma once
// Every web address the game opens or writes out, in one place.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaron {

enum class WebAddress {
    GamePage,           // the game site's main page (English)
    GamePageSpanish,    // the same site's Spanish page
    GamePageWritten,    // a game page in a folder of the author's site, without the scheme
    AuthorPageEnglish,  // the author's English home page
    AuthorPage,         // the author's home page, the site's root
    AuthorPageWritten,  // the author's home page, without the scheme
    OtherGamePage,      // the author's other game, Rodanto Carreras
    SetupToolPage,      // the tool that built the setup program
    ForumPage,          // the programmers' forum thanked in the credits
    AuthorMail,         // where comments go
};
std::string_view webAddress(WebAddress address);

// "It is not possible to open Microsoft Internet Explorer (Error N)", CR LF, "Try to
// open manually the address " and the address: the same in every language.
std::string webFailureText(std::int32_t result, std::string_view writtenAddress);

}  // namespace tessaron
