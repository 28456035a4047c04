#include "collect/folder_search.h"

#include "codecs/image_decode.h"
#include "collect/collection_state.h"
#include "collect/folder_walk.h"
#include "collect/picture_view_window.h"
#include "collect/report_list.h"
#include "textfiles/convert.h"
#include "textfiles/file_names.h"
#include "textfiles/files.h"
#include "textfiles/picture_column_titles.h"
#include "widgets/window.h"

#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <chrono>
#include <utility>
#include <vector>

namespace quillet {
namespace {

const QString greeting = QStringLiteral("祝您使用愉快！");

// One row of the list: number, path, category, caption.
std::vector<std::string> SearchRow(int number, const FoundPicture& picture)
{
    return {std::to_string(number), picture.path, picture.category, picture.caption};
}

// No rows, and the search's four columns in place of whatever columns the
// list had (an imported table's).
void ResetToSearchColumns(ReportList& list)
{
    list.DeleteAllRows();
    while (list.ColumnCount() > 0)
        list.DeleteColumn(0);
    SetUpSearchColumns(list);
}

// Carries found pictures into the list and the status bar.  Both are only
// seen when window messages are processed, and every batch of rows costs the
// tree view a layout of the whole list, so rows and the "搜索中：" text go
// in at most ten times a second rather than once per folder: a search of
// tens of thousands of pictures would otherwise spend its time laying out
// the list again and again.  Messages are still processed once per folder,
// so "停止" and the close box answer as quickly as before.
class SearchResultFeed {
public:
    SearchResultFeed(ReportList& list, const StatusTextSink& setStatusText)
        : list_(list), setStatusText_(setStatusText), lastFlush_(Clock::now())
    {}

    void Add(const FoundPicture& picture)
    {
        const int row = list_.RowCount() + static_cast<int>(rows_.size());
        rows_.push_back(SearchRow(row + 1, picture));
        lastPath_ = picture.path;
    }

    void FlushIfDue()
    {
        if (Clock::now() - lastFlush_ >= flushInterval)
            Flush();
    }

