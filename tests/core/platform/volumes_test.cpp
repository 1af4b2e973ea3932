#include "core/platform/volumes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace tessaron {
namespace {

using Strings = std::vector<std::string>;

TEST(Volumes, MountTableGivesWhatAPersonBrowses)
{
    // Pseudo file systems, the system's own trees and lines that are no mount are left out.
    const auto volumes = parseMountTable(
        "proc /proc proc rw 0 0\n/dev/sda2 / ext4 rw 0 0\n/dev/sda1 /boot/efi vfat rw 0 0\n"
        "/dev/sdc1 /srv/photos xfs rw 0 0\n/dev/sdb1 /media/ana/MY\\040STICK vfat rw 0 0\n"
        "/dev/sr0 /run/media/ana/DVD iso9660 ro 0 0\ntmpfs /mnt/scratch tmpfs rw 0 0\n"
        "server:/export /mnt/nas nfs4 rw 0 0\ngarbage\n",
        "/home/ana/");
    EXPECT_EQ(volumes, (std::vector<Volume>{{"/", "ext4", VolumeKind::Root}, {"/home/ana", "ext4", VolumeKind::Home},
                           {"/media/ana/MY STICK", "vfat", VolumeKind::Removable},
                           {"/mnt/nas", "nfs4", VolumeKind::Removable},
                           {"/run/media/ana/DVD", "iso9660", VolumeKind::Removable},
                           {"/srv/photos", "xfs", VolumeKind::Other}}));
    // A home that is its own mount is that volume, listed once.
    EXPECT_EQ(parseMountTable("/dev/sdd1 /home/ana btrfs rw 0 0\n", "/home/ana").size(), 2u);
    EXPECT_EQ(volumeIndexOf(volumes, "/media/ana/MY STICK/holiday"), 2u);
    EXPECT_EQ(volumeIndexOf(volumes, "/media/ana/MY STICKER"), 0u);
}

// Dot names are hidden; a link counts as what it leads to, and one that leads nowhere
// is not listed.
TEST(Volumes, FolderListingHidesDotNamesAndFollowsLinks)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tessaron-volumes-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Pictures");
    std::ofstream(root / "sea.jpg") << "x";
    std::ofstream(root / ".secret.jpg") << "x";
    fs::create_symlink(root / "sea.jpg", root / "link.jpg");
    fs::create_symlink(root / "Pictures", root / "linked");
    fs::create_symlink(root / "gone", root / "dangling.jpg");
    const FolderEntries entries = listFolder(root.string());  // in no order: the lists sort them
    const auto sorted = [](Strings names) { return std::ranges::sort(names), names; };
    EXPECT_EQ(sorted(entries.folders), (Strings{"Pictures", "linked"}));
    EXPECT_EQ(sorted(entries.files), (Strings{"link.jpg", "sea.jpg"}));
    fs::remove_all(root);
}

}  // namespace
}  // namespace tessaron
