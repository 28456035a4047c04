#include "app/collection_wiring.h"

#include "app/globals.h"
#include "app/main_window.h"
#include "collect/folder_search.h"
#include "collect/folder_tree.h"
#include "ui_main_window.h"

namespace quillet {

void AttachCollection(MainWindow& window)
{
    Ui::MainWindow& ui = window.ui();
    BuildFolderTree(ui.树型框_文件夹, App());
    ConnectFolderTree(ui.树型框_文件夹, App());
    // Owned by the result list (its Qt parent).
    new FolderSearchController(
        {ui.超级列表框_显示, ui.选择框_包括文件夹, ui.按钮_文件夹搜索, ui.按钮_文件夹停止搜索,
         &window, [&window](const QString& text) { window.SetStatusText(text); }, &App()});
}

} // namespace quillet
