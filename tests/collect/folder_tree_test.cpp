#include "collect/collection_state.h"
#include "collect/folder_tree.h"
#include "collect/tree_icons.h"
#include "collect/volumes.h"
#include "support/raw_files.h"
#include "support/scoped_locale.h"
#include "temp_tree.h"

#include <QImage>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace quillet {
namespace {

using testing::TempTree;

std::vector<std::string> ChildTexts(const QTreeWidgetItem* node)
{
    std::vector<std::string> texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts.push_back(node->child(i)->text(0).toStdString());
    std::sort(texts.begin(), texts.end());
    return texts;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* node, const char* name)
{
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == QString::fromUtf8(name))
            return node->child(i);
    return nullptr;
}

class FolderTreeTest : public ::testing::Test {
protected:
    FolderTreeTest()
    {
        BuildFolderTree(&tree, state);
        ConnectFolderTree(&tree, state);
    }

    // A volume node over a folder made by the test, as if it were mounted.
    QTreeWidgetItem* VolumeNodeOver(const std::string& folder)
    {
        auto* node = new QTreeWidgetItem(&tree);
        node->setText(0, QString::fromStdString(VolumeNodeText("CARD", folder)));
        node->setData(0, nodeDataRole, volumeNodeData);
        node->setData(0, volumeFolderRole, QByteArray::fromStdString(folder));
        return node;
    }

    CollectionState state;
    QTreeWidget tree;
    TempTree disk;
};

TEST_F(FolderTreeTest, DesktopAndDocumentsComeFirst)
{
    ASSERT_GE(tree.topLevelItemCount(), 3);
    const QTreeWidgetItem* desktop = tree.topLevelItem(0);
    const QTreeWidgetItem* documents = tree.topLevelItem(1);
    EXPECT_EQ(desktop->text(0), QStringLiteral("桌面"));
    EXPECT_EQ(NodeData(desktop), desktopNodeData);
    EXPECT_EQ(NodeImageIndex(desktop), kDesktopImage);
    EXPECT_EQ(documents->text(0), QStringLiteral("我的文档"));
    EXPECT_EQ(NodeData(documents), documentsNodeData);
    EXPECT_EQ(NodeImageIndex(documents), kDocumentsImage);
    EXPECT_EQ(state.DesktopPath.back(), '/');
    EXPECT_EQ(state.DocumentsPath.back(), '/');
    EXPECT_EQ(state.DesktopPath.find("//"), std::string::npos);
}

TEST_F(FolderTreeTest, RootVolumeIsListedAndOpensAtTheRoot)
{
    QTreeWidgetItem* root = nullptr;
    for (int i = 2; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = tree.topLevelItem(i);
        EXPECT_EQ(NodeData(node), volumeNodeData);
        const int image = NodeImageIndex(node);
        EXPECT_TRUE(image == kRemovableDriveImage || image == kFixedDiskImage
                    || image == kCdRomImage || image == kNetworkDriveImage
                    || image == kOtherDriveImage)
            << image;
        EXPECT_FALSE(node->text(0).startsWith(QStringLiteral("(/proc")));
        EXPECT_FALSE(node->text(0).startsWith(QStringLiteral("(/sys")));
        if (node->text(0).endsWith(QStringLiteral("(/)")))
            root = node;
    }
    ASSERT_NE(root, nullptr);
    tree.setCurrentItem(root);
    EXPECT_EQ(state.SelectedFolderPath, "/");
    const auto children = ChildTexts(root);
    EXPECT_TRUE(std::count(children.begin(), children.end(), "tmp") == 1);
    EXPECT_TRUE(root->isExpanded());
}

