#include "collect/folder_search.h"

#include "app/globals.h"
#include "collect/folder_walk.h"
#include "collect/picture_view_window.h"
#include "collect/report_list.h"
#include "runtime/window.h"

#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>

#include <utility>

namespace quillet {
namespace {

const QString greeting = QStringLiteral("祝您使用愉快！");

QString ToQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

ByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.readAll();
    return ByteArray(content.begin(), content.end());
}

} // namespace

QString SearchCompletedText()
{
    return QStringLiteral("搜索完成，可以进一步的工作。") + greeting;
}

QString SearchStoppedText()
{
    return QStringLiteral("搜索强制停止。") + greeting;
}

void SetUpSearchColumns(ReportList& list)
{
    list.AppendColumn("序号", 60, ColumnAlignment::right);
    list.AppendColumn("图片名全称", 220);
    list.AppendColumn("图片类别", 90);
    list.AppendColumn("图片说明", 100);
}

int RunFolderSearch(ReportList& list, bool includeSubfolders, const StatusTextSink& setStatusText)
{
    Globals& app = App();
    WaitCursor();
    app.SearchFinished = false;
    app.SearchStopRequested = false;
    setStatusText(QStringLiteral("正在搜索，请稍候...."));

    list.DeleteAllRows();
    while (list.ColumnCount() > 0)
        list.DeleteColumn(0);
    SetUpSearchColumns(list);

    // Read once: selecting another folder while the search runs must not
    // change the folder being walked.
    const std::string chosenFolder = app.SelectedFolderPath;

    // The status bar only repaints while messages are processed, so only
    // the last "搜索中：" text before that can ever be seen; writing it then
    // keeps a folder of thousands of pictures from relaying out the status
    // bar thousands of times.
    QString pendingStatus;
    auto showPendingStatus = [&] {
        if (!pendingStatus.isNull())
            setStatusText(std::exchange(pendingStatus, QString()));
    };

    FolderWalkCallbacks callbacks;
    callbacks.picture = [&](const FoundPicture& picture) {
        const QString path = ToQString(picture.path);
        const int row = list.RowCount();
        list.AppendRow({QString::number(row + 1), path, ToQString(picture.category),
                        ToQString(picture.caption)});
        pendingStatus = QStringLiteral("搜索中：") + path;
    };
    callbacks.enteringFolder = [&](const std::string&) {
        showPendingStatus();
        ProcessPendingMessages();
    };
    callbacks.stopRequested = [&app] { return app.SearchStopRequested; };
    const FolderWalkResult result = WalkChosenFolder(chosenFolder, includeSubfolders, callbacks);
    showPendingStatus();

    RestoreCursor();
    // Setting the pointer where it is makes the restored shape show at once.
    QCursor::setPos(QCursor::pos());
    app.SearchFinished = true;
    setStatusText(SearchCompletedText());
    if (app.SearchStopRequested)
        setStatusText(SearchStoppedText());
    return result.pictureCount;
}

int PicturePathColumn(const ReportList& list)
{
    for (int column = 0; column < list.ColumnCount(); ++column)
        if (ToQString(list.ColumnTitle(column)).contains(QStringLiteral("图片名全称"), Qt::CaseInsensitive))
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
}

void FolderSearchController::StartSearch()
{
    // The search processes window messages; a second click on "搜索" then
    // would empty the list under the running walk.
    if (searching_)
        return;
    searching_ = true;
    controls_.searchButton->setEnabled(false);
    ReportList list(controls_.resultList);
    RunFolderSearch(list, controls_.includeSubfolders->isChecked(), controls_.setStatusText);
    controls_.searchButton->setEnabled(true);
    searching_ = false;
}

void FolderSearchController::RequestStop()
{
    App().SearchStopRequested = true;
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
        pictureWindow_ = new PictureViewWindow(owner);  // owned by its owner window
        pictureWindow_->show();
    }
    const std::string path = list.CellText(list.SelectedRow(), column);
    pictureWindow_->SetBackgroundPicture(ReadWholeFile(ToQString(path)));
    pictureWindow_->show();
    pictureWindow_->raise();
}

} // namespace quillet
