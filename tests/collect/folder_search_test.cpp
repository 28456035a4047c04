#include "collect/collection_state.h"
#include "collect/folder_search.h"
#include "collect/picture_view_window.h"
#include "collect/report_list.h"
#include "header_alignment.h"
#include "support/raw_files.h"
#include "support/test_images.h"
#include "temp_tree.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

namespace quillet {
namespace {

using testing::TempTree;

// The folder page's controls, made by the test, with the real controller.
class FolderSearchTest : public ::testing::Test {
protected:
    FolderSearchTest()
    {
        state.SearchFinished = true;
        auto* layout = new QVBoxLayout(&window);
        list = new QTreeWidget;
        includeSubfolders = new QCheckBox(QStringLiteral("包括子文件夹"));
        searchButton = new QPushButton(QStringLiteral("搜索"));
        stopButton = new QPushButton(QStringLiteral("停止"));
        for (QWidget* widget :
             std::initializer_list<QWidget*>{list, includeSubfolders, searchButton, stopButton})
            layout->addWidget(widget);
        controller =
            new FolderSearchController({list, includeSubfolders, searchButton, stopButton, &window,
                                        [this](const QString& text) {
                                            statusTexts.push_back(text);
                                            if (onStatus)
                                                onStatus(text);
                                        },
                                        &state});
        window.resize(600, 400);
        window.show();
    }

    void Search(const std::string& folder, bool subfolders)
    {
        state.SelectedFolderPath = folder;
        includeSubfolders->setChecked(subfolders);
        QTest::mouseClick(searchButton, Qt::LeftButton);
    }

    std::vector<std::string> Column(int column) const
    {
        const ReportList view(list);
        std::vector<std::string> texts;
        for (int row = 0; row < view.RowCount(); ++row)
            texts.push_back(view.CellText(row, column));
        return texts;
    }

    // Runs the action while the walk processes window messages for the
    // second time (entering its second folder): an event posted while
    // events are delivered waits for the next round.
    void OnSecondPump(std::function<void()> action)
    {
        QMetaObject::invokeMethod(
            &window,
            [this, action] { QMetaObject::invokeMethod(&window, action, Qt::QueuedConnection); },
            Qt::QueuedConnection);
    }

    CollectionState state;
    QWidget window;
    QTreeWidget* list = nullptr;
    QCheckBox* includeSubfolders = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* stopButton = nullptr;
    FolderSearchController* controller = nullptr;
    std::vector<QString> statusTexts;
    std::function<void(const QString&)> onStatus;
    TempTree disk;
};

TEST_F(FolderSearchTest, FillsTheFourColumnsInWalkOrder)
{
    disk.File("相册/a.jpg");
    disk.File("相册/notes.txt");
    disk.File("相册/旅行/b.GIF");
    Search(disk.Path("相册/"), true);

    const ReportList view(list);
    ASSERT_EQ(view.ColumnCount(), 4);
    const char* titles[] = {"序号", "图片名全称", "图片类别", "图片说明"};
    const int widths[] = {60, 220, 90, 100};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(view.ColumnTitle(column), titles[column]);
        EXPECT_EQ(list->columnWidth(column), widths[column]);
        EXPECT_EQ(testing::HeaderAlignment(*list, column),
                  column == 0 ? Qt::AlignRight : Qt::AlignLeft);
    }
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Column(1),
              (std::vector<std::string>{disk.Path("相册/a.jpg"), disk.Path("相册/旅行/b.GIF")}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"相册", "旅行"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"a", "b"}));

    ASSERT_GE(statusTexts.size(), 2u);
    EXPECT_EQ(statusTexts.front(), QStringLiteral("正在搜索，请稍候...."));
    EXPECT_EQ(statusTexts.back(), SearchCompletedText());
    EXPECT_TRUE(SearchCompletedText().startsWith(QStringLiteral("搜索完成，可以进一步的工作。")));
    EXPECT_TRUE(state.SearchFinished);
    EXPECT_TRUE(searchButton->isEnabled());
}

TEST_F(FolderSearchTest, StatusShowsThePictureFoundLast)
{
    disk.File("s/one.jpg");
    disk.File("s/sub/two.jpg");
    Search(disk.Path("s"), true);
    ASSERT_GE(statusTexts.size(), 3u);
    EXPECT_EQ(statusTexts[statusTexts.size() - 2],
              QStringLiteral("搜索中：") + QString::fromStdString(disk.Path("s/sub/two.jpg")));
}

TEST_F(FolderSearchTest, WithoutSubfoldersOnlyTheFolderItself)
{
    disk.File("s/one.jpg");
    disk.File("s/sub/two.jpg");
    Search(disk.Path("s"), false);
    EXPECT_EQ(Column(1), std::vector<std::string>{disk.Path("s/one.jpg")});
}

