#include "textfiles/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

// renameat2 refuses where the file system cannot promise "no replace"; a hard
// link is as atomic there; a file system without links (FAT) gets the name
// claimed with O_EXCL and the file renamed over its own claim.
NameClaim ClaimName(const std::string& temporary, const std::string& name)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0)
        return NameClaim::Placed;
    if (errno == EEXIST)
        return NameClaim::Taken;
    if (errno != EINVAL && errno != ENOSYS)
        return NameClaim::Failed;
    if (::link(temporary.c_str(), name.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return NameClaim::Placed;
    }
    if (errno == EEXIST)
        return NameClaim::Taken;
    const int claim = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (claim < 0)
        return errno == EEXIST ? NameClaim::Taken : NameClaim::Failed;
    ::close(claim);
    if (::rename(temporary.c_str(), name.c_str()) == 0)
        return NameClaim::Placed;
    const int error = errno;
    ::unlink(name.c_str());
    errno = error;
    return NameClaim::Failed;
}

// An unnamed file gets its first name by a link, which never replaces an
// entry: the claim is atomic on every file system that has such files.
// Through /proc for anyone; AT_EMPTY_PATH where /proc is not mounted asks
// for a privilege.
NameClaim LinkUnnamed(int fd, const std::string& procPath, const std::string& name)
{
    int linked = ::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    if (linked != 0 && errno == ENOENT)
        linked = ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
    if (linked == 0)
        return NameClaim::Placed;
    return errno == EEXIST ? NameClaim::Taken : NameClaim::Failed;
}

std::string FolderOf(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

} // namespace

PendingFile::PendingFile(const std::string& target) : target_(target)
{
    if (target.empty() || target.ends_with('/'))
        return;
    // An unnamed file first: a run killed at any moment, even by SIGKILL,
    // leaves nothing behind, because the file has no name until it is whole.
    // The mode is 0666 less the umask, applied by open itself.
    fd_ = ::open(FolderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
        temporary_ = "/proc/self/fd/" + std::to_string(fd_);
        // A writer that opens files by name reaches the file through /proc.
        if (::access(temporary_.c_str(), W_OK) == 0) {
            unnamed_ = true;
            return;
        }
        ::close(fd_);
        fd_ = -1;
    }
    // The file system has no unnamed files (FAT, some network file systems):
    // a hidden name beside the target, removed on the usual signals.
    const std::size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const std::string folder = FolderOf(target);
    temporary_ = (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        temporary_.clear();
        return;
    }
    cleanUp_ = SignalCleanUp(temporary_);
    ::fchmod(fd_, NewFileMode());
}

PendingFile::~PendingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_ && !unnamed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
}

void PendingFile::Fail(int error)
{
    if (!failed_)
        error_ = error;
    failed_ = true;
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
            Fail(written < 0 ? errno : ENOSPC);
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
        Fail(errno);
    // An unnamed file lives only as long as a descriptor holds it: it stays
    // open until it has a name.
    if (!unnamed_) {
        if (::close(fd_) != 0)
            Fail(errno);
        fd_ = -1;
    }
    return !failed_;
}

NameClaim PendingFile::ClaimAs(const std::string& name)
{
    const NameClaim claim =
        unnamed_ ? LinkUnnamed(fd_, temporary_, name) : ClaimName(temporary_, name);
    if (claim == NameClaim::Failed)
        Fail(errno);
    return claim;
}

bool PendingFile::Replace()
{
    if (!Finish())
        return false;
    struct stat existing {};
    const bool replacing = ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (unnamed_) {
        // A link cannot replace: the file takes a hidden name of its own
        // first, for as long as it takes to rename it over the target.
        const std::string folder = FolderOf(target_);
        for (int attempt = 0;; ++attempt) {
            std::string hidden = (folder == "/" ? "" : folder) + "/.quillet-"
                                 + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            const NameClaim claimed = ClaimAs(hidden);
            if (claimed == NameClaim::Failed || attempt > 1000)
                return false;
            if (claimed == NameClaim::Placed) {
                temporary_ = std::move(hidden);
                unnamed_ = false;
                cleanUp_ = SignalCleanUp(temporary_);
                break;
            }
        }
    }
    if (replacing)
        ::chmod(temporary_.c_str(), existing.st_mode & 07777);
    placed_ = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!placed_) {
        Fail(errno);
        ::unlink(temporary_.c_str());
    }
    cleanUp_ = SignalCleanUp();
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
        switch (ClaimAs(candidate)) {
        case NameClaim::Placed:
            placed_ = true;
            cleanUp_ = SignalCleanUp();
            return Placed{number, candidate};
        case NameClaim::Taken: continue;
        case NameClaim::Failed: return std::nullopt;
        }
    }
    Fail(EEXIST);
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
