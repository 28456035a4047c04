#pragma once
// The mounted volumes that the folder tree shows as drives: the root, media
// that come and go, fixed disks, network shares and RAM disks; never the
// kernel's own views.

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class VolumeKind { Removable, Fixed, CdRom, Network, RamDisk, Other };

struct Volume {
    std::string mountPoint; // "/", "/media/anna/CARD"
    std::string label; // may be empty
    VolumeKind kind = VolumeKind::Other;
};

// The kind by file system type, device and place; removableDevice tells
// whether the block device says it can be taken out.
VolumeKind ClassifyVolume(std::string_view fileSystemType, std::string_view device,
                          std::string_view mountPoint, bool removableDevice);

// The tree image of a volume of that kind.
int VolumeImageIndex(VolumeKind kind);

// Whether a mount belongs in the tree at all.  The root always does, even
// when it is an overlay (as in a container).
bool IsListedVolume(std::string_view fileSystemType, std::string_view mountPoint);

// The volumes mounted now, in the order the mount table lists them.
std::vector<Volume> MountedVolumes();

// The text of a volume's node, e.g. "CARD(/media/anna/CARD)".
std::string VolumeNodeText(std::string_view label, std::string_view mountPoint);

} // namespace quillet
