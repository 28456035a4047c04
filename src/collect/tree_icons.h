#pragma once
// The eight small pictures of the folder tree, drawn by the program itself.

#include <QIcon>

namespace quillet {

// Indexes in the tree's image order.
enum TreeImage : int {
    desktopImage = 0,
    documentsImage = 1,
    removableDriveImage = 2,
    fixedDiskImage = 3,
    cdRomImage = 4,
    folderImage = 5,
    networkDriveImage = 6,
    otherDriveImage = 7,
};
inline constexpr int treeImageCount = 8;

// The picture for an index of that order; an empty icon outside it.
QIcon TreeIcon(int imageIndex);

} // namespace quillet
