#pragma once
// The small files the game keeps for itself: the language in data.puz, the remembered
// new-puzzle choice, and whatever else it keeps between runs. Whatever stands at such a
// name, the game must never hang on it, fill memory with it, feed or replace something
// that is not its own plain file, or be steered by someone else's link into writing over
// another file. Every such file is read and written here, and nowhere else.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaron {

// At most `limit` bytes from the start of the file; the caller decides what a file cut
// there means. Only a plain file is read, and opening it never waits (a pipe would wait
// for a writer for ever). A link is followed to the file it names, as the system would.
// Raises File not found when there is no such file, Permission denied when it may not be
// read or a link may not be followed (see writeOwnFile), Path not found for a name
// through something that is not a folder, and Path/File access error for anything that
// is not a plain file (a pipe, a socket, a device, a folder) or cannot be read.
std::string readOwnFile(const std::filesystem::path& path, std::size_t limit);

// Makes the file hold `bytes` alone, as a plain create or overwrite would, only more
// safely. Where the folder allows, the bytes go to a temporary file beside it which is
// then renamed over it, so an interrupted write leaves the old content rather than a
// half-written file; the new file keeps the old one's mode and, where allowed, its
// owner. Where the folder refuses a new file (write-protected, no space, no inode), or
// the file has other names that must keep sharing it, the file is rewritten in place.
// Temporary files left there by a killed write of an earlier run are removed.
//
// A link is written through to the file it names, so it stays a link (a file kept
// elsewhere, as dotfiles often are). In a folder that anyone may write and that keeps
// its files to their owners (/tmp), a link is followed only when it belongs to this user
// or to the folder's owner, as the system itself does where it is set to: another user
// could otherwise plant one there and have the game write over any file this user may
// write. Such a link raises Permission denied, and nothing is written.
//
// Raises Path/File access error when what the name leads to is not a plain file (a pipe,
// a socket, a device, a folder), and touches nothing; Permission denied when the file may
// not be written, as an overwrite would; Disk full when not even the rewrite in place
// fits; Permission denied, Path not found or Path/File access error when the folder
// refuses a file that does not exist yet.
void writeOwnFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tessaron
