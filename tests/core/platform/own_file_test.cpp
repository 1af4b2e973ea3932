#include "core/platform/own_file.h"
#include "support/error_number.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>

namespace tessaron {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small file's content, such as data.puz holds.
std::string line(int code) { return " " + std::to_string(code) + " \r\n"; }

// What a full disk refuses: a new file (no inode or no room for its name) and any byte
// written. The system calls themselves fail, with the error a full disk gives, in a
// child process whose seccomp filter answers them; nothing is mounted, and it works the
// same for root and for a plain user. The game's files are written with pwrite alone;
// plain write stays allowed, as the sanitizers' own machinery needs it.
enum Refused : unsigned { NewFiles = 1, Writes = 2 };

ErrorNumber errorNumberOnFullDisk(unsigned refused, auto&& action)
{
#if defined(__x86_64__)
    constexpr std::uint32_t arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr std::uint32_t arch = AUDIT_ARCH_AARCH64;
#else
#error "the full-disk test knows the system calls of x86-64 and AArch64 only"
#endif
    const auto fullDisk = [refused] {
        const auto answer = [refused](unsigned what) -> std::uint32_t {
            return refused & what ? SECCOMP_RET_ERRNO | ENOSPC : SECCOMP_RET_ALLOW;
        };
        sock_filter program[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_pwrite64, 1, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 1, 4),
            BPF_STMT(BPF_RET | BPF_K, answer(Writes)),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),  // the flags' low half
            BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_CREAT, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, answer(NewFiles)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
        return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
            && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
    };
    return errorNumberInChild(fullDisk, action);
}

struct OwnFileTest : ::testing::Test {
    const fs::path folder = [] {
        std::string name = fs::temp_directory_path() / "tessaron-own-file-XXXXXX";
        return fs::path(::mkdtemp(name.data()));
    }();
    const fs::path file = folder / "data.puz";

    void TearDown() override
    {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    // A write must leave no temporary file behind, whatever happened.
    std::ptrdiff_t filesInFolder() const { return std::distance(fs::directory_iterator(folder), {}); }
};

// Only a plain file is the game's; whatever else stands in its place, itself or at the
// end of a link, belongs to something else. Reading it must not wait for a writer
// forever; writing it must neither feed it nor replace it (a device, for the superuser).
// The player writes here, so that even a broken write could never replace /dev/null.
TEST_F(OwnFileTest, WhatIsNotAPlainFileIsNeitherReadNorWritten)
{
    const auto makeSocket = [](const fs::path& at) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        at.string().copy(address.sun_path, sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    };
    const struct { const char* name; std::function<void()> make; } cases[] = {
        {"pipe", [&] { ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0); }},
        {"socket", [&] { makeSocket(file); }},
        {"folder", [&] { fs::create_directory(file); }},
        {"link to a device", [&] { fs::create_symlink("/dev/null", file); }},
    };
    fs::permissions(folder, fs::perms::all);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        // The kind of thing the name is and the kind it leads to, and what the folder holds.
        const auto what = [&] {
            return std::tuple(int(fs::symlink_status(file).type()), int(fs::status(file).type()), filesInFolder());
        };
        const auto before = what();
        EXPECT_EQ(errorNumberOf([&] { readOwnFile(file, 64); }), err::PathFileAccessError);
        EXPECT_EQ(errorNumberAsPlayer([&] { writeOwnFile(file, line(1)); }), err::PathFileAccessError);
        EXPECT_EQ(what(), before);
        fs::remove(file);
    }
}

