#include "support/raw_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace quillet::testing {

bool WriteRawFile(const std::string& path, const ByteArray& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const ssize_t written = bytes.empty() ? 0 : ::write(fd, bytes.data(), bytes.size());
    const bool closed = ::close(fd) == 0;
    return closed && written == static_cast<ssize_t>(bytes.size());
}

bool MakeRawFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

void RemoveRawTree(const std::string& path)
{
    // std::filesystem keeps a path's native bytes on POSIX.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

} // namespace quillet::testing
