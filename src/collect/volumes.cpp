#include "collect/volumes.h"

#include "collect/mount_table.h"
#include "collect/tree_icons.h"

#include <QStorageInfo>

#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quillet {
namespace {

bool IsOneOf(std::string_view value, std::initializer_list<std::string_view> candidates)
{
    for (std::string_view candidate : candidates)
        if (value == candidate)
            return true;
    return false;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string TrimSpaces(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// /sys/class/block/sdb1 links into the device tree below the whole disk
// (sdb), which is the one that carries the "removable" flag.
bool DeviceIsRemovable(std::string_view device)
{
    if (!StartsWith(device, "/dev/"))
        return false;
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(std::string(device), error);
    if (error)
        return false;
    const std::filesystem::path block =
        std::filesystem::canonical("/sys/class/block" / resolved.filename(), error);
    if (error)
        return false;
    for (const std::filesystem::path& candidate :
         {block / "removable", block.parent_path() / "removable"}) {
        std::ifstream flag(candidate);
        char value = '0';
        if (flag >> value)
            return value == '1';
    }
    return false;
}

} // namespace

VolumeKind ClassifyVolume(std::string_view fileSystemType, std::string_view device,
                          std::string_view mountPoint, bool removableDevice)
{
    if (IsOneOf(fileSystemType, {"iso9660", "udf"}))
        return VolumeKind::CdRom;
    if (IsOneOf(fileSystemType,
                {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "afs", "ceph",
                 "glusterfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "9p"}))
        return VolumeKind::Network;
    if (IsOneOf(fileSystemType, {"tmpfs", "ramfs"}))
        return VolumeKind::RamDisk;
    if (removableDevice || StartsWith(mountPoint, "/media/")
        || StartsWith(mountPoint, "/run/media/"))
        return VolumeKind::Removable;
    if (StartsWith(device, "/dev/"))
        return VolumeKind::Fixed;
    return VolumeKind::Other;
}

int VolumeImageIndex(VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Removable: return kRemovableDriveImage;
    case VolumeKind::Fixed: return kFixedDiskImage;
    case VolumeKind::CdRom: return kCdRomImage;
    case VolumeKind::Network: return kNetworkDriveImage;
    case VolumeKind::RamDisk:
    case VolumeKind::Other: break;
    }
    return kOtherDriveImage;
}

bool IsListedVolume(std::string_view fileSystemType, std::string_view mountPoint)
{
    if (mountPoint == "/")
        return true;
    if (IsPseudoFileSystem(fileSystemType, mountPoint))
        return false;
    // Layers of the system itself: container overlays, snap images, and
    // files bind-mounted over system files.  An automount point shows as the
    // volume mounted on it, once that is there.
    if (IsOneOf(fileSystemType, {"overlay", "squashfs", "nsfs", "autofs"}))
        return false;
    return !StartsWith(mountPoint, "/proc/") && !StartsWith(mountPoint, "/sys/")
           && !StartsWith(mountPoint, "/dev/") && !StartsWith(mountPoint, "/etc/");
}

std::vector<Volume> MountedVolumes()
{
    std::vector<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid())
            continue;
        const std::string mountPoint = storage.rootPath().toStdString();
        const std::string type = storage.fileSystemType().toStdString();
        if (!IsListedVolume(type, mountPoint))
            continue;
        const std::string device = storage.device().toStdString();
        // The label of the entry in hand: asking by mount point again would
        // read the mount table once more per volume.
        const std::string label =
            storage.isReady() ? TrimSpaces(storage.name().toStdString()) : std::string();
        volumes.push_back({mountPoint, label,
                           ClassifyVolume(type, device, mountPoint, DeviceIsRemovable(device))});
    }
    return volumes;
}

std::string VolumeNodeText(std::string_view label, std::string_view mountPoint)
{
    return std::string(label) + "(" + std::string(mountPoint) + ")";
}

} // namespace quillet
