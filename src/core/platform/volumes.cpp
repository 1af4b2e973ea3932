#include "core/platform/volumes.h"

#include "core/platform/runtime_error.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace tessaron {
namespace {

// File systems that hold no files of the user's: kernel interfaces, memory-backed
// scratch space, package images.
constexpr std::array<std::string_view, 27> kPseudoTypes{
    "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "securityfs", "cgroup",
    "cgroup2", "pstore", "bpf", "debugfs", "tracefs", "mqueue", "hugetlbfs", "configfs",
    "fusectl", "autofs", "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "squashfs",
    "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "fuse.snapfuse"};

// The system's own trees: mounted there, a file system serves the system, not the user
// (a container's bind-mounted /etc/hosts is not a volume to browse).
constexpr std::array<std::string_view, 10> kSystemTrees{
    "/proc", "/sys", "/dev", "/run", "/boot", "/etc", "/usr", "/snap", "/var/lib", "/var/snap"};

constexpr std::array<std::string_view, 3> kRemovableTrees{"/media", "/run/media", "/mnt"};

bool within(std::string_view path, std::string_view tree)
{
    if (tree == "/")
        return !path.empty() && path.front() == '/';
    return path.starts_with(tree) && (path.size() == tree.size() || path[tree.size()] == '/');
}

bool strictlyWithin(std::string_view path, std::string_view tree)
{
    return path.size() > tree.size() && within(path, tree);
}

bool isRemovablePlace(std::string_view path)
{
    return std::any_of(kRemovableTrees.begin(), kRemovableTrees.end(),
        [path](std::string_view tree) { return strictlyWithin(path, tree); });
}

bool isSystemPlace(std::string_view path)
{
    if (isRemovablePlace(path))
        return false;
    return std::any_of(kSystemTrees.begin(), kSystemTrees.end(),
        [path](std::string_view tree) { return within(path, tree); });
}

bool isPseudoType(std::string_view type)
{
    return std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end();
}

// The mount table writes blanks, tabs, new lines and backslashes in octal ("\040").
std::string unescaped(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                text += static_cast<char>(
                    ((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

int rank(VolumeKind kind) { return static_cast<int>(kind); }

}  // namespace

std::vector<Volume> parseMountTable(std::string_view table, std::string_view home)
{
    std::vector<Volume> mounts;
    std::istringstream lines{std::string(table)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, place, type;
        if (!(fields >> device >> place >> type))
            continue;
        Volume volume{withoutTrailingSlash(unescaped(place)), unescaped(type), VolumeKind::Other};
        if (volume.path.empty() || volume.path.front() != '/')
            continue;
        // A later mount on the same place hides the earlier one.
        std::erase_if(mounts, [&volume](const Volume& seen) { return seen.path == volume.path; });
        mounts.push_back(std::move(volume));
    }

    std::vector<Volume> volumes;
    std::string rootType;
    for (const Volume& mount : mounts) {
        if (mount.path == "/") {
            rootType = mount.type;
            continue;
        }
        if (isPseudoType(mount.type) || isSystemPlace(mount.path))
            continue;
        Volume volume = mount;
        volume.kind = isRemovablePlace(mount.path) ? VolumeKind::Removable : VolumeKind::Other;
        volumes.push_back(std::move(volume));
    }
    volumes.push_back(Volume{"/", rootType, VolumeKind::Root});

    const std::string homePath = withoutTrailingSlash(std::string(home));
    if (homePath.size() > 1 && homePath.front() == '/') {
        auto mounted = std::find_if(volumes.begin(), volumes.end(),
            [&homePath](const Volume& volume) { return volume.path == homePath; });
        if (mounted != volumes.end()) {
            mounted->kind = VolumeKind::Home;
        } else {
            const std::size_t holder = volumeIndexOf(volumes, homePath);
            volumes.push_back(Volume{homePath, volumes[holder].type, VolumeKind::Home});
        }
    }

    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        if (a.kind != b.kind)
            return rank(a.kind) < rank(b.kind);
        return a.path < b.path;
    });
    return volumes;
}

std::vector<Volume> mountedVolumes()
{
    std::ifstream file("/proc/self/mounts");
    std::ostringstream table;
    if (file)
        table << file.rdbuf();
    const char* home = std::getenv("HOME");
    return parseMountTable(table.str(), home ? home : "");
}

std::size_t volumeIndexOf(const std::vector<Volume>& volumes, std::string_view path)
{
    std::size_t best = 0;
    std::size_t bestLength = 0;
    bool found = false;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const std::string& place = volumes[i].path;
        if (within(path, place) && (!found || place.size() > bestLength)) {
            best = i;
            bestLength = place.size();
            found = true;
        }
    }
    return best;
}

void raiseFolderError(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        throw RuntimeError(err::PathNotFound);
    case EACCES:
    case EPERM:
        throw RuntimeError(err::PermissionDenied);
    case EIO:
    case ENOTCONN:
    case ESTALE:
    case ENOMEDIUM:
    case EHOSTDOWN:
    case ENODEV:
    case ENXIO:
    case ETIMEDOUT:
        throw RuntimeError(err::DeviceUnavailable);
    case ENOMEM:
        throw RuntimeError(err::OutOfMemory);
    default:
        throw RuntimeError(err::PathFileAccessError);
    }
}

void probeVolume(const std::string& path, std::chrono::milliseconds timeout)
{
    struct Probe {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        int error = 0;
    };
    auto probe = std::make_shared<Probe>();
    try {
        // The thread owns a share of the probe, so abandoning it on a timeout is safe.
        std::thread([probe, path] {
            int error = 0;
            if (DIR* dir = opendir(path.c_str())) {
                errno = 0;
                if (!readdir(dir) && errno != 0)
                    error = errno;
                closedir(dir);
            } else {
                error = errno;
            }
            const std::lock_guard lock(probe->mutex);
            probe->done = true;
            probe->error = error;
            probe->finished.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        throw RuntimeError(err::DeviceUnavailable);
    }

    std::unique_lock lock(probe->mutex);
    if (!probe->finished.wait_for(lock, timeout, [&probe] { return probe->done; }))
        throw RuntimeError(err::DeviceUnavailable);
    switch (probe->error) {
    case 0:
        return;
    case ENOENT:
    case ENOTDIR:
        // The volume was listed but its place is gone: it was unmounted meanwhile.
        throw RuntimeError(err::DeviceUnavailable);
    default:
        raiseFolderError(probe->error);
    }
}

namespace {

template <typename OnEntry>
void readFolder(const std::string& folder, OnEntry onEntry)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        raiseFolderError(errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    const int dirFd = dirfd(dir);
    while (true) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            if (errno != 0)
                raiseFolderError(errno);
            return;
        }
        if (entry->d_name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat info {};
            if (fstatat(dirFd, entry->d_name, &info, 0) != 0)
                continue;  // a dangling link or an entry that vanished
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        // Sockets, pipes and devices are never pictures, and opening a pipe would wait
        // for a writer forever.
        if (type == DT_DIR || type == DT_REG)
            onEntry(type == DT_DIR, entry->d_name);
    }
}

}  // namespace

FolderEntries listFolder(const std::string& folder)
{
    FolderEntries entries;
    readFolder(folder, [&entries](bool isFolder, const char* name) {
        (isFolder ? entries.folders : entries.files).emplace_back(name);
    });
    return entries;
}

std::vector<std::string> listFiles(const std::string& folder)
{
    std::vector<std::string> files;
    readFolder(folder, [&files](bool isFolder, const char* name) {
        if (!isFolder)
            files.emplace_back(name);
    });
    return files;
}

}  // namespace tessaron
