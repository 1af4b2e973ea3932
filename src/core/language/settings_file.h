#pragma once
// The settings file data.puz: one line holding the language code. Its absence is how
// the game recognises its first run.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaron {

// Opened by bare name, so it lives in the current directory.
inline constexpr std::string_view kSettingsFileName = "data.puz";

// The line as written: a blank (a minus for a negative code), the digits, a blank, CR LF.
std::string formatSettings(std::int16_t languageCode);

// No real settings file comes near this many bytes (the game writes five to eight), so
// reading stops here: a huge or sparse file must not keep start-up busy for minutes.
inline constexpr std::size_t kSettingsReadLimit = std::size_t{1} << 20;

// The first item of the content, as a signed 16-bit number. Leading blanks are skipped;
// the item ends at a comma, a blank or the end of a line, and the rest is ignored.
// Raises Input past end of file when the content ends before an item starts, Overflow
// for a whole number outside 16 bits and Type mismatch for an item that is not one.
// Content past kSettingsReadLimit is never looked at: an item not ended by then gives
// the error it has earned so far, and one still all digits counts as out of range.
std::int16_t parseSettings(std::string_view content);

// Reads the first item of the file, as readOwnFile() reads it. Raises File not found when
// there is no such file (the first run), readOwnFile's errors when it cannot be read, and
// parseSettings's errors for its content.
std::int16_t readSettingsFile(const std::filesystem::path& path = kSettingsFileName);

// Makes the file hold formatSettings(languageCode) alone, as writeOwnFile() writes it,
// with its errors.
void writeSettingsFile(std::int16_t languageCode,
    const std::filesystem::path& path = kSettingsFileName);

}  // namespace tessaron
