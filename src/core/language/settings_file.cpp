#include "core/language/settings_file.h"

#include "core/platform/runtime_error.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaron {
namespace {

// Reads the first item as it streams past, so a huge or endless file costs no memory:
// only the item's sign, its value (capped once it is out of range) and whether it is
// still a number are kept.
class FirstItemReader {
public:
    // Returns true once the item has ended or the read limit is reached; what follows
    // does not matter.
    bool feed(std::string_view chunk)
    {
        for (const char c : chunk) {
            if (seen_++ == kSettingsReadLimit) {
                cutOff_ = true;
                return true;
            }
            if (stage_ == Stage::Skipping) {
                if (c == ' ' || c == '\t')
                    continue;
                stage_ = Stage::InItem;
            }
            if (c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                stage_ = Stage::Done;
                return true;
            }
            take(c);
        }
        return false;
    }

    std::int16_t value() const
    {
        if (stage_ == Stage::Skipping)
            throw RuntimeError(err::InputPastEndOfFile);
        if (notANumber_ || !sawDigit_)
            throw RuntimeError(err::TypeMismatch);
        // Digits running past the limit make no number the game could have written.
        if (cutOff_)
            throw RuntimeError(err::Overflow);
        const std::int64_t value = negative_ ? -magnitude_ : magnitude_;
        if (value < std::numeric_limits<std::int16_t>::min()
            || value > std::numeric_limits<std::int16_t>::max())
            throw RuntimeError(err::Overflow);
        return static_cast<std::int16_t>(value);
    }

private:
    enum class Stage { Skipping, InItem, Done };

    void take(char c)
    {
        const bool first = length_++ == 0;
        if (first && (c == '-' || c == '+')) {
            negative_ = c == '-';
            return;
        }
        if (c < '0' || c > '9') {
            notANumber_ = true;
            return;
        }
        sawDigit_ = true;
        // Anything past this cap overflows 16 bits already; leading zeros keep it at 0.
        constexpr std::int64_t cap = 1'000'000;
        magnitude_ = std::min(cap, magnitude_ * 10 + (c - '0'));
    }

    Stage stage_ = Stage::Skipping;
    std::size_t seen_ = 0;
    bool cutOff_ = false;
    std::size_t length_ = 0;
    bool negative_ = false;
    bool sawDigit_ = false;
    bool notANumber_ = false;
    std::int64_t magnitude_ = 0;
};

int readErrorNumber(int errorCode)
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

int writeErrorNumber(int errorCode)
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

// "data.puz.<pid>.<attempt>.tmp": the pid lets a later write tell whether the writer
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

    // The content must be on disk before the rename makes it the settings file, or a
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

// The file a name finally stands for: a link is written through, so it stays a link
// and its target gets the new content. A relative link counts from the link's folder.
std::filesystem::path followLinks(std::filesystem::path path)
{
    namespace fs = std::filesystem;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            return path;  // any error shows again, with its own number, when the file is opened
        if (hops == 40)  // the kernel's own limit for a chain of links
            throw RuntimeError(writeErrorNumber(ELOOP));
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            throw RuntimeError(writeErrorNumber(error.value()));
        path = next.is_absolute() ? next : path.parent_path() / next;
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

// The new line in a temporary file renamed over the target, so no crash can leave a
// half-written file under the real name.
void replaceWith(std::string_view line, const std::filesystem::path& target, const struct stat* old)
{
    TemporaryFile temporary(target);
    if (old)
        temporary.takeOverFrom(*old);
    temporary.write(line);
    temporary.commitAs(target);
    syncFolderOf(target);
}

// The safe replacement is only a better way to overwrite, never a reason to refuse one:
// false when the folder will not have it (write-protected, no space or no inode for a
// new file, a sticky folder that keeps others' files), and the old file is then
// rewritten in place as a plain overwrite would.
bool tryReplaceWith(std::string_view line, const std::filesystem::path& target, const struct stat& old)
{
    try {
        replaceWith(line, target, &old);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The new line goes over the old one first and the file is cut to it after: cutting
// first would free the block the old line had, and a full disk would refuse the line a
// new one. The five to eight bytes fit in the block that held the old line.
void rewriteInPlace(int fd, std::string_view line)
{
    writeFromStart(fd, line);
    if (::ftruncate(fd, static_cast<off_t>(line.size())) != 0 || ::fsync(fd) != 0)
        throw RuntimeError(writeErrorNumber(errno));
}

}  // namespace

std::string formatSettings(std::int16_t languageCode)
{
    std::string line = languageCode < 0 ? "-" : " ";
    line += std::to_string(languageCode < 0 ? -static_cast<std::int32_t>(languageCode)
                                            : static_cast<std::int32_t>(languageCode));
    line += " \r\n";
    return line;
}

std::int16_t parseSettings(std::string_view content)
{
    FirstItemReader reader;
    reader.feed(content);
    return reader.value();
}

std::int16_t readSettingsFile(const std::filesystem::path& path)
{
    // Without O_NONBLOCK a pipe put in the file's place would wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(readErrorNumber(errno));
    const OpenDescriptor closer(fd);

    // Only a plain file can hold the setting; a folder, a pipe or a device in its place
    // would fail or never end.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw RuntimeError(err::PathFileAccessError);

    FirstItemReader reader;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw RuntimeError(err::PathFileAccessError);
        }
        if (got == 0 || reader.feed(std::string_view(buffer, static_cast<std::size_t>(got))))
            break;
    }
    return reader.value();
}

void writeSettingsFile(std::int16_t languageCode, const std::filesystem::path& path)
{
    const std::filesystem::path target = followLinks(path);
    const std::string line = formatSettings(languageCode);
    struct stat old {};
    const OpenDescriptor oldFile(openOldFile(target, old));
    if (oldFile.fd < 0) {
        // On a full disk a plain create would leave an empty file, which fails every
        // later start; this leaves none, and the next start asks again.
        replaceWith(line, target, nullptr);
    } else if (old.st_nlink > 1 || !tryReplaceWith(line, target, old)) {
        rewriteInPlace(oldFile.fd, line);
    }
    removeStaleTemporaries(target);
}

}  // namespace tessaron
