// The folder page of the real main window: choose a folder in the tree, press
// "搜索", see the rows; "停止"; a double-click opens the picture window.
#include "app/collection_wiring.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "collect/folder_search.h"
#include "collect/folder_tree.h"
#include "collect/picture_view_window.h"
#include "collect/temp_tree.h"
#include "runtime/window.h"
#include "ui_main_window.h"

#include <QImage>
#include <QTest>
#include <QTreeWidget>

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
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("搜索完成，可以进一步的工作。")));
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

} // namespace
} // namespace quillet