TEST_F(FolderSearchTest, ReplacesWhateverTheListHeld)
{
    ReportList view(list);
    while (view.ColumnCount() > 0)
        view.DeleteColumn(0);
    for (const char* title : {"x", "y", "z", "w", "v", "u"})
        view.AppendColumn(title, 30, ColumnAlignment::Centre);
    view.AppendRows(std::vector<std::vector<std::string>>(3, {"1", "2", "3", "4", "5", "6"}));

    disk.Folder("empty");
    Search(disk.Path("empty"), true);
    EXPECT_EQ(view.ColumnCount(), 4);
    EXPECT_EQ(view.RowCount(), 0);
    EXPECT_EQ(view.ColumnTitle(1), "图片名全称");
    EXPECT_EQ(testing::HeaderAlignment(*list, 1), Qt::AlignLeft);
    EXPECT_EQ(statusTexts.back(), SearchCompletedText());
}

TEST_F(FolderSearchTest, StopBetweenFoldersKeepsTheRowsFound)
{
    disk.File("s/own.jpg");
    disk.File("s/sub1/a.jpg");
    disk.File("s/sub2/b.jpg");
    // The user presses "停止" while the walk enters its second folder, after
    // the first folder's own pictures have been listed.
    OnSecondPump([this] { QTest::mouseClick(stopButton, Qt::LeftButton); });
    Search(disk.Path("s"), true);

    EXPECT_EQ(Column(1), std::vector<std::string>{disk.Path("s/own.jpg")});
    EXPECT_EQ(statusTexts.back(), SearchStoppedText());
    EXPECT_TRUE(SearchStoppedText().startsWith(QStringLiteral("搜索强制停止。")));
    EXPECT_TRUE(state.SearchFinished);
    EXPECT_TRUE(controller->StopRequested());

    // The next search starts afresh.
    Search(disk.Path("s"), true);
    EXPECT_EQ(Column(0).size(), 3u);
    EXPECT_FALSE(controller->StopRequested());
    EXPECT_EQ(statusTexts.back(), SearchCompletedText());
}

TEST_F(FolderSearchTest, SearchIsMarkedUnfinishedWhileItRuns)
{
    disk.File("s/a/x.jpg");
    disk.File("s/b/y.jpg");
    std::vector<bool> finishedWhileRunning;
    std::vector<bool> waitCursorWhileRunning;
    onStatus = [&](const QString&) {
        finishedWhileRunning.push_back(state.SearchFinished);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorWhileRunning.push_back(cursor && cursor->shape() == Qt::WaitCursor);
    };
    Search(disk.Path("s"), true);
    ASSERT_GE(finishedWhileRunning.size(), 3u);
    finishedWhileRunning.pop_back(); // the completion text
    waitCursorWhileRunning.pop_back();
    for (bool finished : finishedWhileRunning)
        EXPECT_FALSE(finished);
    for (bool waiting : waitCursorWhileRunning)
        EXPECT_TRUE(waiting);
    EXPECT_TRUE(state.SearchFinished);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(FolderSearchTest, SecondClickDuringASearchIsIgnored)
{
    disk.File("s/own.jpg");
    disk.File("s/sub1/a.jpg");
    disk.File("s/sub2/b.jpg");
    bool clicked = false;
    OnSecondPump([&] {
        clicked = true;
        EXPECT_FALSE(searchButton->isEnabled());
        controller->StartSearch();
    });
    Search(disk.Path("s"), true);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(
        std::count(statusTexts.begin(), statusTexts.end(), QStringLiteral("正在搜索，请稍候....")),
        1);
}

// --- the picture window ---------------------------------------------------

class PictureWindowTest : public FolderSearchTest {
protected:
    void SavePicture(const char* relative, QSize size)
    {
        disk.Folder("p");
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(QString::fromStdString(disk.Path(relative)), "BMP"));
    }

    void DoubleClickRow(int row)
    {
        QTreeWidgetItem* item = list->topLevelItem(row);
        const QPoint centre = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }
};

TEST_F(PictureWindowTest, DoubleClickShowsThePictureOfTheRow)
{
    SavePicture("p/green.bmp", {40, 30});
    Search(disk.Path("p"), false);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(controller->PictureWindow(), nullptr);

    DoubleClickRow(0);
    PictureViewWindow* shown = controller->PictureWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->HasPicture());
    EXPECT_EQ(shown->Picture().size(), QSize(40, 30));
    EXPECT_EQ(shown->parentWidget(), &window);
    EXPECT_TRUE(shown->isWindow());
    EXPECT_FALSE(shown->isModal());
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->frameGeometry(), QRect(50, 50, 486, 371));

    // The same window is used again.
    DoubleClickRow(0);
    EXPECT_EQ(controller->PictureWindow(), shown);
}

