#include "core/platform/own_file.h"

#include "core/platform/runtime_error.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <limits>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaron {
namespace {

ErrorNumber readErrorNumber(int errorCode)
{
    switch (errorCode) {
    case ENOENT:
        return err::FileNotFound;
    case ENOTDIR:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
        return err::PermissionDenied;
    default:
        return err::PathFileAccessError;
    }
}

ErrorNumber writeErrorNumber(int errorCode)
{
    switch (errorCode) {
    case EACCES:
    case EPERM:
    case EROFS:
        return err::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return err::PathNotFound;
    case ENOSPC:
    case EDQUOT:
        return err::DiskFull;
    default:
        return err::PathFileAccessError;
    }
}

// All of `bytes` from the start of the file.
void writeFromStart(int fd, std::string_view bytes)
{
    for (off_t offset = 0; !bytes.empty();) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw RuntimeError(writeErrorNumber(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
}

struct OpenDescriptor {
    explicit OpenDescriptor(int descriptor) : fd(descriptor) {}
    int fd;
    OpenDescriptor(const OpenDescriptor&) = delete;
    OpenDescriptor& operator=(const OpenDescriptor&) = delete;
    ~OpenDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

constexpr int kTemporaryAttempts = 100;

// "<name>.<pid>.<attempt>.tmp": the pid lets a later write tell whether the writer
// still runs.
std::string temporaryName(const std::string& beside, long pid, int attempt)
{
    return beside + "." + std::to_string(pid) + "." + std::to_string(attempt) + ".tmp";
}

// The process that made a temporary file of ours, or nothing for any other name. Only
// the exact spelling this game makes counts, so a player's file that merely looks alike
// ("data.puz.007.0.tmp", "data.puz.12.tmp") is never taken for one.
std::optional<pid_t> temporaryOwner(const std::string& name, const std::string& beside)
{
    const std::string prefix = beside + ".";
    const std::string_view suffix = ".tmp";
    if (!name.starts_with(prefix) || !name.ends_with(suffix))
        return std::nullopt;
    const std::string_view middle = std::string_view(name).substr(
        prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dot = middle.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    long pid = 0;
    int attempt = 0;
    std::from_chars(middle.data(), middle.data() + dot, pid);
    std::from_chars(middle.data() + dot + 1, middle.data() + middle.size(), attempt);
    // Zero and negative numbers would make kill() ask about whole process groups.
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max() || attempt < 0
        || attempt >= kTemporaryAttempts || temporaryName(beside, pid, attempt) != name)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    return path.parent_path().empty() ? "." : path.parent_path();
}

// A write killed between creating its temporary file and the rename leaves the file
// behind for ever. Only ours whose process is gone go: a live pid may be another game
// writing right now (or ours, or a stranger that reused the number), and waiting costs
// only a few bytes.
void removeStaleTemporaries(const std::filesystem::path& beside)
{
    namespace fs = std::filesystem;
    const std::string name = beside.filename().string();
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(beside), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::optional<pid_t> owner = temporaryOwner(entry->path().filename().string(), name);
        std::error_code kind;
        if (owner && entry->symlink_status(kind).type() == fs::file_type::regular
            && ::kill(*owner, 0) != 0 && errno == ESRCH)
            ::unlink(entry->path().c_str());
    }
}

// The temporary file's descriptor and name; removed again unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& beside)
    {
        const std::string name = beside.filename().string();
        for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
            path_ = beside.parent_path() / temporaryName(name, ::getpid(), attempt);
            // 0666 less the umask: the same permissions a plain create would give.
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0 || errno != EEXIST)
                break;
        }
        if (fd_ < 0)
            throw RuntimeError(writeErrorNumber(errno));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!renamed_)
            ::unlink(path_.c_str());
    }

    // The replacement must protect the setting as the old file did: same owner where
    // this user may give it (root rewriting a player's file), then the same mode.
    void takeOverFrom(const struct stat& old)
    {
        // Best effort: a plain user cannot give a file away; it stays theirs, as a
        // create would leave it.
        [[maybe_unused]] const int given = ::fchown(fd_, old.st_uid, old.st_gid);
        if (::fchmod(fd_, old.st_mode & 07777) != 0)
            throw RuntimeError(writeErrorNumber(errno));
    }

    void write(std::string_view bytes) { writeFromStart(fd_, bytes); }

    // The content must be on disk before the rename gives it the real name, or a
    // crash could still leave an empty file under the real name.
    void commitAs(const std::filesystem::path& target)
    {
        if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0)
            throw RuntimeError(writeErrorNumber(errno));
        if (::rename(path_.c_str(), target.c_str()) != 0)
            throw RuntimeError(writeErrorNumber(errno));
        renamed_ = true;
    }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool renamed_ = false;
};

// A link in a folder that anyone may write but only owners may delete from (/tmp) can
// have been planted there by anyone. The system follows such a link only for its owner
// or the folder's owner where protected_symlinks is set; the game opens the target
// itself, so it keeps the same rule whatever the setting.
void refusePlantedLink(const std::filesystem::path& link, const struct stat& linkStatus, ErrorNumber (*errorNumber)(int))
{
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0)
        throw RuntimeError(errorNumber(errno));
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    if (shared && linkStatus.st_uid != ::geteuid() && linkStatus.st_uid != folder.st_uid)
        throw RuntimeError(err::PermissionDenied);
}

