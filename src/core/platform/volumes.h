#pragma once
// What the drive, folder and file lists show: the mounted volumes a person would browse,
// a folder's subfolders and a folder's files. Listing the volumes reads the kernel's
// mount table only and never touches a volume, so a dead network mount cannot freeze the
// window; the one call that must touch a volume, the readiness probe, is bounded in time.
// Failures are run-time errors: 76 for a folder that is not there, 70 for one that may not
// be read, 68 for a volume that does not answer, 75 for anything else.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tessaron {

enum class VolumeKind { Root, Home, Removable, Other };

struct Volume {
    std::string path;    // where it is mounted; the home folder for the Home entry
    std::string type;    // the file system type from the mount table
    VolumeKind kind = VolumeKind::Other;

    bool operator==(const Volume&) const = default;
};

// The volumes of a mount table in /proc/self/mounts form: the root first, then the home
// folder, then removable media, then any other real file system. Pseudo and system file
// systems (proc, tmpfs, cgroup, the system's own trees…) are left out; the root is always
// there, whatever its type.
std::vector<Volume> parseMountTable(std::string_view table, std::string_view home);

// The volumes of this machine, from /proc/self/mounts and $HOME.
std::vector<Volume> mountedVolumes();

// The index of the volume that holds a path: the deepest volume path that contains it,
// the root (index 0) when none does.
std::size_t volumeIndexOf(const std::vector<Volume>& volumes, std::string_view path);

// Whether a volume answers: its folder can be opened and read within the timeout.
// Raises 68 when it does not answer in time, is gone or reports an I/O failure; 70
// when it may not be read. A probe that hangs is abandoned on its own thread.
void probeVolume(const std::string& path, std::chrono::milliseconds timeout);

// Subfolders and files of a folder, dot names left out (they are hidden on this
// platform), in no particular order. A symbolic link counts as what it points to.
struct FolderEntries {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};
FolderEntries listFolder(const std::string& folder);

// Only the files, the file list's hot path.
std::vector<std::string> listFiles(const std::string& folder);

// Raises the error a failed system call on a folder stands for (76, 70, 68, 7 or 75).
[[noreturn]] void raiseFolderError(int errorNumber);

}  // namespace tessaron
