#pragma once
// The folder tree `树型框_文件夹`: the desktop, the documents folder and every
// mounted volume at the top; a node's sub-folders are read from disk each
// time the node is selected, so the tree only holds what the user opened.

#include <Qt>

#include <string>
#include <string_view>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace quillet {

struct CollectionState;

// What a top-level node stands for (its data value).
inline constexpr int volumeNodeData = 0;
inline constexpr int desktopNodeData = 3;
inline constexpr int documentsNodeData = 4;

// Item data roles of the tree's nodes.
inline constexpr int nodeDataRole = Qt::UserRole;
inline constexpr int nodeImageRole = Qt::UserRole + 1;
inline constexpr int volumeFolderRole = Qt::UserRole + 2; // a volume node's folder (bytes)
// A folder node's name as the bytes of its directory entry; the node's text
// is the name as shown, which for a GBK name is not the same.
inline constexpr int folderNameRole = Qt::UserRole + 3;

// The folder with exactly one "/" at its end.
std::string WithTrailingSlash(std::string_view folder);

// The sub-folders of a folder (anything that is or leads to a folder, hidden
// ones and links included), in name order (runtime/name_order); empty when
// the folder cannot be read.  Names are the bytes of the directory entries.
std::vector<std::string> ListSubfolders(const std::string& folder);

// Fills the tree when the window is created: sets the state's `DesktopPath`
// and `DocumentsPath`, makes sure the two designed nodes "桌面" and "我的文档"
// come first, then appends one node per mounted volume.
void BuildFolderTree(QTreeWidget* tree, CollectionState& state);

// The folder a node stands for, with a trailing "/": the real bytes of
// every name on the way, whatever the node texts show.
std::string NodeFolderPath(const QTreeWidgetItem* node, const CollectionState& state);

// The selection handler: stores the node's folder in the state's
// `SelectedFolderPath`, drops the node's old children and lists its
// sub-folders afresh.
void OpenFolderNode(QTreeWidgetItem* node, CollectionState& state);

// Selects a folder as the user would, node by node from the top node that
// holds it (the deepest of the desktop, the documents and the volumes), each
// node opened on the way; the folder's own node ends up current.  The
// folder is absolute, with or without a trailing "/".  When some folder on
// the way is not listed (it cannot be read), the deepest node reached stays
// current and `SelectedFolderPath` is the folder all the same; false then.
bool RevealFolder(QTreeWidget* tree, std::string_view folder, CollectionState& state);

// Runs OpenFolderNode whenever a node becomes the current one.  The state
// must outlive the tree.
void ConnectFolderTree(QTreeWidget* tree, CollectionState& state);

// The data value and image index a node was given.
int NodeData(const QTreeWidgetItem* node);
int NodeImageIndex(const QTreeWidgetItem* node);

} // namespace quillet