// The file a name finally stands for: a link is written through, so it stays a link
// and its target gets the new content. A relative link counts from the link's folder.
std::filesystem::path followLinks(std::filesystem::path path, ErrorNumber (*errorNumber)(int))
{
    for (int hops = 0;; ++hops) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;  // any error shows again, with its own number, when the file is opened
        if (hops == 40)  // the kernel's own limit for a chain of links
            throw RuntimeError(errorNumber(ELOOP));
        refusePlantedLink(path, status, errorNumber);
        std::string next(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), next.data(), next.size());
        if (length < 0)
            throw RuntimeError(errorNumber(errno));
        next.resize(static_cast<std::size_t>(length));
        path = next.starts_with('/') ? std::filesystem::path(next) : path.parent_path() / next;
    }
}

// The file as it is before the write, open for writing; -1 when there is none yet (a
// first run, or a link that leads nowhere). Only a plain file holds a setting: a pipe,
// a socket, a device or a folder in its place belongs to something else, and is neither
// fed nor replaced (the device itself, were the superuser to rename over it). A rename
// needs only the folder's permission, so it would replace a file the player has made
// read-only; opening the old file for writing, as a plain overwrite would, lets the
// system decide (mode, ACLs, read-only mounts, the superuser's rights) exactly as it
// always did. The open writes nothing.
int openOldFile(const std::filesystem::path& target, struct stat& status)
{
    if (::lstat(target.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return -1;
        throw RuntimeError(writeErrorNumber(errno));
    }
    if (!S_ISREG(status.st_mode))
        throw RuntimeError(err::PathFileAccessError);
    // Should something else take the name meanwhile, the open neither follows a new
    // link nor waits on a pipe, and the check after it tells.
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(writeErrorNumber(errno));
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw RuntimeError(err::PathFileAccessError);
    }
    return fd;
}

void syncFolderOf(const std::filesystem::path& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);  // best effort: the rename itself has already succeeded
        ::close(fd);
    }
}

// The new bytes in a temporary file renamed over the target, so no crash can leave a
// half-written file under the real name.
void replaceWith(std::string_view bytes, const std::filesystem::path& target, const struct stat* old)
{
    TemporaryFile temporary(target);
    if (old)
        temporary.takeOverFrom(*old);
    temporary.write(bytes);
    temporary.commitAs(target);
    syncFolderOf(target);
}

// The safe replacement is only a better way to overwrite, never a reason to refuse one:
// false when the folder will not have it (write-protected, no space or no inode for a
// new file, a sticky folder that keeps others' files), and the old file is then
// rewritten in place as a plain overwrite would.
bool tryReplaceWith(std::string_view bytes, const std::filesystem::path& target, const struct stat& old)
{
    try {
        replaceWith(bytes, target, &old);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The new bytes go over the old ones first and the file is cut to them after: cutting
// first would free the blocks the old content had, and a full disk would refuse the new
// content a new one. A file of the game's fits in the blocks its last version had.
void rewriteInPlace(int fd, std::string_view bytes)
{
    writeFromStart(fd, bytes);
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
        throw RuntimeError(writeErrorNumber(errno));
}

}  // namespace

std::string readOwnFile(const std::filesystem::path& path, std::size_t limit)
{
    const std::filesystem::path target = followLinks(path, readErrorNumber);
    // Only a plain file is opened at all: opening a device can rewind a tape or take a
    // terminal, and a pipe would wait for a writer for ever. Should something else take
    // the name meanwhile, the open neither follows it nor waits, and the check after
    // it tells.
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0)
        throw RuntimeError(readErrorNumber(errno));
    if (!S_ISREG(status.st_mode))
        throw RuntimeError(err::PathFileAccessError);
    const OpenDescriptor file(::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.fd < 0)
        throw RuntimeError(readErrorNumber(errno));
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw RuntimeError(err::PathFileAccessError);

    // Sized by what arrives, not by what the file claims: a sparse file can claim any size.
    std::string content;
    while (content.size() < limit) {
        const std::size_t start = content.size();
        content.resize(std::min(limit, std::max<std::size_t>(4096, start * 2)));
        const ssize_t got = ::read(file.fd, content.data() + start, content.size() - start);
        if (got < 0 && errno == EINTR) {
            content.resize(start);
            continue;
        }
        if (got < 0)
            throw RuntimeError(err::PathFileAccessError);
        content.resize(start + static_cast<std::size_t>(got));
        if (got == 0)
            break;
    }
    return content;
}

void writeOwnFile(const std::filesystem::path& path, std::string_view bytes)
{
    const std::filesystem::path target = followLinks(path, writeErrorNumber);
    struct stat old {};
    const OpenDescriptor oldFile(openOldFile(target, old));
    if (oldFile.fd < 0) {
        // On a full disk a plain create would leave an empty file, which a later start
        // would take for a broken one; this leaves none.
        replaceWith(bytes, target, nullptr);
    } else if (old.st_nlink > 1 || !tryReplaceWith(bytes, target, old)) {
        rewriteInPlace(oldFile.fd, bytes);
    }
    removeStaleTemporaries(target);
}

}  // namespace tessaron