TEST_F(PictureWindowTest, NoSelectedRowOrUnreadableFileClearsThePicture)
{
    SavePicture("p/green.bmp", {40, 30});
    disk.File("p/broken.jpg", "not a picture");
    Search(disk.Path("p"), false);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const int good = Column(3)[0] == "green" ? 0 : 1;

    list->setCurrentItem(list->topLevelItem(good));
    controller->ShowSelectedPicture();
    ASSERT_TRUE(controller->PictureWindow()->HasPicture());

    list->setCurrentItem(list->topLevelItem(1 - good));
    controller->ShowSelectedPicture();
    EXPECT_FALSE(controller->PictureWindow()->HasPicture());

    list->setCurrentItem(list->topLevelItem(good));
    controller->ShowSelectedPicture();
    ASSERT_TRUE(controller->PictureWindow()->HasPicture());
    list->clearSelection();
    controller->ShowSelectedPicture();
    EXPECT_FALSE(controller->PictureWindow()->HasPicture());
}

TEST_F(PictureWindowTest, DoubleClickOnTheEmptyListWithNoRowSelectedClearsThePicture)
{
    SavePicture("p/green.bmp", {40, 30});
    Search(disk.Path("p"), false);
    DoubleClickRow(0);
    ASSERT_TRUE(controller->PictureWindow()->HasPicture());

    list->clearSelection();
    const QPoint belowTheRows(list->viewport()->width() / 2, list->viewport()->height() - 5);
    ASSERT_EQ(list->itemAt(belowTheRows), nullptr);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, belowTheRows);
    EXPECT_FALSE(controller->PictureWindow()->HasPicture());
}

TEST_F(PictureWindowTest, LargePictureIsShownShrunkAndCentred)
{
    SavePicture("p/wide.bmp", {972, 200}); // a band across the middle
    Search(disk.Path("p"), false);
    DoubleClickRow(0);
    PictureViewWindow* shown = controller->PictureWindow();
    ASSERT_NE(shown, nullptr);
    const QImage screen = shown->grab().toImage();
    ASSERT_EQ(screen.size(), shown->size());
    ASSERT_GT(screen.width(), 400);
    EXPECT_EQ(QColor(screen.pixel(5, 185)), QColor(Qt::darkGreen));
    EXPECT_EQ(QColor(screen.pixel(screen.width() - 2, 185)), QColor(Qt::darkGreen));
    EXPECT_NE(QColor(screen.pixel(243, 120)), QColor(Qt::darkGreen));
    EXPECT_NE(QColor(screen.pixel(243, 250)), QColor(Qt::darkGreen));
}

TEST_F(PictureWindowTest, GbkNamedPictureIsListedReadablyAndOpens)
{
    const std::string folder = disk.Path(testing::kGbkSeaside);
    ASSERT_TRUE(testing::MakeRawFolder(folder));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const std::string file = folder + "/" + testing::kGbkPhotos + ".bmp";
    ASSERT_TRUE(testing::WriteRawFile(file, testing::MakeBmp(image, testing::BmpKind::Rgb24)));

    Search(disk.Root(), true);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(1), QString::fromStdString(disk.Path("海边/照片.bmp")));
    EXPECT_EQ(row->text(2), QStringLiteral("海边"));
    EXPECT_EQ(row->text(3), QStringLiteral("照片"));
    EXPECT_EQ(Column(1), std::vector<std::string>{file});
    EXPECT_TRUE(
        std::find(statusTexts.begin(), statusTexts.end(),
                  QStringLiteral("搜索中：") + QString::fromStdString(disk.Path("海边/照片.bmp")))
        != statusTexts.end());

    DoubleClickRow(0);
    ASSERT_NE(controller->PictureWindow(), nullptr);
    EXPECT_TRUE(controller->PictureWindow()->HasPicture());
}

TEST_F(PictureWindowTest, ListWithoutAPathColumnOpensNothing)
{
    ReportList view(list);
    while (view.ColumnCount() > 0)
        view.DeleteColumn(0);
    view.AppendColumn("路径");
    view.AppendColumn("说明");
    view.AppendRows({{"/somewhere/a.jpg", "x"}});
    list->setCurrentItem(list->topLevelItem(0));
    controller->ShowSelectedPicture();
    EXPECT_EQ(controller->PictureWindow(), nullptr);

    // The title is found by a substring test in any letter case.
    view.SetColumnTitle(1, "原图片名全称A");
    EXPECT_EQ(PicturePathColumn(view), 1);
}

struct FitCase {
    const char* name;
    QSize picture;
    QSize client;
    QRect expected;
};

class PictureFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFitTest, FitsInProportionNeverEnlarged)
{
    EXPECT_EQ(PictureViewWindow::PictureRectangle(GetParam().picture, GetParam().client),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PictureFitTest,
    ::testing::Values(
        FitCase{"SmallStaysItsSizeCentred", {100, 50}, {486, 371}, {193, 160, 100, 50}},
        FitCase{"WideShrinksToWidth", {972, 371}, {486, 371}, {0, 93, 486, 185}},
        FitCase{"TallShrinksToHeight", {200, 742}, {486, 371}, {193, 0, 100, 371}},
        FitCase{"ExactFit", {486, 371}, {486, 371}, {0, 0, 486, 371}},
        FitCase{"NoPicture", {0, 0}, {486, 371}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
