#pragma once
// The file list's filter: a ";"-separated list of name patterns ("*.jpg;*.gif") where "*"
// stands for any run of characters and "?" for one, compared without regard to case, so
// a camera's "IMG_0001.JPG" is a picture like "sea.jpg".

#include <string>
#include <string_view>
#include <vector>

namespace tessaron {

// The pictures the loader reads, as the new-puzzle dialog lists them first; a file dropped
// on the board is taken for a picture by the same list.
inline constexpr char kPicturePatterns[] = "*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf";

class FilePatterns {
public:
    FilePatterns();  // "*.*": every file
    explicit FilePatterns(std::string_view list);

    bool matches(std::string_view name) const;
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::vector<std::string> patterns_;  // lower-cased, empty ones dropped
    bool matchAll_ = false;
};

// One pattern against one name. "*.*" matches names without a dot too, as the file
// dialogs players know have always done.
bool matchesPattern(std::string_view pattern, std::string_view name);

// The names that match, in the file list's order: case-insensitive, ties broken by the
// exact bytes so that the order never depends on the listing's.
std::vector<std::string> matchingSorted(std::vector<std::string> names, const FilePatterns& patterns);

}  // namespace tessaron
