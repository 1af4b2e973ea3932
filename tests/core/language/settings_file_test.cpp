#include "core/language/settings_file.h"
#include "core/platform/runtime_error.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The superuser may overwrite any file, so what a player may not write is tried as a
// plain user: the test's own one, or nobody when the tests run as root.
const uid_t playerUid = ::geteuid() == 0 ? 65534 : ::geteuid();
const gid_t playerGid = ::geteuid() == 0 ? 65534 : ::getegid();

// The error number the action raises when run by the player, in a child process.
int errorNumberAsPlayer(auto&& action)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const bool root = ::geteuid() == 0;
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(playerGid) != 0 || ::setuid(playerUid) != 0))
            ::_exit(255);
        ::_exit(errorNumberOf(action));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SettingsFormat, BlankOrMinusDigitsBlankCrLf)
{
    for (const auto& [code, line] : {std::pair<std::int16_t, const char*>{0, " 0 \r\n"}, {1, " 1 \r\n"},
             {2, " 2 \r\n"}, {-1, "-1 \r\n"}, {32767, " 32767 \r\n"}, {-32768, "-32768 \r\n"}}) {
        EXPECT_EQ(formatSettings(code), line);
        EXPECT_EQ(parseSettings(formatSettings(code)), code) << line;
    }
}

// The code the first item gives, or the error for content that holds none.
TEST(SettingsParse, FirstItemOnlyOrTheErrorThatNamesWhatIsWrong)
{
    const std::string far(kSettingsReadLimit - 1, ' ');
    const struct {
        std::string content;
        int code;
        int error = 0;
    } cases[] = {
        {"1", 1}, {" 1 ", 1}, {" 1 \r\n", 1}, {"1\r\n", 1}, {"1\n", 1}, {"\t 1", 1},
        {"1,more text", 1}, {"1 2", 1}, {" 1 \r\n0 \r\n", 1}, {"0001", 1}, {"+1", 1},
        {"-0", 0}, {" 2 \r\n", 2}, {"32767", 32767}, {"-32768", -32768},
        {"", 0, err::InputPastEndOfFile}, {"   ", 0, err::InputPastEndOfFile},
        {"32768", 0, err::Overflow}, {"-32769", 0, err::Overflow},
        {"123456789012345678901234567890", 0, err::Overflow},
        {"abc", 0, err::TypeMismatch}, {"1.5", 0, err::TypeMismatch}, {"1a", 0, err::TypeMismatch},
        {"-", 0, err::TypeMismatch}, {",1", 0, err::TypeMismatch}, {"99999x", 0, err::TypeMismatch},
        {"\r\n1", 0, err::TypeMismatch},  // an empty first line holds no number
        // Nothing past the read limit is looked at.
        {far + "1", 1}, {far + " 1", 0, err::InputPastEndOfFile},
        {far + "x1", 0, err::TypeMismatch}, {std::string(kSettingsReadLimit, '0') + "1", 0, err::Overflow},
    };
    for (const auto& c : cases) {
        const std::string shown = '"' + c.content.substr(0, 20) + "\"... " + std::to_string(c.content.size()) + " bytes";
        int code = 0;
        EXPECT_EQ(errorNumberOf([&] { code = parseSettings(c.content); }), c.error) << shown;
        EXPECT_EQ(code, c.code) << shown;
    }
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
    // The item may start far into the file, past the first read; only the first one counts.
    put(file, std::string(100'000, ' ') + "1,2\r\n");
    EXPECT_EQ(readSettingsFile(file), 1);

    // A new content is written beside the old file and renamed over it, so no crash can
    // leave a half-written one: another name for the old file still sees all of it.
    const std::string old = " 2 , and a second line that is longer\r\nmore\r\n";
    put(file, old);
    EXPECT_EQ(readSettingsFile(file), 2);
    fs::create_hard_link(file, folder / "old");
    writeSettingsFile(0, file);
    EXPECT_EQ(contentOf(file), " 0 \r\n");
    EXPECT_EQ(contentOf(folder / "old"), old);
    fs::remove(folder / "old");
    expectNoStrayFiles();
}

// A 20 GiB hole reads as zero bytes, an item that never ends: start-up must give its
// error at once instead of reading all of it.
TEST_F(SettingsFileTest, HugeFileIsJudgedByItsBeginning)
{
    std::error_code error;
    { std::ofstream{file}; }
    fs::resize_file(file, std::uintmax_t{20} << 30, error);
    struct stat status {};
    if (error || ::stat(file.c_str(), &status) != 0 || status.st_blocks > 2048)
        GTEST_SKIP() << "this file system does not keep holes";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::TypeMismatch);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
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

// Only a plain file is read: a pipe in its place must not wait for a writer forever.
TEST_F(SettingsFileTest, PipeOrFolderInTheWayIsAnErrorAndStaysIntact)
{
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::PathFileAccessError);
    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::PathFileAccessError);
    EXPECT_EQ(errorNumberOf([&] { writeSettingsFile(1, file); }), err::PathFileAccessError);
    EXPECT_TRUE(fs::is_directory(file));
    fs::remove(file);
    fs::create_symlink("data.puz", file);  // a link that leads back to itself
    EXPECT_EQ(errorNumberOf([&] { readSettingsFile(file); }), err::PathFileAccessError);
    EXPECT_EQ(errorNumberOf([&] { writeSettingsFile(1, file); }), err::PathFileAccessError);
    EXPECT_TRUE(fs::is_symlink(file));
    expectNoStrayFiles();
}