// The rename needs only the folder's permission; the old file's own protection must
// still hold: a file the player may not write is left as it was. One they may write is
// replaced whole where the folder allows (a reader that has it open keeps the old
// line), else rewritten in place and cut to the new line. The file keeps its mode and
// owner, also when the superuser writes a player's file.
TEST_F(OwnFileTest, WriteKeepsWhatProtectsTheFile)
{
    const struct { mode_t folderMode, mode; std::string old = " 0 \r\n"; ErrorNumber error = kNoError; bool inPlace = false; } cases[] = {
        {0777, 0444, " 0 \r\n", err::PermissionDenied, true}, {0555, 0444, " 0 \r\n", err::PermissionDenied, true},
        {0555, 0666, "-1234 \r\n", kNoError, true}, {0777, 0640}, {0777, 0606}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::oct << c.folderMode << " " << c.mode);
        fs::permissions(folder, fs::perms::all);
        std::ofstream(file) << c.old;
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        ASSERT_EQ(::chown(file.c_str(), playerUid, playerGid), 0);
        fs::permissions(folder, fs::perms(c.folderMode));
        std::ifstream reader(file, std::ios::binary);
        EXPECT_EQ(errorNumberAsPlayer([&] { writeOwnFile(file, line(1)); }), c.error);
        EXPECT_EQ(contentOf(file), c.error != kNoError ? c.old : " 1 \r\n");
        const std::string seen{std::istreambuf_iterator<char>(reader), std::istreambuf_iterator<char>()};
        EXPECT_EQ(seen, c.inPlace ? contentOf(file) : c.old);
        if (c.error == kNoError) {
            writeOwnFile(file, line(2));  // as the superuser, where the tests run as root
            EXPECT_EQ(contentOf(file), " 2 \r\n");
        }
        struct stat status {};
        ASSERT_EQ(::stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.mode);
        EXPECT_EQ(std::pair(status.st_uid, status.st_gid), std::pair(playerUid, playerGid));
        EXPECT_EQ(filesInFolder(), 1);
    }
}

// A link stays a link: the file it names, through a chain of links relative to their own
// folders, gets the content, and is created when it does not exist yet. A write killed before its
// rename leaves its temporary file; the next write beside it removes those of processes
// that are gone, and nothing else.
TEST_F(OwnFileTest, WriteReplacesTheFileALinkLeadsToAndRemovesTemporaryFilesOfKilledWrites)
{
    const fs::path real = folder / "real" / "data.puz", beside = real.parent_path();
    fs::create_directory(beside);
    fs::create_symlink("chain", file);
    fs::create_symlink("real/data.puz", folder / "chain");
    const std::string dead = "2147483647";  // past any pid_max: no process has it
    const struct { std::string name; bool stale = false; } temporaries[] = {
        {"data.puz." + dead + ".0.tmp", true}, {"data.puz." + dead + ".99.tmp", true},
        {"data.puz." + std::to_string(::getpid()) + ".0.tmp"},  // a write of a running game
        {"data.puz." + dead + ".100.tmp"}, {"data.puz.0" + dead + ".0.tmp"}, {"data.puz." + dead + ".0.tmp~"},
        {"other.puz." + dead + ".0.tmp"},
    };
    for (const auto& t : temporaries)
        std::ofstream(beside / t.name) << "x";
    writeOwnFile(file, line(0));
    // Another name for the file stays one: both read the new content, longer or shorter.
    fs::create_hard_link(real, folder / "other");
    for (const std::string& content : {std::string(10000, 'x'), line(1)}) {
        writeOwnFile(file, content);
        EXPECT_EQ(contentOf(real), content);
        EXPECT_EQ(contentOf(folder / "other"), content);
    }
    EXPECT_TRUE(fs::is_symlink(file) && fs::is_symlink(folder / "chain"));
    for (const auto& t : temporaries)
        EXPECT_EQ(fs::exists(beside / t.name), !t.stale) << t.name;
    EXPECT_EQ(filesInFolder(), 4);  // the two links, the other name and the folder
    EXPECT_EQ(std::distance(fs::directory_iterator(beside), {}), 6);  // the file and the five that stay
}

