#pragma once
// File commands.  They fail quietly: a missing or unreadable file gives the
// neutral result, never a message.

#include "textfiles/bytes.h"

#include <dirent.h>

#include <cstdint>
#include <memory>
#include <string>

namespace quillet {

// Any entry, a folder too.
bool FileExists(const std::string& path);

// The size in bytes of the file, -1 when there is no such file (a folder is
// not a file).  Sizes beyond 4 GB come back whole.
std::int64_t FileSize(const std::string& path);

// Up to count bytes of a regular file from offset on (fewer where it ends),
// for readers that want only a header or a trailer; empty when it cannot be
// read.  Neither read waits on a pipe or reads a device.
ByteArray ReadFilePart(const std::string& path, std::int64_t offset, std::size_t count);

// What kept a whole file from being read.
enum class FileReadProblem { None, Missing, NotAFile, TooLarge, Unreadable, OutOfMemory };

struct BoundedFileRead {
    ByteArray bytes;
    FileReadProblem problem = FileReadProblem::None;
};

// The whole of a regular file of at most limit bytes.  A device, a pipe or
// a folder is refused before a byte is read (/dev/zero never ends), and so
// is a file larger than the limit; never more is read than the open file
// states (a sparse file of gigabytes is refused, not read), and a file that
// states no size but holds bytes (/proc) is no regular file.
BoundedFileRead ReadRegularFile(const std::string& path, std::size_t limit);

// An open directory listing, closed when it goes.
struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// The listing of the folder; empty when it cannot be opened (errno says why).
DirectoryHandle OpenDirectory(const std::string& folder);

} // namespace quillet