// The rename needs only the folder's permission; the old file's own protection must
// still hold: a file the player may not write stays as it is, and a new one keeps the
// old one's mode and owner, also when the superuser writes a player's file.
TEST_F(SettingsFileTest, WriteKeepsWhatProtectsTheFile)
{
    fs::permissions(folder, fs::perms::all);
    const struct {
        mode_t mode;
        int error = 0;
    } cases[] = {{0444, err::PermissionDenied}, {0400, err::PermissionDenied}, {0600}, {0640}, {0606}};
    for (const auto& c : cases) {
        put(file, " 0 \r\n");
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(file.c_str(), playerUid, playerGid), 0);
        EXPECT_EQ(errorNumberAsPlayer([&] { writeSettingsFile(1, file); }), c.error) << std::oct << c.mode;
        if (!c.error)
            writeSettingsFile(2, file);  // as the superuser, where the tests run as root
        EXPECT_EQ(contentOf(file), c.error ? " 0 \r\n" : " 2 \r\n") << std::oct << c.mode;
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.mode) << std::oct << c.mode;
        EXPECT_EQ(status.st_uid, playerUid);
        EXPECT_EQ(status.st_gid, playerGid);
        expectNoStrayFiles();
        fs::remove(file);
    }
}

// A link stays a link: the file it names, through a chain of links relative to their
// own folders, gets the line, and is created when it does not exist yet.
TEST_F(SettingsFileTest, LinkIsWrittenThrough)
{
    const fs::path real = folder / "real" / "settings";
    fs::create_directory(real.parent_path());
    fs::create_symlink("chain", file);
    fs::create_symlink("real/settings", folder / "chain");
    writeSettingsFile(0, file);
    EXPECT_EQ(contentOf(real), " 0 \r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    writeSettingsFile(1, file);
    EXPECT_EQ(readSettingsFile(file), 1);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(fs::is_symlink(folder / "chain"));
    // No temporary file is left beside the link or its target.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), {}), 1);
}

// A write killed before its rename leaves its temporary file; the next write removes
// those of processes that are gone, and nothing else.
TEST_F(SettingsFileTest, WriteRemovesTemporaryFilesOfKilledWrites)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone);
    const struct {
        std::string name;
        bool stale = false;
    } cases[] = {
        {"data.puz." + dead + ".0.tmp", true}, {"data.puz." + dead + ".99.tmp", true},
        {"data.puz." + std::to_string(::getpid()) + ".0.tmp"},  // a write of a running game
        {"data.puz." + dead + ".100.tmp"}, {"data.puz.0" + dead + ".0.tmp"}, {"data.puz.+" + dead + ".0.tmp"},
        {"data.puz." + dead + ".tmp"}, {"data.puz." + dead + ".0.tmp~"}, {"data.puz." + dead + ".0.TMP"},
        {"other.puz." + dead + ".0.tmp"},
    };
    for (const auto& c : cases)
        put(folder / c.name, "x");
    fs::create_directory(folder / ("data.puz." + dead + ".1.tmp"));  // only a file can be ours
    writeSettingsFile(1, file);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(folder / c.name), !c.stale) << c.name;
    EXPECT_TRUE(fs::is_directory(folder / ("data.puz." + dead + ".1.tmp")));
    EXPECT_EQ(contentOf(file), " 1 \r\n");
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
