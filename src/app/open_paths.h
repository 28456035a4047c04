#pragma once
// Work handed to the window from outside: the paths of `quillet FOLDER` and
// `quillet PICTURE...` (how a file manager's "Open with Quillet" starts it)
// and the folders and pictures dropped on the window.  One folder is opened
// as the user opens it: selected in the tree, "包括子文件夹" ticked, "搜索"
// pressed.  Pictures fill the result list as a search would list them.

#include <string>
#include <vector>

namespace quillet {

class MainWindow;

enum class OpenKind { Nothing, Folder, Pictures, Refused };

struct PathsToOpen {
    OpenKind kind = OpenKind::Nothing;
    std::vector<std::string> paths; // absolute: the one folder, or the pictures
    std::string refusal; // the status text when refused (UTF-8)
};

// What a set of paths (bytes, as named) asks for: one folder, or pictures
// only (files the search lists, kPictureExtensions).  A path that does not
// exist or is neither, and several folders or folders with pictures, are
// refused with a text that names the reason.
PathsToOpen ClassifyPathsToOpen(const std::vector<std::string>& paths);

// Opens them in the window.  A refused set, or any set while a search runs,
// only sets the status text and changes nothing else.
void OpenPathsInWindow(MainWindow& window, const std::vector<std::string>& paths);

} // namespace quillet
