#include "core/dialog/file_patterns.h"
#include "core/dialog/puzzle_options.h"
#include "core/platform/runtime_error.h"
#include "core/platform/volumes.h"

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

TEST(FilePatterns, MatchCaseInsensitivelyAcrossTheList)
{
    const char* pictures = "*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.wmf;*.emf";
    const struct {
        const char* patterns;
        std::string name;
        bool expected;
    } cases[] = {
        {pictures, "sea.jpg", true}, {pictures, "IMG_0001.JPG", true}, {pictures, "a.JpEg", true},
        {pictures, "scan.dib", true}, {pictures, "chart.EMF", true}, {pictures, "caf\xC3\xA9.gif", true},
        {pictures, "photo.png", false}, {pictures, "jpg", false}, {pictures, "sea.jpg.txt", false},
        {pictures, "notes", false}, {"*.*", "notes.txt", true}, {"*.*", "Makefile", true},
        {"*.*", "a.b.c", true}, {"img_??.jpg", "IMG_07.jpg", true}, {"img_??.jpg", "img_7.jpg", false},
        {"a*b*c", "aXXbYYc", true}, {"a*b*c", "aXXbYY", false},
        // Many stars against a long near-miss must stay fast, not backtrack exponentially.
        {"*a*a*a*a*a*a*a*a*b", std::string(200, 'a'), false},
        // Blanks around patterns and empty pieces are ignored; an empty list matches nothing.
        {" *.gif ;;*.bmp", "x.BMP", true}, {"", "x.bmp", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilePatterns(c.patterns).matches(c.name), c.expected) << c.patterns << " " << c.name;
    EXPECT_EQ(FilePatterns("*.gif;*.bmp").text(), "*.gif;*.bmp");
}

TEST(FilePatterns, MatchingNamesSortedWithoutRegardToCase)
{
    EXPECT_EQ(matchingSorted({"b.jpg", "notes.txt", "A.JPG", "a.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"},
                  FilePatterns("*.jpg;*.gif")),
        (Strings{"A.JPG", "a.jpg", "b.jpg", "C.gif", "\xC3\xA9t\xC3\xA9.jpg"}));
    EXPECT_TRUE(matchingSorted({}, FilePatterns()).empty());
}

TEST(PuzzleOptions, PieceCountEdgesAndPaths)
{
    EXPECT_EQ(pieceCount("4", ""), 0);  // the rows list has no selection yet
    EXPECT_THROW(pieceCount("200", "200"), RuntimeError);  // 40000 is past 16 bits
    EXPECT_EQ(joinPath("/home/ana/pics", "sea.jpg"), "/home/ana/pics/sea.jpg");
    EXPECT_EQ(joinPath("/", "sea.jpg"), "/sea.jpg");
}

using Summary = std::vector<std::pair<std::string, VolumeKind>>;

Summary summary(const std::vector<Volume>& volumes)
{
    Summary result;
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
    EXPECT_EQ(summary(volumes), (Summary{
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
    EXPECT_EQ(summary(parseMountTable("", "")), (Summary{{"/", VolumeKind::Root}}));
    EXPECT_EQ(summary(parseMountTable("/dev/sdd1 /home/ana btrfs rw 0 0\n", "/home/ana")),
        (Summary{{"/", VolumeKind::Root}, {"/home/ana", VolumeKind::Home}}));

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
