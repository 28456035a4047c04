#pragma once
// The folder page's search: "搜索" fills the result list with every picture
// of the folder chosen in the tree, "停止" asks a running search to stop, and
// a double-click on a row shows that picture in the picture window.  The
// walk itself is collect/folder_walk; this file puts it on the widgets.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace quillet {

class PictureViewWindow;
class ReportList;
struct CollectionState;
struct FoundPicture;

using StatusTextSink = std::function<void(const QString&)>;

// The four columns every search starts with, left to right.
void SetUpSearchColumns(ReportList& list);

// Empties the list and fills it with exactly these pictures, in their order,
// with the columns and cells a search gives them.
void ListFoundPictures(ReportList& list, const std::vector<FoundPicture>& pictures);

// Search start: empties the list, walks the state's `SelectedFolderPath`
// (with its sub-folders when includeSubfolders) and appends one row per
// picture, processing window messages once per folder entered and asking
// stopRequested whether to stop.  Keeps `SearchFinished` and the status texts
// as the user sees them.  Returns the number of rows appended.
int RunFolderSearch(ReportList& list, CollectionState& state, bool includeSubfolders,
                    const StatusTextSink& setStatusText,
                    const std::function<bool()>& stopRequested);

// The status texts at the end of a search; a search that could not read
// some folders says how many.
QString SearchCompletedText(int unreadableFolders = 0);
QString SearchStoppedText();

// The column holding the picture paths: the first whose title contains
// "图片名全称" in any letter case; -1 when there is none.
int PicturePathColumn(const ReportList& list);

// The widgets of the folder page the search works on.
struct FolderSearchControls {
    QTreeWidget* resultList = nullptr;
    QCheckBox* includeSubfolders = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* stopButton = nullptr;
    QWidget* pictureWindowOwner = nullptr;
    StatusTextSink setStatusText;
    CollectionState* state = nullptr; // outlives the controller
};

// Connects the search and stop buttons and the list's double-click (on a row
// or on the empty part of the list).  Lives as long as the result list (its
// Qt parent).
class FolderSearchController : public QObject {
public:
    explicit FolderSearchController(FolderSearchControls controls);

    // Handlers, public so that other code (and tests) can run them directly.
    void StartSearch();
    void RequestStop();
    void ShowSelectedPicture();

    // Created on the first double-click; null before.
    PictureViewWindow* PictureWindow() const;

    // "停止" was pressed during the current (or last) search.
    bool StopRequested() const { return stopRequested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FolderSearchControls controls_;
    QPointer<PictureViewWindow> pictureWindow_;
    bool searching_ = false;
    bool stopRequested_ = false;
};

} // namespace quillet
