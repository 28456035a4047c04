#include "collect/mount_table.h"

#include <mntent.h>

#include <array>
#include <cstdio>
#include <memory>

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

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

struct MountTableCloser {
    void operator()(FILE* table) const { endmntent(table); }
};

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

namespace {

std::vector<MountEntry> ReadMountTable(FILE* table)
{
    std::vector<MountEntry> mounts;
    if (!table)
        return mounts;
    // Room for three fields of PATH_MAX each; getmntent_r skips what is left
    // of a longer line (the options of a deep overlay), and unescapes the
    // kernel's \040, \011, \012 and \134 in names.
    std::vector<char> line(16384);
    mntent entry{};
    while (getmntent_r(table, &entry, line.data(), static_cast<int>(line.size()))) {
        // A line with fewer than three fields names no file system.
        if (*entry.mnt_dir != '\0' && *entry.mnt_type != '\0')
            mounts.push_back({entry.mnt_type, entry.mnt_dir});
    }
    return mounts;
}

} // namespace

std::vector<MountEntry> ParseMountTable(std::string_view table)
{
    if (table.empty())
        return {};
    const std::unique_ptr<FILE, MountTableCloser> stream(
        fmemopen(const_cast<char*>(table.data()), table.size(), "r"));
    return ReadMountTable(stream.get());
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
    const std::unique_ptr<FILE, MountTableCloser> table(setmntent("/proc/self/mounts", "r"));
    return WalkBoundaries(ReadMountTable(table.get()));
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
