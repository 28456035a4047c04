#include "collect/folder_walk.h"
#include "collect/mount_table.h"
#include "temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillet {
namespace {

using testing::TempTree;

// --- mount-table lines ----------------------------------------------------

struct LineCase {
    const char* name;
    const char* line;
    bool parsed;
    const char* type;
    const char* mountPoint;
};

class MountLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(MountLineTest, GivesTypeAndMountPoint)
{
    const std::vector<MountEntry> entries = ParseMountTable(GetParam().line);
    ASSERT_EQ(entries.size(), GetParam().parsed ? 1u : 0u);
    if (entries.empty())
        return;
    EXPECT_EQ(entries[0].fileSystemType, GetParam().type);
    EXPECT_EQ(entries[0].mountPoint, GetParam().mountPoint);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MountLineTest,
    ::testing::Values(
        LineCase{"Proc", "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0", true, "proc",
                 "/proc"},
        LineCase{"UsbStick", "/dev/sdb1 /run/media/anna/CARD vfat rw,nosuid,nodev,uid=1000 0 0",
                 true, "vfat", "/run/media/anna/CARD"},
        LineCase{"SpaceInLabel", "/dev/sdc1 /run/media/anna/MY\\040CARD exfat rw 0 0", true,
                 "exfat", "/run/media/anna/MY CARD"},
        LineCase{"BackslashInName", "/dev/sdc1 /mnt/a\\134b ext4 rw 0 0", true, "ext4",
                 "/mnt/a\\b"},
        LineCase{"ChineseLabel", "/dev/sdd1 /media/anna/照片 vfat rw 0 0", true, "vfat",
                 "/media/anna/照片"},
        LineCase{"Tabs", "tmpfs\t/run/user/1000\ttmpfs\trw 0 0", true, "tmpfs", "/run/user/1000"},
        LineCase{"TooShort", "none /somewhere", false, "", ""},
        LineCase{"Empty", "", false, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MountTable, ReadsEveryLineInOrderPastOverlongOptions)
{
    // A container overlay lists its layers in the options: longer than any
    // line buffer, which must not cost the entries after it.
    const std::string table = "overlay / overlay rw,lowerdir=" + std::string(40000, 'l')
                              + " 0 0\n"
                                "proc /proc proc rw 0 0\n"
                                "/dev/sdb1 /media/anna/CARD vfat rw 0 0";
    const std::vector<MountEntry> mounts = ParseMountTable(table);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].mountPoint, "/");
    EXPECT_EQ(mounts[1].fileSystemType, "proc");
    EXPECT_EQ(mounts[2].mountPoint, "/media/anna/CARD");
}

// --- the skip rule --------------------------------------------------------

// A desktop's mount table: a USB stick under /run/media and the user's
// run-time folder under /run, a network share and a triggered automount.
constexpr const char* desktopMounts =
    "/dev/nvme0n1p2 / ext4 rw,relatime 0 0\n"
    "proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0\n"
    "sysfs /sys sysfs rw,nosuid,nodev,noexec,relatime 0 0\n"
    "devtmpfs /dev devtmpfs rw,nosuid,size=4096k 0 0\n"
    "tmpfs /dev/shm tmpfs rw,nosuid,nodev 0 0\n"
    "tmpfs /run tmpfs rw,nosuid,nodev,size=1620644k,mode=755 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw,nosuid,nodev,relatime,uid=1000,gid=1000 0 0\n"
    "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw,nosuid,nodev,user_id=1000 0 0\n"
    "/dev/sdb1 /run/media/anna/CARD vfat rw,nosuid,nodev,relatime,uid=1000 0 0\n"
    "systemd-1 /srv/photos autofs rw,relatime,fd=52,pgrp=1,timeout=0 0 0\n"
    "/dev/sdc1 /srv/photos ext4 rw,relatime 0 0\n"
    "systemd-1 /mnt/archive autofs rw,relatime,fd=53 0 0\n"
    "//nas/share /mnt/nas cifs rw,relatime,vers=3.0 0 0\n"
    "tmpfs /tmp tmpfs rw,nosuid,nodev 0 0\n";

struct AccessCase {
    const char* name;
    const char* folder;
    FolderAccess parent;
    FolderAccess expected;
};

class WalkBoundariesTest : public ::testing::TestWithParam<AccessCase> {};

TEST_P(WalkBoundariesTest, TreatsTheFolderAsExpected)
{
    const WalkBoundaries boundaries(ParseMountTable(desktopMounts));
    EXPECT_EQ(boundaries.SubfolderAccess(GetParam().folder, GetParam().parent),
              GetParam().expected);
}

constexpr FolderAccess walk = FolderAccess::Walk;
constexpr FolderAccess pass = FolderAccess::PassThrough;
constexpr FolderAccess skip = FolderAccess::Skip;

INSTANTIATE_TEST_SUITE_P(
    DesktopMounts, WalkBoundariesTest,
    ::testing::Values(AccessCase{"Proc", "/proc", walk, skip},
                      AccessCase{"Sysfs", "/sys", walk, skip},
                      AccessCase{"Devices", "/dev", walk, skip},
                      AccessCase{"RunLeadsToTheStick", "/run", walk, pass},
                      AccessCase{"RunMedia", "/run/media", pass, pass},
                      AccessCase{"RunMediaUser", "/run/media/anna", pass, pass},
                      AccessCase{"UsbStickWalked", "/run/media/anna/CARD", pass, walk},
                      AccessCase{"InsideTheStick", "/run/media/anna/CARD/DCIM", walk, walk},
                      AccessCase{"RunUserTmpfs", "/run/user", pass, skip},
                      AccessCase{"UserRuntimeFolder", "/run/user/1000", pass, skip},
                      AccessCase{"RunLock", "/run/lock", pass, skip},
                      AccessCase{"TriggeredAutomount", "/srv/photos", walk, walk},
                      AccessCase{"AutomountNotYetMounted", "/mnt/archive", walk, walk},
                      AccessCase{"NetworkShare", "/mnt/nas", walk, walk},
                      AccessCase{"TmpTmpfs", "/tmp", walk, walk},
                      AccessCase{"OrdinaryFolder", "/home/anna", walk, walk}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WalkBoundaries, WithoutAVolumeBelowRunIsSkippedWhole)
{
    const WalkBoundaries boundaries(ParseMountTable("/dev/sda1 / ext4 rw 0 0\n"
                                                    "tmpfs /run tmpfs rw 0 0\n"));
    EXPECT_EQ(boundaries.SubfolderAccess("/run", FolderAccess::Walk), FolderAccess::Skip);
}

TEST(WalkBoundaries, ThisMachineKeepsOutOfTheKernelViews)
{
    const WalkBoundaries boundaries = WalkBoundaries::OfThisMachine();
    EXPECT_EQ(boundaries.SubfolderAccess("/proc", FolderAccess::Walk), FolderAccess::Skip);
    EXPECT_EQ(boundaries.SubfolderAccess("/sys", FolderAccess::Walk), FolderAccess::Skip);
}

// The rule on a real walk: a pseudo file system with a volume mounted below
// it is passed through to the volume, nothing else in it is listed.
TEST(WalkBoundaries, WalkReachesAVolumeBelowAPseudoFileSystemAndNothingElseThere)
{
    TempTree tree;
    for (const char* file : {"home/a.jpg", "state/own.jpg", "state/junk/j.jpg", "state/media/m.jpg",
                             "state/media/card/DCIM/c.jpg", "kernel/k.jpg"})
        tree.File(file);
    const std::vector<MountEntry> mounts = {{"proc", tree.Path("kernel")},
                                            {"sysfs", tree.Path("state")},
                                            {"vfat", tree.Path("state/media/card")}};
    std::vector<std::string> found;
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&found](const FoundPicture& picture) { found.push_back(picture.path); };
    const SearchStart start = SplitSearchStart(tree.Root());
    SearchFolderWithin(start.parentPath, start.folderName, true, callbacks, WalkBoundaries(mounts));
    EXPECT_EQ(found, (std::vector<std::string>{tree.Path("home/a.jpg"),
                                               tree.Path("state/media/card/DCIM/c.jpg")}));

    // The folder the user chose is walked even when it is such a mount.
    found.clear();
    const SearchStart kernel = SplitSearchStart(tree.Path("kernel"));
    SearchFolderWithin(kernel.parentPath, kernel.folderName, true, callbacks,
                       WalkBoundaries(mounts));
    EXPECT_EQ(found, std::vector<std::string>{tree.Path("kernel/k.jpg")});
}

// --- pseudo file systems --------------------------------------------------

struct TypeCase {
    const char* name;
    const char* type;
    const char* mountPoint;
    bool pseudo;
};

class PseudoFileSystemTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PseudoFileSystemTest, Classifies)
{
    EXPECT_EQ(IsPseudoFileSystem(GetParam().type, GetParam().mountPoint), GetParam().pseudo);
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, PseudoFileSystemTest,
    ::testing::Values(TypeCase{"Proc", "proc", "/proc", true},
                      TypeCase{"Sysfs", "sysfs", "/sys", true},
                      TypeCase{"Devices", "devtmpfs", "/dev", true},
                      TypeCase{"Terminals", "devpts", "/dev/pts", true},
                      TypeCase{"ControlGroups", "cgroup2", "/sys/fs/cgroup", true},
                      TypeCase{"RunTmpfs", "tmpfs", "/run", true},
                      TypeCase{"UserRunTmpfs", "tmpfs", "/run/user/1000", true},
                      TypeCase{"SharedMemory", "tmpfs", "/dev/shm", true},
                      TypeCase{"ContainerLayerUnderRun", "overlay", "/run/containerd/x/rootfs",
                               true},
                      TypeCase{"Automount", "autofs", "/mnt/archive", false},
                      TypeCase{"TmpTmpfs", "tmpfs", "/tmp", false},
                      TypeCase{"RunnerLookalike", "tmpfs", "/runner", false},
                      TypeCase{"Ext4Root", "ext4", "/", false},
                      TypeCase{"UsbStickUnderRun", "vfat", "/run/media/anna/CARD", false},
                      TypeCase{"NetworkShare", "cifs", "/mnt/share", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
