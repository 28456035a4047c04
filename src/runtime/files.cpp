#include "runtime/files.h"

#include "runtime/pending_file.h"
#include "runtime/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <utility>

namespace quillet {
namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now and tells whether everything written reached the file.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

bool WriteAll(int fd, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    for (const auto part : parts) {
        const std::uint8_t* data = part.data();
        std::size_t left = part.size();
        while (left > 0) {
            const ssize_t written = ::write(fd, data, left);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    return true;
}

bool WriteInPlace(const std::string& path,
                  std::initializer_list<std::span<const std::uint8_t>> parts)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd)
        return false;
    const bool written = WriteAll(fd.get(), parts);
    return fd.Close() && written;
}

// A link is written through, as opening it would; the real file is replaced.
std::string ResolveLink(const std::string& path)
{
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0 || !S_ISLNK(own.st_mode))
        return path;
    const std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    return resolved ? std::string(resolved.get()) : path;
}

constexpr int kFiveAttributes =
    kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeFolder | kAttributeArchive;

bool Accepts(int attributes, std::optional<int> mask)
{
    if (!mask)
        return (attributes & kAttributeFolder) == 0;
    if (*mask == 0)
        return (attributes & kFiveAttributes) == 0;
    return (attributes & *mask) != 0;
}

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

int EntryAttributes(int folderFd, const std::string& name)
{
    int attributes = 0;
    struct stat own {};
    if (::fstatat(folderFd, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode))
        attributes |= kAttributeLink;
    if (name.starts_with('.') && !IsDotEntry(name))
        attributes |= kAttributeHidden;

    struct stat target {};
    if (::fstatat(folderFd, name.c_str(), &target, 0) != 0)
        return attributes | kAttributeSystem; // a broken link, or gone meanwhile
    if (S_ISDIR(target.st_mode))
        attributes |= kAttributeFolder;
    else if (S_ISREG(target.st_mode))
        attributes |= kAttributeArchive;
    else
        attributes |= kAttributeSystem;
    if (::faccessat(folderFd, name.c_str(), W_OK, AT_EACCESS) != 0)
        attributes |= kAttributeReadOnly;
    return attributes;
}

bool IsRootFolder(const std::string& folder)
{
    std::error_code error;
    return std::filesystem::canonical(folder, error) == std::filesystem::path("/");
}

// Up to count bytes from the file's position on; nothing on a read error.
// The size is only a hint: files under /proc say 0, and a file may grow.
std::optional<ByteArray> ReadUpTo(int fd, std::size_t count, off_t sizeHint)
{
    ByteArray bytes;
    bytes.reserve(std::min(count, static_cast<std::size_t>(sizeHint)));
    std::uint8_t buffer[65536];
    while (bytes.size() < count) {
        const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

} // namespace

bool FileExists(const std::string& path)
{
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0;
}

std::int64_t FileSize(const std::string& path)
{
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return -1;
    return static_cast<std::int64_t>(status.st_size);
}

ByteArray ReadFile(const std::string& path)
{
    return ReadFilePart(path, 0, std::numeric_limits<std::size_t>::max());
}

ByteArray ReadFilePart(const std::string& path, std::int64_t offset, std::size_t count)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return {};
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || S_ISDIR(status.st_mode))
        return {};
    if (offset < 0 || (offset > 0 && ::lseek(fd.get(), offset, SEEK_SET) != offset))
        return {};

    return ReadUpTo(fd.get(), count, std::max<off_t>(status.st_size - offset, 0))
        .value_or(ByteArray());
}

bool WriteFile(const std::string& path, std::initializer_list<std::span<const std::uint8_t>> parts)
{
    if (path.empty() || path.ends_with('/'))
        return false;
    const std::string target = ResolveLink(path);
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        return WriteInPlace(target, parts); // a device or pipe is written as it is
    PendingFile file(target);
    if (!file.IsOpen()) {
        // No room for a temporary beside it (folder not writable, name too
        // long): the file itself may still be writable.
        return WriteInPlace(target, parts);
    }
    for (const auto part : parts)
        if (!file.Write(part))
            return false;
    return file.Replace();
}

bool MatchesNamePattern(std::string_view name, std::string_view pattern)
{
    if (pattern == "*.*")
        return true;
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            n += CharacterLengthAt(name, n);
            ++p;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++n;
            ++p;
        } else if (starPattern != std::string_view::npos) {
            // Let the last '*' take one more character and try again.
            starName += CharacterLengthAt(name, starName);
            n = starName;
            p = starPattern + 1;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string FileSearch::FindFile(std::string_view pattern, std::optional<int> attributeMask)
{
    if (!pattern.empty()) {
        Close();
        if (!Open(pattern))
            return {};
    }
    if (!folder_)
        return {};
    for (;;) {
        std::string name = NextName();
        if (name.empty()) {
            Close();
            return {};
        }
        if (!MatchesNamePattern(name, namePattern_))
            continue;
        const int attributes = EntryAttributes(::dirfd(folder_.get()), name);
        if (!Accepts(attributes, attributeMask))
            continue;
        lastAttributes_ = attributes;
        return name;
    }
}

void FileSearch::Close()
{
    folder_.reset();
    namePattern_.clear();
    dotEntriesLeft_ = 0;
}

bool FileSearch::Open(std::string_view pattern)
{
    const std::size_t slash = pattern.rfind('/');
    const std::string folder = slash == std::string_view::npos ? "."
                               : slash == 0                    ? "/"
                                            : std::string(pattern.substr(0, slash));
    namePattern_ =
        std::string(slash == std::string_view::npos ? pattern : pattern.substr(slash + 1));
    if (namePattern_.empty())
        return false;
    folder_.reset(::opendir(folder.c_str()));
    if (!folder_)
        return false;
    dotEntriesLeft_ = IsRootFolder(folder) ? 0 : 2;
    return true;
}

std::string FileSearch::NextName()
{
    if (dotEntriesLeft_ > 0)
        return dotEntriesLeft_-- == 2 ? "." : "..";
    while (const dirent* entry = ::readdir(folder_.get())) {
        if (!IsDotEntry(entry->d_name))
            return entry->d_name;
    }
    return {};
}

BoundedFileRead ReadRegularFile(const std::string& path, std::size_t limit)
{
    // Without O_NONBLOCK, opening a pipe that nobody writes to would wait.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return {{},
                errno == ENOENT || errno == ENOTDIR ? FileReadProblem::Missing
                                                    : FileReadProblem::Unreadable};
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return {{}, FileReadProblem::Unreadable};
    if (!S_ISREG(status.st_mode))
        return {{}, FileReadProblem::NotAFile};
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > limit)
        return {{}, FileReadProblem::TooLarge};
    // One byte more than allowed tells a file that grew since.
    std::optional<ByteArray> bytes = ReadUpTo(fd.get(), limit + 1, status.st_size);
    if (!bytes)
        return {{}, FileReadProblem::Unreadable};
    if (bytes->size() > limit)
        return {{}, FileReadProblem::TooLarge};
    return {std::move(*bytes), FileReadProblem::None};
}

} // namespace quillet
