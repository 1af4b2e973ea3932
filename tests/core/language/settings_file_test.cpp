#include "core/language/settings_file.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace tessaron {
namespace {

namespace fs = std::filesystem;

// The code the first item gives, or the error for content that holds none.
TEST(SettingsContent, FirstItemOnlyOrTheErrorThatNamesWhatIsWrong)
{
    const std::string far(kSettingsReadLimit - 1, ' ');
    const struct { std::string content; int code; ErrorNumber error = kNoError; } cases[] = {
        {" 32767 \r\n", 32767}, {"-32768 \r\n", -32768}, {"\t 1", 1}, {"1\n", 1}, {"1,more text", 1},
        {"0001", 1}, {"+1", 1}, {"-0", 0}, {"", 0, err::InputPastEndOfFile}, {"32768", 0, err::Overflow},
        {"-32769", 0, err::Overflow}, {"123456789012345678901234567890", 0, err::Overflow},
        {"1.5", 0, err::TypeMismatch}, {"-", 0, err::TypeMismatch}, {",1", 0, err::TypeMismatch},
        {"99999x", 0, err::TypeMismatch},  // not a number before out of range
        {"\r\n1", 0, err::TypeMismatch},  // an empty first line holds no number
        // Nothing past the read limit is looked at.
        {far + "1", 1}, {far + " 1", 0, err::InputPastEndOfFile}, {far + "x1", 0, err::TypeMismatch},
        {std::string(kSettingsReadLimit, '0') + "1", 0, err::Overflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE('"' + c.content.substr(0, 20) + "\"... " + std::to_string(c.content.size()) + " bytes");
        int code = 0;
        EXPECT_EQ(errorNumberOf([&] { code = parseSettings(c.content); }), c.error);
        EXPECT_EQ(code, c.code);
    }
}

// The line goes to the file and comes back as the code it holds; the file's handling
// itself is the own-file layer's.
TEST(SettingsFile, WrittenCodeReadsBack)
{
    const fs::path file = fs::temp_directory_path() / ("tessaron-settings-" + std::to_string(::getpid()));
    for (const std::int16_t code : {std::int16_t{0}, std::int16_t{1}, std::int16_t{-32768}}) {
        writeSettingsFile(code, file);
        EXPECT_EQ(readSettingsFile(file), code);
    }
    // One byte past the limit still counts: digits running on make no code.
    std::ofstream(file) << std::string(kSettingsReadLimit, '0') << "1";
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::Overflow);
    fs::remove(file);
}

}  // namespace
}  // namespace tessaron