TEST_F(FolderTreeTest, SelectingTheDesktopListsItsFolders)
{
    disk.Folder("Desktop/Album");
    disk.Folder("Desktop/.hidden");
    disk.Folder("elsewhere");
    disk.File("Desktop/photo.jpg");
    disk.Link("Desktop/link", disk.Path("elsewhere"));
    state.DesktopPath = disk.Path("Desktop/");

    QTreeWidgetItem* desktop = tree.topLevelItem(0);
    tree.setCurrentItem(desktop);
    EXPECT_EQ(state.SelectedFolderPath, disk.Path("Desktop/"));
    EXPECT_EQ(ChildTexts(desktop), (std::vector<std::string>{".hidden", "Album", "link"}));
    for (int i = 0; i < desktop->childCount(); ++i)
        EXPECT_EQ(NodeImageIndex(desktop->child(i)), kFolderImage);

    // A folder directly under the desktop.
    disk.Folder("Desktop/Album/2024");
    tree.setCurrentItem(ChildNamed(desktop, "Album"));
    EXPECT_EQ(state.SelectedFolderPath, disk.Path("Desktop/Album/"));
    EXPECT_EQ(ChildTexts(ChildNamed(desktop, "Album")), std::vector<std::string>{"2024"});
}

TEST_F(FolderTreeTest, NodeTwoLevelsBelowAVolumeJoinsBothNames)
{
    disk.Folder("Photos/Trip/day1");
    QTreeWidgetItem* volume = VolumeNodeOver(disk.Root());
    tree.setCurrentItem(volume);
    EXPECT_EQ(state.SelectedFolderPath, disk.Root() + "/");
    QTreeWidgetItem* photos = ChildNamed(volume, "Photos");
    ASSERT_NE(photos, nullptr);
    tree.setCurrentItem(photos);
    QTreeWidgetItem* trip = ChildNamed(photos, "Trip");
    ASSERT_NE(trip, nullptr);
    tree.setCurrentItem(trip);
    EXPECT_EQ(state.SelectedFolderPath, disk.Path("Photos/Trip/"));
    EXPECT_EQ(NodeFolderPath(trip, state), disk.Path("Photos/Trip/"));
    EXPECT_EQ(ChildTexts(trip), std::vector<std::string>{"day1"});
}

TEST_F(FolderTreeTest, ChildrenComeInNameOrderAndGbkNamesReadAsChinese)
{
    const testing::ScopedDefaultLocale c(QLocale::c());
    for (const char* folder : {"Trip10", "trip2", "照片", "Trip1"})
        disk.Folder(folder);
    ASSERT_TRUE(testing::MakeRawFolder(disk.Path(testing::kGbkSeaside)));
    ASSERT_TRUE(
        testing::MakeRawFolder(disk.Path(testing::kGbkSeaside + "/" + testing::kGbkPhotos)));
    QTreeWidgetItem* volume = VolumeNodeOver(disk.Root());
    tree.setCurrentItem(volume);
    std::vector<std::string> shown;
    for (int i = 0; i < volume->childCount(); ++i)
        shown.push_back(volume->child(i)->text(0).toStdString());
    EXPECT_EQ(shown, (std::vector<std::string>{"Trip1", "trip2", "Trip10", "海边", "照片"}));

    // The path rebuilt from the nodes reaches the GBK folders by their bytes.
    QTreeWidgetItem* seaside = ChildNamed(volume, "海边");
    ASSERT_NE(seaside, nullptr);
    tree.setCurrentItem(seaside);
    QTreeWidgetItem* photos = ChildNamed(seaside, "照片");
    ASSERT_NE(photos, nullptr);
    tree.setCurrentItem(photos);
    EXPECT_EQ(state.SelectedFolderPath,
              disk.Path(testing::kGbkSeaside + "/" + testing::kGbkPhotos + "/"));
}

TEST_F(FolderTreeTest, ChildrenComeInPinyinOrderUnderAChineseLocale)
{
    for (const char* folder : {"海边", "家人", "毕业", "春游"})
        disk.Folder(folder);
    const testing::ScopedDefaultLocale zh(QLocale(QLocale::Chinese, QLocale::China));
    QTreeWidgetItem* volume = VolumeNodeOver(disk.Root());
    tree.setCurrentItem(volume);
    std::vector<std::string> shown;
    for (int i = 0; i < volume->childCount(); ++i)
        shown.push_back(volume->child(i)->text(0).toStdString());
    EXPECT_EQ(shown, (std::vector<std::string>{"毕业", "春游", "海边", "家人"}));
}

