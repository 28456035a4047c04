#include "collect/folder_tree.h"

#include "collect/collection_state.h"
#include "collect/tree_icons.h"
#include "collect/volumes.h"
#include "textfiles/convert.h"
#include "textfiles/file_names.h"
#include "textfiles/files.h"
#include "textfiles/name_order.h"

#include <QStandardPaths>
#include <QTreeWidget>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace quillet {
namespace {

QByteArray ToBytes(std::string_view bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromBytes(const QVariant& value)
{
    return value.toByteArray().toStdString();
}

void SetNode(QTreeWidgetItem* node, std::string_view text, int imageIndex, int data,
             const QIcon& icon)
{
    node->setText(0, ToQString(text));
    node->setIcon(0, icon);
    node->setData(0, nodeImageRole, imageIndex);
    node->setData(0, nodeDataRole, data);
}

QTreeWidgetItem* AppendFolderNode(QTreeWidgetItem* parent, std::string_view name, const QIcon& icon)
{
    auto* node = new QTreeWidgetItem(parent); // the parent node owns it
    SetNode(node, DisplayName(name), kFolderImage, volumeNodeData, icon);
    node->setData(0, folderNameRole, ToBytes(name));
    return node;
}

// The bytes of a folder node's name; a node made elsewhere without them
// stands for the folder its text names.
std::string FolderName(const QTreeWidgetItem* node)
{
    const QVariant name = node->data(0, folderNameRole);
    return name.isValid() ? FromBytes(name) : node->text(0).toStdString();
}

// The two designed top nodes; the form may already carry them.
QTreeWidgetItem* DesignedTopNode(QTreeWidget* tree, int index, const QString& text)
{
    QTreeWidgetItem* node = tree->topLevelItem(index);
    if (node && node->text(0) == text)
        return node;
    node = new QTreeWidgetItem;
    tree->insertTopLevelItem(index, node);
    return node;
}

std::string TopFolder(const QTreeWidgetItem* top, const CollectionState& state)
{
    switch (NodeData(top)) {
    case desktopNodeData: return state.DesktopPath;
    case documentsNodeData: return state.DocumentsPath;
    default: break;
    }
    return WithTrailingSlash(FromBytes(top->data(0, volumeFolderRole)));
}

std::string StandardFolder(QStandardPaths::StandardLocation location)
{
    return WithTrailingSlash(QStandardPaths::writableLocation(location).toStdString());
}

} // namespace

std::string WithTrailingSlash(std::string_view folder)
{
    std::string result(folder);
    while (!result.empty() && result.back() == '/')
        result.pop_back();
    result.push_back('/');
    return result;
}

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    std::vector<std::string> names;
    DirectoryHandle directory = OpenDirectory(folder);
    if (!directory)
        return names;
    const std::string prefix = WithTrailingSlash(folder);
    while (const dirent* entry = readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat target {};
            isFolder =
                stat((prefix + entry->d_name).c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        }
        if (isFolder)
            names.emplace_back(name);
    }
    SortNames(names);
    return names;
}

int NodeData(const QTreeWidgetItem* node)
{
    return node->data(0, nodeDataRole).toInt();
}

int NodeImageIndex(const QTreeWidgetItem* node)
{
    return node->data(0, nodeImageRole).toInt();
}

void BuildFolderTree(QTreeWidget* tree, CollectionState& state)
{
    state.DesktopPath = StandardFolder(QStandardPaths::DesktopLocation);
    state.DocumentsPath = StandardFolder(QStandardPaths::DocumentsLocation);

    SetNode(DesignedTopNode(tree, 0, QStringLiteral("桌面")), "桌面", kDesktopImage,
            desktopNodeData, TreeIcon(kDesktopImage));
    SetNode(DesignedTopNode(tree, 1, QStringLiteral("我的文档")), "我的文档", kDocumentsImage,
            documentsNodeData, TreeIcon(kDocumentsImage));

    for (const Volume& volume : MountedVolumes()) {
        const int image = VolumeImageIndex(volume.kind);
        auto* node = new QTreeWidgetItem(tree); // the tree owns it
        SetNode(node, VolumeNodeText(DisplayName(volume.label), DisplayPath(volume.mountPoint)),
                image, volumeNodeData, TreeIcon(image));
        node->setData(0, volumeFolderRole, ToBytes(volume.mountPoint));
    }
}

std::string NodeFolderPath(const QTreeWidgetItem* node, const CollectionState& state)
{
    // Walk up to the top node, putting each name in front.
    std::string below;
    const QTreeWidgetItem* top = node;
    while (top->parent()) {
        below = FolderName(top) + "/" + below;
        top = top->parent();
    }
    return TopFolder(top, state) + below;
}

void OpenFolderNode(QTreeWidgetItem* node, CollectionState& state)
{
    if (!node)
        return;
    const std::string folder = NodeFolderPath(node, state);
    state.SelectedFolderPath = folder;

    // Selecting a node again reads its sub-folders afresh.
    const QList<QTreeWidgetItem*> oldChildren = node->takeChildren();
    for (QTreeWidgetItem* child : oldChildren)
        std::unique_ptr<QTreeWidgetItem> dropped(child);

    const QIcon folderIcon = TreeIcon(kFolderImage);
    for (const std::string& name : ListSubfolders(folder))
        AppendFolderNode(node, name, folderIcon);
    node->setExpanded(true);
}

bool RevealFolder(QTreeWidget* tree, std::string_view folder, CollectionState& state)
{
    const std::string wanted = WithTrailingSlash(folder);
    QTreeWidgetItem* node = nullptr;
    std::size_t reached = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = tree->topLevelItem(i);
        const std::string topFolder = NodeFolderPath(top, state);
        if (topFolder.size() > reached && wanted.starts_with(topFolder)) {
            node = top;
            reached = topFolder.size();
        }
    }
    if (!node) {
        state.SelectedFolderPath = wanted;
        return false;
    }
    auto select = [tree, &state](QTreeWidgetItem* item) {
        // Selecting the current node again would not list it afresh.
        if (tree->currentItem() == item)
            OpenFolderNode(item, state);
        else
            tree->setCurrentItem(item);
    };
    select(node);
    while (reached < wanted.size()) {
        const std::size_t slash = wanted.find('/', reached);
        const std::string name = wanted.substr(reached, slash - reached);
        QTreeWidgetItem* child = nullptr;
        for (int i = 0; i < node->childCount() && !child; ++i)
            if (FolderName(node->child(i)) == name)
                child = node->child(i);
        if (!child) {
            state.SelectedFolderPath = wanted;
            return false;
        }
        node = child;
        select(node);
        reached = slash + 1;
    }
    tree->scrollToItem(node);
    return true;
}

void ConnectFolderTree(QTreeWidget* tree, CollectionState& state)
{
    QObject::connect(
        tree, &QTreeWidget::currentItemChanged, tree,
        [&state](QTreeWidgetItem* current, QTreeWidgetItem*) { OpenFolderNode(current, state); });
}

} // namespace quillet
