#include "textfiles/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

namespace quillet {
namespace {

// Files are made 0666 less the umask, as any editor makes them.
mode_t NewFileMode()
{
    // Read rather than set-and-restore, so no other thread ever sees a
    // changed umask.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:"))
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

enum class Claim { Placed, Taken, Failed };

// renameat2 refuses where the file system cannot promise "no replace"; a hard
// link is as atomic there; a file system without links (FAT) gets the name
// claimed with O_EXCL and the file renamed over its own claim.
Claim ClaimName(const std::string& temporary, const std::string& name)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0)
        return Claim::Placed;
    if (errno == EEXIST)
        return Claim::Taken;
    if (errno != EINVAL && errno != ENOSYS)
        return Claim::Failed;
    if (::link(temporary.c_str(), name.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return Claim::Placed;
    }
    if (errno == EEXIST)
        return Claim::Taken;
    const int claim = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0)
        return errno == EEXIST ? Claim::Taken : Claim::Failed;
    ::close(claim);
    if (::rename(temporary.c_str(), name.c_str()) == 0)
        return Claim::Placed;
    ::unlink(name.c_str());
    return Claim::Failed;
}

} // namespace

PendingFile::PendingFile(const std::string& target) : target_(target)
{
    if (target.empty() || target.ends_with('/'))
        return;
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? ""
                                                          : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    temporary_ = folder + "/." + name + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        temporary_.clear();
        return;
    }
    ::fchmod(fd_, NewFileMode());
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
}

bool PendingFile::Write(std::span<const std::uint8_t> bytes)
{
    if (fd_ < 0 || failed_)
        return false;
    const std::uint8_t* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed_ = true;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool PendingFile::Finish()
{
    if (finished_)
        return !failed_;
    if (fd_ < 0)
        return false;
    finished_ = true;
    // fsync reports write-back errors to every descriptor open when they
    // happened, this one too, whoever wrote the bytes.
    if (::fsync(fd_) != 0)
        failed_ = true;
    if (::close(fd_) != 0)
        failed_ = true;
    fd_ = -1;
    return !failed_;
}

bool PendingFile::Replace()
{
    if (!Finish())
        return false;
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::chmod(temporary_.c_str(), existing.st_mode & 07777);
    placed_ = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    return placed_;
}

std::optional<PendingFile::Placed>
PendingFile::PlaceUnderFreeName(const std::function<std::string(int)>& name)
{
    if (!Finish())
        return std::nullopt;
    // Far more names than any folder holds for one stem: a bound only, so a
    // folder that refuses every name cannot keep the loop going.
    constexpr int kMostNumbers = 100000;
    for (int number = 1; number <= kMostNumbers; ++number) {
        const std::string candidate = name(number);
        switch (ClaimName(temporary_, candidate)) {
        case Claim::Placed: placed_ = true; return Placed{number, candidate};
        case Claim::Taken: continue;
        case Claim::Failed: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string PendingFile::NumberedName(const std::string& target, int number, char separator)
{
    if (number <= 1)
        return target;
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = target.rfind('.');
    // No extension: no dot in the name, or only the one that hides it.
    if (dot == std::string::npos || dot <= nameStart)
        dot = target.size();
    return target.substr(0, dot) + separator + std::to_string(number) + target.substr(dot);
}

} // namespace quillet
