#include "dialog/file_patterns.h"
#include "dialog/puzzle_options.h"
#include "language/texts.h"
#include "platform/runtime_error.h"
#include "platform/volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

namespace tessaron {
namespace {

using Strings = std::vector<std::string>;

TEST(FilePatterns, MatchesCaseInsensitivelyAcrossTheList)
{
    const FilePatterns pictures("*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf");
    struct Case {
        const char* name;
        bool expected;
    };
    for (const Case& c : {Case{"sea.jpg", true}, Case{"IMG_0001.JPG", true}, Case{"a.JpEg", true},
             Case{"scan.dib", true}, Case{"chart.EMF", true}, Case{"photo.png", false},
             Case{"jpg", false}, Case{"sea.jpg.txt", false}, Case{"notes", false},
             Case{"caf\xC3\xA9.gif", true}})
        EXPECT_EQ(pictures.matches(c.name), c.expected) << c.name;

    const FilePatterns all("*.*");
    for (const char* name : {"notes.txt", "Makefile", "a.b.c"})
        EXPECT_TRUE(all.matches(name)) << name;
}

TEST(FilePatterns, WildcardsAndOddLists)
{
    EXPECT_TRUE(matchesPattern("img_??.jpg", "IMG_07.jpg"));
    EXPECT_FALSE(matchesPattern("img_??.jpg", "img_7.jpg"));
    EXPECT_TRUE(matchesPattern("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(matchesPattern("a*b*c", "aXXbYY"));
    // Many stars against a long near-miss must stay fast, not backtrack exponentially.
    EXPECT_FALSE(matchesPattern("*a*a*a*a*a*a*a*a*b", std::string(200, 'a')));

    // Blanks around patterns and empty pieces are ignored; an empty list matches nothing.
    EXPECT_TRUE(FilePatterns(" *.gif ;;*.bmp").matches("x.BMP"));
    EXPECT_FALSE(FilePatterns("").matches("x.bmp"));
    EXPECT_EQ(FilePatterns("*.gif;*.bmp").text(), "*.gif;*.bmp");
}

TEST(FilePatterns, MatchingNamesSortedWithoutRegardToCase)
{
    EXPECT_EQ(matchingSorted({"b.jpg", "notes.txt", "A.JPG", "a.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"},
                  FilePatterns("*.jpg;*.gif")),
        (Strings{"A.JPG", "a.jpg", "b.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"}));
    EXPECT_TRUE(matchingSorted({}, FilePatterns()).empty());
}

TEST(PuzzleOptions, PieceCountAndPaths)
{
    EXPECT_EQ(pieceCount("4", "4"), 16);
    EXPECT_EQ(pieceCount("75", "75"), 5625);
    EXPECT_EQ(pieceCount("4", ""), 0);  // the rows list has no selection yet
    EXPECT_THROW(pieceCount("200", "200"), RuntimeError);  // 40000 is past 16 bits
    EXPECT_EQ(joinPath("/home/ana/pics", "sea.jpg"), "/home/ana/pics/sea.jpg");
    EXPECT_EQ(joinPath("/", "sea.jpg"), "/sea.jpg");
}

TEST(PuzzleOptions, PieceCountLineFollowsTheLanguage)
{
    EXPECT_EQ(pieceCountText(6, "3", "2", kEnglish), "6 pieces puzzle (3x2)");
    EXPECT_EQ(pieceCountText(6, "3", "2", kSpanish), "Puzzle de 6 piezas (3x2)");
    EXPECT_EQ(pieceCountText(6, "3", "2", 2), std::nullopt);
    EXPECT_EQ(messageText(Message::NormalStyle, kEnglish), "Any piece can be moved to any place");
    EXPECT_EQ(messageText(Message::UnitNotReady, -1), std::nullopt);
}

std::vector<std::pair<std::string, VolumeKind>> summary(const std::vector<Volume>& volumes)
{
    std::vector<std::pair<std::string, VolumeKind>> result;
    for (const Volume& volume : volumes)
        result.emplace_back(volume.path, volume.kind);
    return result;
}

TEST(Volumes, MountTableGivesWhatAPersonBrowses)
{
    const std::string table =
        "proc /proc proc rw 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n"
        "/dev/sdc1 /srv/photos xfs rw 0 0\n"
        "/dev/sdb1 /media/ana/MY\\040STICK vfat rw 0 0\n"
        "/dev/sr0 /run/media/ana/DVD iso9660 ro 0 0\n"
        "tmpfs /mnt/scratch tmpfs rw 0 0\n"
        "/dev/vda /etc/hosts ext4 rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "server:/export /mnt/nas nfs4 rw 0 0\n"
        "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
        "garbage\n";
    const auto volumes = parseMountTable(table, "/home/ana/");
    EXPECT_EQ(summary(volumes), (std::vector<std::pair<std::string, VolumeKind>>{
                                    {"/", VolumeKind::Root},
                                    {"/home/ana", VolumeKind::Home},
                                    {"/media/ana/MY STICK", VolumeKind::Removable},
                                    {"/mnt/nas", VolumeKind::Removable},
                                    {"/run/media/ana/DVD", VolumeKind::Removable},
                                    {"/srv/photos", VolumeKind::Other},
                                }));
    EXPECT_EQ(volumes[1].type, "ext4");  // home lives on the root volume

    // Without a usable table the root is still there; a home that is its own mount is
    // that volume, listed once.
    EXPECT_EQ(summary(parseMountTable("", "")), (std::vector<std::pair<std::string, VolumeKind>>{{"/", VolumeKind::Root}}));
    EXPECT_EQ(summary(parseMountTable("/dev/sdd1 /home/ana btrfs rw 0 0\n", "/home/ana")),
        (std::vector<std::pair<std::string, VolumeKind>>{{"/", VolumeKind::Root}, {"/home/ana", VolumeKind::Home}}));

    EXPECT_EQ(volumeIndexOf(volumes, "/media/ana/MY STICK/holiday"), 2u);
    EXPECT_EQ(volumeIndexOf(volumes, "/media/ana/MY STICKER"), 0u);
    EXPECT_EQ(volumeIndexOf(volumes, "/home/ana/pics"), 1u);
}

int errorOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(Volumes, FoldersListAndFailWithTheirErrors)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tessaron-volumes-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Pictures");
    fs::create_directories(root / ".hidden");
    std::ofstream(root / "sea.jpg") << "x";
    std::ofstream(root / ".secret.jpg") << "x";
    fs::create_symlink(root / "sea.jpg", root / "link.jpg");
    fs::create_symlink(root / "Pictures", root / "linked");
    fs::create_symlink(root / "gone", root / "dangling.jpg");

    FolderEntries entries = listFolder(root.string());
    std::sort(entries.folders.begin(), entries.folders.end());
    std::sort(entries.files.begin(), entries.files.end());
    EXPECT_EQ(entries.folders, (Strings{"Pictures", "linked"}));
    EXPECT_EQ(entries.files, (Strings{"link.jpg", "sea.jpg"}));

    EXPECT_EQ(errorOf([&] { listFiles((root / "missing").string()); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { listFiles((root / "sea.jpg").string()); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { probeVolume(root.string(), std::chrono::seconds(5)); }), 0);
    // A volume whose place is gone was unmounted since it was listed: not ready.
    EXPECT_EQ(errorOf([&] { probeVolume((root / "missing").string(), std::chrono::seconds(5)); }),
        err::DeviceUnavailable);
    fs::remove_all(root);
}

}  // namespace
}  // namespace tessaron
