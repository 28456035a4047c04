#include "textfiles/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>

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

private:
    int fd_;
};

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

DirectoryHandle OpenDirectory(const std::string& folder)
{
    return DirectoryHandle(opendir(folder.c_str()));
}

} // namespace quillet
