#pragma once
// File commands.  They fail quietly: a missing or unreadable file gives the
// neutral result, never a message.

#include "runtime/bytes.h"

#include <dirent.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillet {

// Any entry, a folder too.
bool FileExists(const std::string& path);

// The size in bytes of the file, -1 when there is no such file (a folder is
// not a file).  Sizes beyond 4 GB come back whole.
std::int64_t FileSize(const std::string& path);

// The whole file; empty when it cannot be read.
ByteArray ReadFile(const std::string& path);

// Up to count bytes of the file from offset on (fewer where it ends), for
// readers that want only a header or a trailer; empty when it cannot be read.
ByteArray ReadFilePart(const std::string& path, std::int64_t offset, std::size_t count);

// Writes the arrays one after another into the file, replacing what it held;
// false on any error.  The bytes go to a temporary file beside it that is then
// renamed over the target, so a failed write leaves the old file whole.
bool WriteFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts);

// Attribute bits of a folder entry.
inline constexpr int kAttributeReadOnly = 1; // not writable by the user
inline constexpr int kAttributeHidden = 2; // the name begins with '.'
inline constexpr int kAttributeSystem = 4; // device, socket, pipe, broken link
inline constexpr int kAttributeFolder = 16;
inline constexpr int kAttributeArchive = 32; // a regular file
// Set besides the others for a symbolic link, so that a walk through the
// folders can list a link to a folder without following it.
inline constexpr int kAttributeLink = 0x400;

// Enumerates a folder's entries that match a pattern, one per call, in the
// order the file system gives them.  One search at a time; the folder is
// closed at the end, by Close, by a new search, or with the object.
class FileSearch {
public:
    // A non-empty pattern ("folder/*.*", "folder/*.jpg", "name?.txt") starts a
    // new search; an empty one continues the current search.  Returns the
    // next entry name (without its folder) that the mask accepts, or the empty
    // text at the end, which also closes the search.
    //
    // Mask: no mask accepts every entry that is not a folder; 0 accepts only
    // entries with none of the five attribute bits; any other mask accepts an
    // entry that has one of its bits.  The mask applies to this call only.
    //
    // In the name pattern '*' stands for any run of characters, '?' for one
    // character, and "*.*" for every name, with or without a dot.  Names
    // compare case-sensitively.  A folder's search yields "." and ".." first,
    // as folders, except in the root folder.
    std::string FindFile(std::string_view pattern, std::optional<int> attributeMask = {});

    // The attributes of the entry the last call returned.
    int LastAttributes() const { return lastAttributes_; }

    void Close();

private:
    struct FolderCloser {
        void operator()(DIR* folder) const { closedir(folder); }
    };

    bool Open(std::string_view pattern);
    // The next entry name of the folder (the dot entries first), empty at its end.
    std::string NextName();

    std::unique_ptr<DIR, FolderCloser> folder_;
    std::string namePattern_;
    int dotEntriesLeft_ = 0;
    int lastAttributes_ = 0;
};

// Windows-style wildcard match of one name: '*' any run of characters, '?'
// one character (a whole UTF-8 character), "*.*" every name.
bool MatchesNamePattern(std::string_view name, std::string_view pattern);

// What kept a whole file from being read.
enum class FileReadProblem { None, Missing, NotAFile, TooLarge, Unreadable };

struct BoundedFileRead {
    ByteArray bytes;
    FileReadProblem problem = FileReadProblem::None;
};

// The whole of a regular file of at most limit bytes.  A device, a pipe or
// a folder is refused before a byte is read (/dev/zero never ends), and so
// is a file larger than the limit.
BoundedFileRead ReadRegularFile(const std::string& path, std::size_t limit);

} // namespace quillet
