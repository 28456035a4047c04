#include "textfiles/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
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
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// Up to count bytes from the file's position on; nothing on a read error.
// count never exceeds what the open file states, so a file that grows while
// it is read (or a /proc file that never ends) costs no more than that.
std::optional<ByteArray> ReadUpTo(int fd, std::size_t count)
{
    ByteArray bytes(count);
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::read(fd, bytes.data() + filled, count - filled);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

// A regular file opened for reading, its stated size taken from the open
// descriptor: a name swapped for a pipe or a device between a look and the
// open is seen for what it is, and O_NONBLOCK keeps the open itself from
// waiting for a writer that never comes.
struct OpenedFile {
    UniqueFd fd{-1};
    std::uintmax_t size = 0;
    FileReadProblem problem = FileReadProblem::None;
};

OpenedFile OpenRegularFile(const std::string& path)
{
    OpenedFile file;
    file.fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.fd) {
        file.problem = errno == ENOENT || errno == ENOTDIR ? FileReadProblem::Missing
                                                           : FileReadProblem::Unreadable;
        return file;
    }
    struct stat status {};
    if (::fstat(file.fd.get(), &status) != 0)
        file.problem = FileReadProblem::Unreadable;
    else if (!S_ISREG(status.st_mode))
        file.problem = FileReadProblem::NotAFile;
    else
        file.size = static_cast<std::uintmax_t>(std::max<off_t>(status.st_size, 0));
    return file;
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

ByteArray ReadFilePart(const std::string& path, std::int64_t offset, std::size_t count)
{
    const OpenedFile file = OpenRegularFile(path);
    if (file.problem != FileReadProblem::None || offset < 0
        || static_cast<std::uintmax_t>(offset) >= file.size
        || (offset > 0 && ::lseek(file.fd.get(), offset, SEEK_SET) != offset))
        return {};
    const std::uintmax_t left = file.size - static_cast<std::uintmax_t>(offset);
    return ReadUpTo(file.fd.get(), static_cast<std::size_t>(std::min<std::uintmax_t>(count, left)))
        .value_or(ByteArray());
}

BoundedFileRead ReadRegularFile(const std::string& path, std::size_t limit)
{
    const OpenedFile file = OpenRegularFile(path);
    if (file.problem != FileReadProblem::None)
        return {{}, file.problem};
    if (file.size > limit)
        return {{}, FileReadProblem::TooLarge};
    BoundedFileRead read;
    try {
        // One byte past the stated size tells a file that states less than
        // it holds: a /proc file states 0 and may give gigabytes.
        std::optional<ByteArray> bytes = ReadUpTo(file.fd.get(), file.size + 1);
        if (!bytes)
            return {{}, FileReadProblem::Unreadable};
        if (bytes->size() > file.size) {
            if (file.size == 0)
                return {{}, FileReadProblem::NotAFile};
            bytes->resize(file.size); // grown since: the file as it was opened
        }
        read.bytes = std::move(*bytes);
    } catch (const std::bad_alloc&) {
        return {{}, FileReadProblem::OutOfMemory};
    }
    return read;
}

DirectoryHandle OpenDirectory(const std::string& folder)
{
    return DirectoryHandle(opendir(folder.c_str()));
}

} // namespace quillet