TEST_F(FolderTreeTest, ReselectingRereadsWithoutDuplicates)
{
    disk.Folder("a");
    disk.Folder("b");
    QTreeWidgetItem* volume = VolumeNodeOver(disk.Root());
    OpenFolderNode(volume, state);
    OpenFolderNode(ChildNamed(volume, "a"), state);
    disk.Folder("a/inside");
    OpenFolderNode(ChildNamed(volume, "a"), state);
    EXPECT_EQ(ChildTexts(ChildNamed(volume, "a")), std::vector<std::string>{"inside"});

    disk.Folder("c");
    OpenFolderNode(volume, state);
    EXPECT_EQ(ChildTexts(volume), (std::vector<std::string>{"a", "b", "c"}));
    // Re-reading a volume drops what was opened below it.
    EXPECT_EQ(ChildNamed(volume, "a")->childCount(), 0);
}

TEST_F(FolderTreeTest, RefreshingOneNodeLeavesOthersAlone)
{
    disk.Folder("one/x");
    disk.Folder("two/y");
    QTreeWidgetItem* first = VolumeNodeOver(disk.Path("one"));
    QTreeWidgetItem* second = VolumeNodeOver(disk.Path("two"));
    OpenFolderNode(first, state);
    OpenFolderNode(second, state);
    OpenFolderNode(first, state);
    EXPECT_EQ(ChildTexts(first), std::vector<std::string>{"x"});
    EXPECT_EQ(ChildTexts(second), std::vector<std::string>{"y"});
}

TEST_F(FolderTreeTest, UnreadableFolderGivesNoChildrenButIsChosen)
{
    QTreeWidgetItem* gone = VolumeNodeOver(disk.Path("removed"));
    tree.setCurrentItem(gone);
    EXPECT_EQ(state.SelectedFolderPath, disk.Path("removed/"));
    EXPECT_EQ(gone->childCount(), 0);
}

TEST_F(FolderTreeTest, DesignedNodesFromTheFormAreKept)
{
    QTreeWidget designed;
    designed.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("桌面")}));
    designed.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("我的文档")}));
    BuildFolderTree(&designed, state);
    EXPECT_EQ(designed.topLevelItem(0)->text(0), QStringLiteral("桌面"));
    EXPECT_EQ(NodeData(designed.topLevelItem(0)), desktopNodeData);
    EXPECT_EQ(designed.topLevelItem(1)->text(0), QStringLiteral("我的文档"));
    EXPECT_EQ(NodeData(designed.topLevelItem(1)), documentsNodeData);
    EXPECT_EQ(designed.topLevelItemCount(), tree.topLevelItemCount());
}

TEST(WithTrailingSlash, EndsWithExactlyOne)
{
    EXPECT_EQ(WithTrailingSlash("/home/anna"), "/home/anna/");
    EXPECT_EQ(WithTrailingSlash("/home/anna//"), "/home/anna/");
    EXPECT_EQ(WithTrailingSlash("/"), "/");
    EXPECT_EQ(WithTrailingSlash(""), "/");
}

// --- volumes ---------------------------------------------------------------

struct VolumeCase {
    const char* name;
    const char* type;
    const char* device;
    const char* mountPoint;
    bool removable;
    VolumeKind kind;
    int image;
};

class VolumeKindTest : public ::testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeKindTest, ClassifiesAndPicksTheImage)
{
    const VolumeCase& c = GetParam();
    const VolumeKind kind = ClassifyVolume(c.type, c.device, c.mountPoint, c.removable);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(VolumeImageIndex(kind), c.image);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeKindTest,
    ::testing::Values(
        VolumeCase{"RootDisk", "ext4", "/dev/vda", "/", false, VolumeKind::Fixed, 3},
        VolumeCase{"UsbStickFlag", "vfat", "/dev/sdb1", "/mnt/usb", true, VolumeKind::Removable, 2},
        VolumeCase{"MediaFolder", "exfat", "/dev/sdc1", "/media/anna/CARD", false,
                   VolumeKind::Removable, 2},
        VolumeCase{"RunMedia", "vfat", "/dev/sdc1", "/run/media/anna/CARD", false,
                   VolumeKind::Removable, 2},
        VolumeCase{"Dvd", "iso9660", "/dev/sr0", "/media/anna/DVD", true, VolumeKind::CdRom, 4},
        VolumeCase{"BluRay", "udf", "/dev/sr0", "/mnt/disc", true, VolumeKind::CdRom, 4},
        VolumeCase{"Nfs", "nfs4", "server:/export", "/mnt/nfs", false, VolumeKind::Network, 6},
        VolumeCase{"Samba", "cifs", "//server/share", "/mnt/share", false, VolumeKind::Network, 6},
        VolumeCase{"Sshfs", "fuse.sshfs", "anna@host:", "/home/anna/remote", false,
                   VolumeKind::Network, 6},
        VolumeCase{"RamDisk", "tmpfs", "tmpfs", "/tmp", false, VolumeKind::RamDisk, 7},
        VolumeCase{"Other", "fuse.foo", "foo", "/mnt/foo", false, VolumeKind::Other, 7}),
    [](const auto& info) { return std::string(info.param.name); });

