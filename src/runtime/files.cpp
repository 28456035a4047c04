#include "runtime/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

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

    ByteArray bytes;
    // The size is only a hint: files under /proc say 0, and a file may grow.
    bytes.reserve(
        std::min(count, static_cast<std::size_t>(std::max<off_t>(status.st_size - offset, 0))));
    std::uint8_t buffer[65536];
    while (bytes.size() < count) {
        const ssize_t got = ::read(fd.get(), buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got == 0)
            return bytes;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {};
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

} // namespace quillet