// A full disk still lets the old file take the new line in the block it has; only when
// that is refused too is the disk full, and the old line stays. The first file is
// either written whole or not at all: an empty one would fail every later start.
TEST_F(OwnFileTest, AFullDiskRewritesTheFileInPlaceOrIsDiskFull)
{
    const struct { unsigned refused; const char* old; ErrorNumber error; const char* now; } cases[] = {
        {NewFiles, "-1234 \r\n", kNoError, " 1 \r\n"}, {NewFiles | Writes, " 0 \r\n", err::DiskFull, " 0 \r\n"},
        {Writes, " 0 \r\n", err::DiskFull, " 0 \r\n"}, {NewFiles, nullptr, err::DiskFull, nullptr},
        {Writes, nullptr, err::DiskFull, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.refused) + (c.old ? " over a file" : " first file"));
        fs::remove(file);
        if (c.old)
            std::ofstream(file) << c.old;
        EXPECT_EQ(errorNumberOnFullDisk(c.refused, [&] { writeOwnFile(file, line(1)); }), c.error);
        EXPECT_EQ(fs::exists(file) ? contentOf(file) : "no file", c.now ? c.now : "no file");
        EXPECT_EQ(filesInFolder(), c.now ? 1 : 0);
    }
}

// Reading takes what the limit allows, and no more, whatever the file claims: a sparse
// file of 100 MB costs the limit, not its size.
TEST_F(OwnFileTest, ReadStopsAtTheLimit)
{
    std::ofstream(file) << "[newPuzzle]\ncolumns=4\n";
    EXPECT_EQ(readOwnFile(file, 64), "[newPuzzle]\ncolumns=4\n");
    EXPECT_EQ(readOwnFile(file, 5), "[newP");
    ASSERT_EQ(::truncate(file.c_str(), 100 << 20), 0);
    const std::string read = readOwnFile(file, 64 << 10);
    EXPECT_EQ(read.size(), 64u << 10);
    EXPECT_EQ(read.substr(0, 11), "[newPuzzle]");
    EXPECT_EQ(errorNumberOf([&] { readOwnFile(folder / "none", 64); }), err::FileNotFound);
}

// In a folder anyone may write and only owners may delete from, another user may have
// planted the link: it is followed only when it is this user's or the folder owner's,
// at every step of a chain, else neither read nor written through. The game runs as
// the superuser here, so only its own rule can refuse.
TEST_F(OwnFileTest, APlantedLinkInASharedFolderIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "links of another user need the superuser";
    const fs::path shared = folder / "shared", victim = folder / "victim", link = shared / "data.puz";
    const uid_t root = 0, player = playerUid;
    const struct { mode_t mode; uid_t folderOwner, linkOwner; bool chain = false; bool followed = true; } cases[] = {
        {01777, root, player, false, false}, {01777, root, root, true, false}, {01777, root, root},
        {01777, player, player}, {00777, root, player}, {01775, root, player}};
    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_exec);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::oct << c.mode << std::dec << " folder " << c.folderOwner << " link "
                                          << c.linkOwner << (c.chain ? " through a planted link" : ""));
        fs::create_directory(shared);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(shared.c_str(), c.mode), 0);
        std::ofstream(victim) << "mine";
        fs::create_symlink(c.chain ? "planted" : "../victim", link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        if (c.chain) {
            fs::create_symlink("../victim", shared / "planted");
            ASSERT_EQ(::lchown((shared / "planted").c_str(), player, player), 0);
        }
        std::string read;
        EXPECT_EQ(errorNumberOf([&] { read = readOwnFile(link, 64); }), c.followed ? kNoError : err::PermissionDenied);
        EXPECT_EQ(read, c.followed ? "mine" : "");
        EXPECT_EQ(errorNumberOf([&] { writeOwnFile(link, "theirs"); }), c.followed ? kNoError : err::PermissionDenied);
        EXPECT_EQ(contentOf(victim), c.followed ? "theirs" : "mine");
        EXPECT_TRUE(fs::is_symlink(link));
        fs::remove_all(shared);
    }
}

}  // namespace
}  // namespace tessaron
