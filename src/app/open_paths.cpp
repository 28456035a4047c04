#include "app/open_paths.h"

#include "app/globals.h"
#include "app/main_window.h"
#include "collect/folder_search.h"
#include "collect/folder_tree.h"
#include "collect/folder_walk.h"
#include "collect/report_list.h"
#include "textfiles/convert.h"
#include "textfiles/file_names.h"
#include "ui_main_window.h"

#include <sys/stat.h>

namespace quillet {
namespace {

PathsToOpen Refused(std::string text)
{
    return {OpenKind::Refused, {}, std::move(text)};
}

// "jpg、jpeg、bmp…"
std::string PictureExtensionList()
{
    std::string list;
    for (const char* extension : kPictureExtensions)
        list += (list.empty() ? "" : "、") + std::string(extension);
    return list;
}

} // namespace

PathsToOpen ClassifyPathsToOpen(const std::vector<std::string>& paths)
{
    PathsToOpen open;
    std::vector<std::string> folders;
    for (const std::string& named : paths) {
        // The argument's own bytes: a name need not be UTF-8.
        struct stat status {};
        if (named.empty() || ::stat(named.c_str(), &status) != 0)
            return Refused("找不到：" + DisplayPath(named));
        const std::string path = AbsolutePath(named);
        if (S_ISDIR(status.st_mode))
            folders.push_back(path);
        else if (S_ISREG(status.st_mode)
                 && IsPictureExtension(
                     SplitPictureName(path.substr(path.rfind('/') + 1)).extension))
            open.paths.push_back(path);
        else
            return Refused("不是文件夹，也不是 " + PictureExtensionList() + " 图片："
                           + DisplayPath(named));
    }
    if (folders.size() > 1 || (!folders.empty() && !open.paths.empty()))
        return Refused("一次只能打开一个文件夹，或者若干张图片。");
    if (!folders.empty())
        return {OpenKind::Folder, std::move(folders), {}};
    open.kind = open.paths.empty() ? OpenKind::Nothing : OpenKind::Pictures;
    return open;
}

void OpenPathsInWindow(MainWindow& window, const std::vector<std::string>& paths)
{
    const PathsToOpen open = ClassifyPathsToOpen(paths);
    if (open.kind == OpenKind::Nothing)
        return;
    if (open.kind == OpenKind::Refused) {
        window.SetStatusText(ToQString(open.refusal));
        return;
    }
    // The list belongs to the running search until it ends.
    if (!App().SearchFinished) {
        window.SetStatusText(QStringLiteral("正在搜索，请先停止搜索再打开。"));
        return;
    }
    Ui::MainWindow& ui = window.ui();
    if (open.kind == OpenKind::Folder) {
        ui.选择夹1->setCurrentIndex(0);
        RevealFolder(ui.树型框_文件夹, open.paths.front(), App());
        ui.选择框_包括文件夹->setChecked(true);
        ui.按钮_文件夹搜索->click();
        return;
    }
    std::vector<FoundPicture> pictures;
    for (const std::string& path : open.paths)
        pictures.push_back(FoundPictureAt(path, static_cast<int>(pictures.size()) + 1));
    ReportList list(ui.超级列表框_显示);
    ListFoundPictures(list, pictures);
    window.SetStatusText(QStringLiteral("已列出%1张图片，可以进一步的工作。").arg(pictures.size()));
}

} // namespace quillet
