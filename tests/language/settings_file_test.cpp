#include "language/settings_file.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace tessaron {
namespace {

namespace fs = std::filesystem;

int errorNumberOf(auto&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put(const fs::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

TEST(SettingsFormat, BlankOrMinusDigitsBlankCrLf)
{
    const struct {
        std::int16_t code;
        const char* line;
    } cases[] = {
        {0, " 0 \r\n"}, {1, " 1 \r\n"}, {2, " 2 \r\n"}, {-1, "-1 \r\n"},
        {32767, " 32767 \r\n"}, {-32768, "-32768 \r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatSettings(c.code), c.line);
        EXPECT_EQ(parseSettings(formatSettings(c.code)), c.code) << c.line;
    }
}

TEST(SettingsParse, FirstItemOnly)
{
    const struct {
        const char* content;
        std::int16_t code;
    } cases[] = {
        {"1", 1}, {" 1 ", 1}, {" 1 \r\n", 1}, {"1\r\n", 1}, {"1\n", 1}, {"\t 1", 1},
        {"1,more text", 1}, {"1 2", 1}, {" 1 \r\n0 \r\n", 1}, {"0001", 1}, {"+1", 1},
        {"-0", 0}, {" 2 \r\n", 2}, {"32767", 32767}, {"-32768", -32768},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseSettings(c.content), c.code) << '"' << c.content << '"';
}

TEST(SettingsParse, ErrorsNameWhatIsWrong)
{
    const struct {
        const char* content;
        int number;
    } cases[] = {
        {"", err::InputPastEndOfFile},
        {"   ", err::InputPastEndOfFile},
        {"32768", err::Overflow},
        {"-32769", err::Overflow},
        {"123456789012345678901234567890", err::Overflow},
        {"abc", err::TypeMismatch},
        {"1.5", err::TypeMismatch},
        {"1a", err::TypeMismatch},
        {"-", err::TypeMismatch},
        {"\r\n1", err::TypeMismatch},   // an empty first line holds no number
        {",1", err::TypeMismatch},
        {"99999x", err::TypeMismatch},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorNumberOf([&] { parseSettings(c.content); }), c.number)
            << '"' << c.content << '"';
}

struct SettingsFileTest : ::testing::Test {
    fs::path folder;
    fs::path file;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path()
            / ("tessaron-settings-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / "data.puz";
    }
    void TearDown() override
    {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    // Nothing but data.puz may be left beside it, whatever happened.
    void expectNoStrayFiles() const
    {
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename(), "data.puz") << entry.path();
    }
};

TEST_F(SettingsFileTest, FirstRunCreatesTheFileWithExactlyTheLine)
{
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::FileNotFound);
    writeSettingsFile(1, file);
    EXPECT_EQ(contentOf(file), " 1 \r\n");
    EXPECT_EQ(readSettingsFile(file), 1);

    // A longer old content is replaced, not overwritten in place.
    put(file, " 2 , and a second line that is longer\r\nmore\r\n");
    EXPECT_EQ(readSettingsFile(file), 2);
    writeSettingsFile(0, file);
    EXPECT_EQ(contentOf(file), " 0 \r\n");
    expectNoStrayFiles();
}

TEST_F(SettingsFileTest, ContentErrorsComeThroughTheFile)
{
    put(file, "");
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::InputPastEndOfFile);
    put(file, "70000\r\n");
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::Overflow);
    // The item may start far into the file; only the first one counts.
    put(file, std::string(100'000, ' ') + "1,2\r\n");
    EXPECT_EQ(readSettingsFile(file), 1);
}

TEST_F(SettingsFileTest, BareNameMeansTheCurrentFolder)
{
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    writeSettingsFile(1);
    const std::int16_t code = readSettingsFile();
    fs::current_path(before);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(contentOf(file), " 1 \r\n");
    expectNoStrayFiles();
}

TEST_F(SettingsFileTest, FolderInTheWayIsAnErrorAndStaysIntact)
{
    fs::create_directory(file);
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::PathFileAccessError);
    EXPECT_EQ(errorNumberOf([&] { writeSettingsFile(1, file); }), err::PathFileAccessError);
    EXPECT_TRUE(fs::is_directory(file));
    expectNoStrayFiles();
}

TEST_F(SettingsFileTest, PipeInItsPlaceIsAnErrorNotAWait)
{
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::PathFileAccessError);
}

TEST_F(SettingsFileTest, WriteProtectedFolderKeepsTheOldFile)
{
    put(file, " 0 \r\n");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    fs::path target = file;
    if (::access(folder.c_str(), W_OK) == 0) {
        // Permission bits do not stop the superuser; /sys refuses even it.
        if (!fs::is_directory("/sys"))
            GTEST_SKIP() << "no folder here is write-protected for this user";
        target = "/sys/data.puz";
    }
    EXPECT_EQ(errorNumberOf([&] { writeSettingsFile(1, target); }), err::PermissionDenied);
    EXPECT_FALSE(fs::exists("/sys/data.puz"));
    EXPECT_EQ(contentOf(file), " 0 \r\n");
    expectNoStrayFiles();
}

}  // namespace
}  // namespace tessaron
