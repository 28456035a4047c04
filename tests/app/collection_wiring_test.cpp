// The folder page of the real main window: choose a folder in the tree, press
// "搜索", see the rows; "停止"; a double-click opens the picture window.
#include "app/collection_wiring.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/open_paths.h"
#include "app/startup.h"
#include "collect/folder_search.h"
#include "collect/folder_tree.h"
#include "collect/picture_view_window.h"
#include "collect/temp_tree.h"
#include "support/status_bar_text.h"
#include "ui_main_window.h"
#include "widgets/window.h"

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using testing::TempTree;

class CollectionWiring : public ::testing::Test {
protected:
    CollectionWiring()
    {
        PrepareProgramState();
        FolderTreeBuilder() = AttachCollection;
        window = LoadMainWindow();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    ~CollectionWiring() override
    {
        window.reset();
        FolderTreeBuilder() = nullptr;
        RegisterExitProcedure(nullptr);
        ResetGlobals();
    }

    Ui::MainWindow& ui() { return window->ui(); }

    void ClickNode(QTreeWidgetItem* node)
    {
        QTreeWidget* tree = ui().树型框_文件夹;
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(node).center());
    }

    // Every cell of the result list, row by row, with the column titles first.
    std::vector<std::vector<QString>> ListCells()
    {
        QTreeWidget* list = ui().超级列表框_显示;
        std::vector<std::vector<QString>> cells(1);
        for (int column = 0; column < list->columnCount(); ++column)
            cells[0].push_back(list->headerItem()->text(column));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            cells.emplace_back();
            for (int column = 0; column < list->columnCount(); ++column)
                cells.back().push_back(list->topLevelItem(row)->text(column));
        }
        return cells;
    }

    // A holiday folder as a camera card and a phone leave it.
    void MakeHolidayFolder()
    {
        disk.File("假期/海边.jpg");
        disk.File("假期/IMG_10.JPG");
        disk.File("假期/IMG_2.jpg");
        disk.File("假期/山/日出.JPEG");
        disk.File("假期/readme.txt");
    }

    void Drop(const std::vector<std::string>& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        data.setUrls(urls);
        const QPoint inside(300, 200);
        QDragEnterEvent enter(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(inside, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
    }

    std::unique_ptr<MainWindow> window;
    TempTree disk;
};

TEST_F(CollectionWiring, TreeIsBuiltWhenTheWindowIsCreated)
{
    QTreeWidget* tree = ui().树型框_文件夹;
    ASSERT_GE(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("桌面"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("我的文档"));
    EXPECT_FALSE(App().DesktopPath.empty());
    EXPECT_TRUE(App().SearchFinished);
}

TEST_F(CollectionWiring, SelectFolderSearchAndSeeRows)
{
    disk.Folder("Desktop");
    disk.File("Desktop/假期/海边.jpg");
    disk.File("Desktop/假期/山/日出.JPEG");
    disk.File("Desktop/假期/readme.txt");
    App().DesktopPath = disk.Path("Desktop/");

    QTreeWidgetItem* desktop = ui().树型框_文件夹->topLevelItem(0);
    ClickNode(desktop);
    EXPECT_EQ(App().SelectedFolderPath, disk.Path("Desktop/"));
    ASSERT_EQ(desktop->childCount(), 1);
    ClickNode(desktop->child(0));
    EXPECT_EQ(App().SelectedFolderPath, disk.Path("Desktop/假期/"));

    QTest::mouseClick(ui().选择框_包括文件夹, Qt::LeftButton);
    ASSERT_TRUE(ui().选择框_包括文件夹->isChecked());
    QTest::mouseClick(ui().按钮_文件夹搜索, Qt::LeftButton);

    QTreeWidget* list = ui().超级列表框_显示;
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("图片名全称"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("1"));
    EXPECT_EQ(list->topLevelItem(0)->text(1),
              QString::fromStdString(disk.Path("Desktop/假期/海边.jpg")));
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("假期"));
    EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("海边"));
    EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("山"));
    EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("日出"));
    EXPECT_TRUE(
        testing::StatusBarText(*window).startsWith(QStringLiteral("搜索完成，可以进一步的工作。")));
    EXPECT_TRUE(App().SearchFinished);

    // Unticked: the chosen folder's own pictures only.
    QTest::mouseClick(ui().选择框_包括文件夹, Qt::LeftButton);
    QTest::mouseClick(ui().按钮_文件夹搜索, Qt::LeftButton);
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

TEST_F(CollectionWiring, StopButtonAsksTheSearchToStop)
{
    const auto children = ui().超级列表框_显示->children();
    FolderSearchController* search = nullptr;
    for (QObject* child : children)
        if (auto* controller = dynamic_cast<FolderSearchController*>(child))
            search = controller;
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(search->StopRequested());
    QTest::mouseClick(ui().按钮_文件夹停止搜索, Qt::LeftButton);
    EXPECT_TRUE(search->StopRequested());
}

