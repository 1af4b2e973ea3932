#include "core/language/settings_file.h"

#include "core/platform/own_file.h"
#include "core/platform/runtime_error.h"

#include <algorithm>
#include <limits>

namespace tessaron {
namespace {

// Reads the first item as it streams past, so a huge or endless file costs no memory:
// only the item's sign, its value (capped once it is out of range) and whether it is
// still a number are kept.
class FirstItemReader {
public:
    // Returns true once the item has ended or the read limit is reached; what follows
    // does not matter.
    bool feed(std::string_view chunk)
    {
        for (const char c : chunk) {
            if (seen_++ == kSettingsReadLimit) {
                cutOff_ = true;
                return true;
            }
            if (stage_ == Stage::Skipping) {
                if (c == ' ' || c == '\t')
                    continue;
                stage_ = Stage::InItem;
            }
            if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                stage_ = Stage::Done;
                return true;
            }
            take(c);
        }
        return false;
    }

    std::int16_t value() const
    {
        if (stage_ == Stage::Skipping)
            throw RuntimeError(err::InputPastEndOfFile);
        if (notANumber_ || !sawDigit_)
            throw RuntimeError(err::TypeMismatch);
        // Digits running past the limit make no number the game could have written.
        if (cutOff_)
            throw RuntimeError(err::Overflow);
        const std::int64_t value = negative_ ? -magnitude_ : magnitude_;
        if (value < std::numeric_limits<std::int16_t>::min()
            || value > std::numeric_limits<std::int16_t>::max())
            throw RuntimeError(err::Overflow);
        return static_cast<std::int16_t>(value);
    }

private:
    enum class Stage { Skipping, InItem, Done };

    void take(char c)
    {
        const bool first = length_++ == 0;
        if (first && (c == '-' || c == '+')) {
            negative_ = c == '-';
            return;
        }
        if (c < '0' || c > '9') {
            notANumber_ = true;
            return;
        }
        sawDigit_ = true;
        // Anything past this cap overflows 16 bits already; leading zeros keep it at 0.
        constexpr std::int64_t cap = 1'000'000;
        magnitude_ = std::min(cap, magnitude_ * 10 + (c - '0'));
    }

    Stage stage_ = Stage::Skipping;
    std::size_t seen_ = 0;
    bool cutOff_ = false;
    std::size_t length_ = 0;
    bool negative_ = false;
    bool sawDigit_ = false;
    bool notANumber_ = false;
    std::int64_t magnitude_ = 0;
};

}  // namespace

std::string formatSettings(std::int16_t languageCode)
{
    std::string line = languageCode < 0 ? "-" : " ";
    line += std::to_string(languageCode < 0 ? -static_cast<std::int32_t>(languageCode)
                                            : static_cast<std::int32_t>(languageCode));
    line += " \r\n";
    return line;
}

std::int16_t parseSettings(std::string_view content)
{
    FirstItemReader reader;
    reader.feed(content);
    return reader.value();
}

std::int16_t readSettingsFile(const std::filesystem::path& path)
{
    // One byte past the limit tells the parser the content went on.
    return parseSettings(readOwnFile(path, kSettingsReadLimit + 1));
}

void writeSettingsFile(std::int16_t languageCode, const std::filesystem::path& path)
{
    writeOwnFile(path, formatSettings(languageCode));
}

}  // namespace tessaron
