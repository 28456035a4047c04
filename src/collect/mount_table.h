#pragma once
// Where a walk through the folders may go.  Kernel views (/proc, /sys),
// device nodes and the run-time state under /run hold no user files: some
// never end, some block on reading.  Volumes hold the user's files wherever
// they are mounted, also below such places (a USB stick at
// /run/media/anna/CARD), so the walk passes through the folders that lead
// to a volume without listing or entering anything else there.

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quillet {

// True when a file system of this type mounted here holds no user files.
// tmpfs counts only under /run, /dev and /sys (a tmpfs /tmp may well hold
// pictures); container layers count under /run.  An automount point is no
// pseudo file system: entering it mounts the volume it stands for.
bool IsPseudoFileSystem(std::string_view type, std::string_view mountPoint);

struct MountEntry {
    std::string fileSystemType;
    std::string mountPoint; // as the kernel spells it, escapes undone
};

// Every entry of a mount table in the format of /proc/self/mounts ("device
// point type options 0 0" a line), in its order, with the kernel's octal
// escapes (\040 for a space) undone; a line with fewer than three fields
// gives none.  Read by glibc's getmntent_r.
std::vector<MountEntry> ParseMountTable(std::string_view table);

// How a walk treats one folder.
enum class FolderAccess {
    Walk, // listed and walked like any folder
    PassThrough, // not user data, but a volume is mounted somewhere below:
                 // only the sub-folders on the way to it are entered
    Skip, // never entered
};

class WalkBoundaries {
public:
    // No boundaries: every folder is walked.
    WalkBoundaries() = default;
    // From a mount table; where several mounts share a point, the last one
    // (the one on top) counts.
    explicit WalkBoundaries(const std::vector<MountEntry>& mounts);
    // From this machine's mount table now.
    static WalkBoundaries OfThisMachine();

    // How to treat a sub-folder (no trailing "/") of a folder treated as
    // parentAccess.  Only folders below a pseudo file system are ever held
    // back, so an ordinary folder costs one or two lookups.
    FolderAccess SubfolderAccess(const std::string& folder, FolderAccess parentAccess) const;

private:
    bool LeadsToVolume(const std::string& folder) const;

    std::unordered_map<std::string, bool> mountIsPseudo_;
    // Every folder above a volume's mount point that lies in a pseudo file
    // system, the pseudo mount point included.
    std::unordered_set<std::string> waysToVolumes_;
};

} // namespace quillet