struct ListedCase {
    const char* name;
    const char* type;
    const char* mountPoint;
    bool listed;
};

class ListedVolumeTest : public ::testing::TestWithParam<ListedCase> {};

TEST_P(ListedVolumeTest, LeavesOutSystemMounts)
{
    EXPECT_EQ(IsListedVolume(GetParam().type, GetParam().mountPoint), GetParam().listed);
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, ListedVolumeTest,
    ::testing::Values(ListedCase{"OverlayRoot", "overlay", "/", true},
                      ListedCase{"Ext4Root", "ext4", "/", true},
                      ListedCase{"Proc", "proc", "/proc", false},
                      ListedCase{"ControlGroups", "cgroup", "/sys/fs/cgroup/cpu", false},
                      ListedCase{"RunTmpfs", "tmpfs", "/run/lock", false},
                      ListedCase{"OverlayLayer", "overlay", "/var/lib/docker/overlay2/x/merged",
                                 false},
                      ListedCase{"SnapImage", "squashfs", "/snap/core/1", false},
                      ListedCase{"BoundResolvConf", "ext4", "/etc/resolv.conf", false},
                      ListedCase{"UsbStick", "vfat", "/media/anna/CARD", true},
                      ListedCase{"TmpRamDisk", "tmpfs", "/tmp", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VolumeNodeText, LabelThenMountPoint)
{
    EXPECT_EQ(VolumeNodeText("", "/mnt/d"), "(/mnt/d)");
    EXPECT_EQ(VolumeNodeText("CARD", "/media/anna/CARD"), "CARD(/media/anna/CARD)");
}

// A theme that has a folder icon and nothing else: the folder takes the
// theme's, every other node keeps its drawing.
TEST(TreeIcons, ThemeIconsWhereTheThemeHasThem)
{
    TempTree themes;
    themes.File("test-theme/index.theme", "[Icon Theme]\nName=Test\nDirectories=16x16\n\n"
                                          "[16x16]\nSize=16\nType=Fixed\n");
    themes.Folder("test-theme/16x16");
    QImage folder(16, 16, QImage::Format_ARGB32);
    folder.fill(QColor(0, 200, 0));
    ASSERT_TRUE(folder.save(QString::fromStdString(themes.Path("test-theme/16x16/folder.png"))));
    const QImage drawnDesktop = TreeIcon(kDesktopImage).pixmap(16, 16).toImage();

    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(themes.Root())});
    QIcon::setThemeName(QStringLiteral("test-theme"));
    const QImage themedFolder = TreeIcon(kFolderImage).pixmap(16, 16).toImage();
    const QImage themedDesktop = TreeIcon(kDesktopImage).pixmap(16, 16).toImage();
    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);

    EXPECT_EQ(themedFolder.pixelColor(8, 8), QColor(0, 200, 0));
    EXPECT_EQ(themedDesktop.convertToFormat(QImage::Format_ARGB32),
              drawnDesktop.convertToFormat(QImage::Format_ARGB32));
}

TEST(TreeIcons, EightDistinctPictures)
{
    std::set<QByteArray> seen;
    for (int index = 0; index < treeImageCount; ++index) {
        const QIcon icon = TreeIcon(index);
        ASSERT_FALSE(icon.isNull()) << index;
        const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        seen.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), std::size_t(treeImageCount));
    EXPECT_TRUE(TreeIcon(treeImageCount).isNull());
    EXPECT_TRUE(TreeIcon(-1).isNull());
}

} // namespace
} // namespace quillet
