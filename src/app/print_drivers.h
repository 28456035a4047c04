#pragma once
// The main window's two print buttons.  准备打印 turns the result list into
// print jobs, one per run of rows of one category (when 不同文件夹照片要分别
// 打印 is ticked) or one per page, asks before each job and reports in the
// status bar; 预览与设置 opens the settings window over the first page.
// A run lasts the whole click: its jobs run one after another inside it.

namespace quillet {

class MainWindow;

// 准备打印: not while a folder search is still filling the list.
void PrintButtonHandler(MainWindow& window);
void PrintByCategory(MainWindow& window);
void PrintByPage(MainWindow& window);

// 预览与设置: the settings window over up to 100 pictures of the list.
void PreviewAndSettings(MainWindow& window);

// Connects both buttons of the window to their handlers.
void AttachPrintButtons(MainWindow& window);

} // namespace quillet
