#include "collect/pseudo_mounts.h"

#include <mntent.h>

#include <array>
#include <cstdio>
#include <memory>

namespace quillet {
namespace {

constexpr std::array<std::string_view, 24> kernelFileSystems = {
    "proc",     "sysfs",    "devtmpfs", "devpts",     "cgroup",     "cgroup2",
    "securityfs", "debugfs", "tracefs", "pstore",     "bpf",        "mqueue",
    "hugetlbfs", "configfs", "fusectl", "autofs",     "binfmt_misc", "efivarfs",
    "rpc_pipefs", "nsfs",   "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal", "nfsd",
};

bool StartsWithFolder(std::string_view path, std::string_view folder)
{
    return path == folder
        || (path.size() > folder.size() && path.substr(0, folder.size()) == folder
            && path[folder.size()] == '/');
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
    return false;
}

std::unordered_set<std::string> PseudoMountPoints()
{
    std::unordered_set<std::string> mountPoints;
    std::unique_ptr<FILE, MountTableCloser> table(setmntent("/proc/self/mounts", "r"));
    if (!table)
        return mountPoints;
    mntent entry{};
    std::array<char, 4096> buffer{};
    while (getmntent_r(table.get(), &entry, buffer.data(), static_cast<int>(buffer.size()))) {
        if (!IsPseudoFileSystem(entry.mnt_type, entry.mnt_dir))
            continue;
        std::string point = entry.mnt_dir;
        while (point.size() > 1 && point.back() == '/')
            point.pop_back();
        mountPoints.insert(std::move(point));
    }
    return mountPoints;
}

} // namespace quillet
