#pragma once
// The eight small pictures of the folder tree: the desktop icon theme's
// (user-desktop, folder, drive-harddisk, ...) where it has one, else drawn
// by the program itself.

#include <QIcon>

namespace quillet {

// Indexes in the tree's image order.
enum TreeImage : int {
    kDesktopImage = 0,
    kDocumentsImage = 1,
    kRemovableDriveImage = 2,
    kFixedDiskImage = 3,
    kCdRomImage = 4,
    kFolderImage = 5,
    kNetworkDriveImage = 6,
    kOtherDriveImage = 7,
};
inline constexpr int treeImageCount = 8;

// The picture for an index of that order; an empty icon outside it.  The
// theme is asked each time, so a tree built after a change of theme shows it.
QIcon TreeIcon(int imageIndex);

} // namespace quillet