TEST_F(CollectionWiring, DoubleClickOpensThePictureWindowOwnedByTheMainWindow)
{
    disk.Folder("pics");
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(disk.Path("pics/red.bmp")), "BMP"));
    App().SelectedFolderPath = disk.Path("pics/");
    QTest::mouseClick(ui().按钮_文件夹搜索, Qt::LeftButton);

    QTreeWidget* list = ui().超级列表框_显示;
    ASSERT_EQ(list->topLevelItemCount(), 1);
    const QPoint centre = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);

    const auto windows = window->findChildren<PictureViewWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->isWindow());
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_FALSE(windows[0]->isModal());
    EXPECT_EQ(windows[0]->Picture().size(), QSize(64, 48));
}

// "Open with Quillet" on a folder, and the folder dropped on the window:
// the list a user gets by choosing it, ticking "包括子文件夹" and searching.
TEST_F(CollectionWiring, AFolderOpenedOrDroppedIsSearchedAsTheUserWould)
{
    MakeHolidayFolder();
    OpenPathsInWindow(*window, {disk.Path("假期")});
    QTreeWidgetItem* current = ui().树型框_文件夹->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), QStringLiteral("假期"));
    EXPECT_EQ(App().SelectedFolderPath, disk.Path("假期/"));
    EXPECT_TRUE(ui().选择框_包括文件夹->isChecked());
    EXPECT_TRUE(testing::StatusBarText(*window).startsWith(QStringLiteral("搜索完成")));
    const auto opened = ListCells();
    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[1][1], QString::fromStdString(disk.Path("假期/IMG_2.jpg")));

    // The user's own way to the same folder.
    ui().超级列表框_显示->clear();
    ui().选择框_包括文件夹->setChecked(false);
    QTreeWidgetItem* parent = current->parent();
    ASSERT_NE(parent, nullptr);
    ClickNode(parent); // lists its children afresh
    QTreeWidgetItem* holiday = nullptr;
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == QStringLiteral("假期"))
            holiday = parent->child(i);
    ASSERT_NE(holiday, nullptr);
    ClickNode(holiday);
    QTest::mouseClick(ui().选择框_包括文件夹, Qt::LeftButton);
    QTest::mouseClick(ui().按钮_文件夹搜索, Qt::LeftButton);
    EXPECT_EQ(ListCells(), opened);

    ui().超级列表框_显示->clear();
    ui().选择框_包括文件夹->setChecked(false);
    Drop({disk.Path("假期/")});
    EXPECT_EQ(ListCells(), opened);
    EXPECT_TRUE(ui().选择框_包括文件夹->isChecked());
}

TEST_F(CollectionWiring, PicturesOpenedOrDroppedAreListedAsASearchListsThem)
{
    MakeHolidayFolder();
    const std::vector<std::string> pictures = {disk.Path("假期/山/日出.JPEG"),
                                               disk.Path("假期/海边.jpg")};
    OpenPathsInWindow(*window, pictures);
    const std::vector<std::vector<QString>> expected = {
        {"序号", "图片名全称", "图片类别", "图片说明"},
        {"1", QString::fromStdString(pictures[0]), "山", "日出"},
        {"2", QString::fromStdString(pictures[1]), "假期", "海边"}};
    EXPECT_EQ(ListCells(), expected);
    EXPECT_EQ(testing::StatusBarText(*window), QStringLiteral("已列出2张图片，可以进一步的工作。"));

    ui().超级列表框_显示->clear();
    Drop(pictures);
    EXPECT_EQ(ListCells(), expected);
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> paths; // relative to the test's folder
    const char* status;
};

class RefusedPaths : public CollectionWiring, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedPaths, OnlyTellWhyInTheStatusBar)
{
    MakeHolidayFolder();
    App().SelectedFolderPath = disk.Path("假期/");
    QTest::mouseClick(ui().按钮_文件夹搜索, Qt::LeftButton);
    const auto before = ListCells();
    QTreeWidgetItem* selected = ui().树型框_文件夹->currentItem();

    std::vector<std::string> paths;
    for (const std::string& path : GetParam().paths)
        paths.push_back(disk.Path(path));
    OpenPathsInWindow(*window, paths);
    EXPECT_TRUE(testing::StatusBarText(*window).startsWith(QString::fromUtf8(GetParam().status)))
        << testing::StatusBarText(*window).toStdString();
    EXPECT_EQ(ListCells(), before);
    EXPECT_EQ(ui().树型框_文件夹->currentItem(), selected);
    EXPECT_EQ(App().SelectedFolderPath, disk.Path("假期/"));
}

INSTANTIATE_TEST_SUITE_P(
    CollectionWiring, RefusedPaths,
    ::testing::Values(
        RefusedCase{"Missing", {"假期/海边.jpg", "没有.jpg"}, "找不到："},
        RefusedCase{"NotAPicture", {"假期/readme.txt"}, "不是文件夹，也不是"},
        RefusedCase{"TwoFolders", {"假期", "假期/山"}, "一次只能打开一个文件夹"},
        RefusedCase{"FolderAndPicture", {"假期/山", "假期/海边.jpg"}, "一次只能打开一个文件夹"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillet
