#pragma once
// Puts the picture collection on a new main window: the folder tree is
// built and follows the selection, the folder page's "搜索" and "停止" run
// the search into the result list, and a double-click on a row shows the
// picture.  Installed as the main window's folder-tree builder at start-up.

namespace quillet {

class MainWindow;

void AttachCollection(MainWindow& window);

} // namespace quillet
