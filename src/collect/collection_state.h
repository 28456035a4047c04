#pragma once
// What the folder tree and the folder search share with the rest of the
// program: the folder chosen in the tree, whether a search is running, and
// the two standard folders at the top of the tree.  The program keeps one
// as part of its program-wide state and hands it to them.

#include <string>

namespace quillet {

struct CollectionState {
    std::string SelectedFolderPath;
    bool SearchFinished = false; // false only while a search runs (and before start-up)
    std::string DesktopPath;
    std::string DocumentsPath;
};

} // namespace quillet
