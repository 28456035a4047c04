#include "collect/mount_table.h"

#include "runtime/files.h"

#include <array>

namespace quillet {
namespace {

constexpr std::array<std::string_view, 23> kernelFileSystems = {
    "proc",       "sysfs",     "devtmpfs",        "devpts",      "cgroup",   "cgroup2",
    "securityfs", "debugfs",   "tracefs",         "pstore",      "bpf",      "mqueue",
    "hugetlbfs",  "configfs",  "fusectl",         "binfmt_misc", "efivarfs", "rpc_pipefs",
    "nsfs",       "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "nfsd",
};

bool StartsWithFolder(std::string_view path, std::string_view folder)
{
    return path == folder
           || (path.size() > folder.size() && path.substr(0, folder.size()) == folder
               && path[folder.size()] == '/');
}

bool IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, newline and backslash in names as \ooo.
std::string Unescaped(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1])
            && IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            text += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3)
                                      | (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

bool IsPseudoFileSystem(std::string_view type, std::string_view mountPoint)
{
    for (std::string_view kernel : kernelFileSystems)
        if (type == kernel)
            return true;
    if (type == "tmpfs" || type == "ramfs")
        return StartsWithFolder(mountPoint, "/run") || StartsWithFolder(mountPoint, "/dev")
               || StartsWithFolder(mountPoint, "/sys");
    // Container runtimes keep the layers of running containers there.
    if (type == "overlay")
        return StartsWithFolder(mountPoint, "/run");
    return false;
}

std::optional<MountEntry> ParseMountLine(std::string_view line)
{
    std::array<std::string_view, 3> fields;
    std::size_t found = 0;
    std::size_t index = 0;
    while (found < fields.size()) {
        const std::size_t start = line.find_first_not_of(" \t", index);
        if (start == std::string_view::npos)
            return std::nullopt;
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = line.size();
        fields[found++] = line.substr(start, end - start);
        index = end;
    }
    return MountEntry{Unescaped(fields[2]), Unescaped(fields[1])};
}

std::vector<MountEntry> ParseMountTable(std::string_view table)
{
    std::vector<MountEntry> mounts;
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('\n', start);
        if (end == std::string_view::npos)
            end = table.size();
        if (std::optional<MountEntry> entry = ParseMountLine(table.substr(start, end - start)))
            mounts.push_back(std::move(*entry));
        start = end + 1;
    }
    return mounts;
}

WalkBoundaries::WalkBoundaries(const std::vector<MountEntry>& mounts)
{
    for (const MountEntry& mount : mounts) {
        const std::string point = WithoutTrailingSlash(mount.mountPoint);
        mountIsPseudo_[point] = IsPseudoFileSystem(mount.fileSystemType, point);
    }
    for (const auto& [point, pseudo] : mountIsPseudo_) {
        if (pseudo)
            continue;
        for (std::size_t slash = point.rfind('/'); slash != std::string::npos && slash > 0;
             slash = point.rfind('/', slash - 1))
            waysToVolumes_.insert(point.substr(0, slash));
    }
}

WalkBoundaries WalkBoundaries::OfThisMachine()
{
    // The file reports a size of 0; ReadFile reads to its end all the same.
    const ByteArray table = ReadFile("/proc/self/mounts");
    return WalkBoundaries(ParseMountTable(
        std::string_view(reinterpret_cast<const char*>(table.data()), table.size())));
}

bool WalkBoundaries::LeadsToVolume(const std::string& folder) const
{
    return waysToVolumes_.contains(folder);
}

FolderAccess WalkBoundaries::SubfolderAccess(const std::string& folder,
                                             FolderAccess parentAccess) const
{
    if (parentAccess == FolderAccess::Skip)
        return FolderAccess::Skip;
    if (const auto mount = mountIsPseudo_.find(folder); mount != mountIsPseudo_.end()) {
        if (!mount->second)
            return FolderAccess::Walk;
        return LeadsToVolume(folder) ? FolderAccess::PassThrough : FolderAccess::Skip;
    }
    if (parentAccess == FolderAccess::PassThrough)
        return LeadsToVolume(folder) ? FolderAccess::PassThrough : FolderAccess::Skip;
    return FolderAccess::Walk;
}

} // namespace quillet