    void Flush()
    {
        lastFlush_ = Clock::now();
        if (!rows_.empty())
            list_.AppendRows(std::exchange(rows_, {}));
        // Only the last path found is ever seen, so only it is decoded.
        if (!lastPath_.empty())
            setStatusText_(QStringLiteral("搜索中：")
                           + ToQString(DisplayPath(std::exchange(lastPath_, {}))));
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto flushInterval = std::chrono::milliseconds(100);

    ReportList& list_;
    const StatusTextSink& setStatusText_;
    std::vector<std::vector<std::string>> rows_;
    std::string lastPath_;
    Clock::time_point lastFlush_;
};

} // namespace

QString SearchCompletedText(int unreadableFolders)
{
    if (unreadableFolders > 0)
        return QStringLiteral("搜索完成，但有 %1 个文件夹无法读取，其中的图片没有列出。")
                   .arg(unreadableFolders)
               + greeting;
    return QStringLiteral("搜索完成，可以进一步的工作。") + greeting;
}

QString SearchStoppedText()
{
    return QStringLiteral("搜索强制停止。") + greeting;
}

void SetUpSearchColumns(ReportList& list)
{
    list.AppendColumn("序号", 60, ColumnAlignment::Right);
    list.AppendColumn(kPathColumnTitle, 220);
    list.AppendColumn(kCategoryColumnTitle, 90);
    list.AppendColumn(kCaptionColumnTitle, 100);
}

void ListFoundPictures(ReportList& list, const std::vector<FoundPicture>& pictures)
{
    ResetToSearchColumns(list);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i)
        rows.push_back(SearchRow(static_cast<int>(i) + 1, pictures[i]));
    list.AppendRows(rows);
}

int RunFolderSearch(ReportList& list, CollectionState& state, bool includeSubfolders,
                    const StatusTextSink& setStatusText, const std::function<bool()>& stopRequested)
{
    WaitCursor();
    state.SearchFinished = false;
    setStatusText(QStringLiteral("正在搜索，请稍候...."));

    ResetToSearchColumns(list);

    // Read once: selecting another folder while the search runs must not
    // change the folder being walked.
    const std::string chosenFolder = state.SelectedFolderPath;

    SearchResultFeed feed(list, setStatusText);
    FolderWalkCallbacks callbacks;
    callbacks.picture = [&feed](const FoundPicture& picture) { feed.Add(picture); };
    callbacks.enteringFolder = [&feed](const std::string&) {
        feed.FlushIfDue();
        ProcessPendingMessages();
    };
    callbacks.stopRequested = stopRequested;
    const FolderWalkResult result = WalkChosenFolder(chosenFolder, includeSubfolders, callbacks);
    feed.Flush();

    RestoreCursor();
    // Setting the pointer where it is makes the restored shape show at once.
    QCursor::setPos(QCursor::pos());
    state.SearchFinished = true;
    setStatusText(SearchCompletedText(result.unreadableFolders));
    if (stopRequested())
        setStatusText(SearchStoppedText());
    return result.pictureCount;
}

int PicturePathColumn(const ReportList& list)
{
    for (int column = 0; column < list.ColumnCount(); ++column)
        if (ToQString(list.ColumnTitle(column))
                .contains(QStringLiteral("图片名全称"), Qt::CaseInsensitive))
            return column;
    return -1;
}

FolderSearchController::FolderSearchController(FolderSearchControls controls)
    : QObject(controls.resultList), controls_(std::move(controls))
{
    connect(controls_.searchButton, &QPushButton::clicked, this, [this] { StartSearch(); });
    connect(controls_.stopButton, &QPushButton::clicked, this, [this] { RequestStop(); });
    connect(controls_.resultList, &QTreeWidget::itemDoubleClicked, this,
            [this] { ShowSelectedPicture(); });
    // The list reports double-clicks on rows only; one on the empty part of
    // the list shows the selected row's picture too, or none.
    controls_.resultList->viewport()->installEventFilter(this);
}

bool FolderSearchController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick
        && watched == controls_.resultList->viewport()) {
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() == Qt::LeftButton
            && !controls_.resultList->itemAt(click->position().toPoint()))
            ShowSelectedPicture();
    }
    return QObject::eventFilter(watched, event);
}

void FolderSearchController::StartSearch()
{
    // The search processes window messages; a second click on "搜索" then
    // would empty the list under the running walk.
    if (searching_)
        return;
    searching_ = true;
    stopRequested_ = false;
    controls_.searchButton->setEnabled(false);
    ReportList list(controls_.resultList);
    RunFolderSearch(list, *controls_.state, controls_.includeSubfolders->isChecked(),
                    controls_.setStatusText, [this] { return stopRequested_; });
    controls_.searchButton->setEnabled(true);
    searching_ = false;
}

PictureViewWindow* FolderSearchController::PictureWindow() const
{
    return pictureWindow_.data();
}

void FolderSearchController::RequestStop()
{
    stopRequested_ = true;
}

void FolderSearchController::ShowSelectedPicture()
{
    const ReportList list(controls_.resultList);
    const int column = PicturePathColumn(list);
    if (column < 0)
        return;
    if (!pictureWindow_) {
        QWidget* owner = controls_.pictureWindowOwner ? controls_.pictureWindowOwner
                                                      : controls_.resultList->window();
        pictureWindow_ = new PictureViewWindow(owner); // owned by its owner window
        pictureWindow_->show();
    }
    const std::string path = list.CellText(list.SelectedRow(), column);
    pictureWindow_->SetBackgroundPicture(ReadRegularFile(path, kMaxPictureFileBytes).bytes);
    pictureWindow_->show();
    pictureWindow_->raise();
}

} // namespace quillet
