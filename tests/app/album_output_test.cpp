// A job run with the progress window: the window shows the job, its cancel
// button ends it, a press left from before does not, and it is closed at
// the end whatever happened.
#include "app/album_output.h"

#include "app/progress_window.h"
#include "printing/fonts.h"
#include "support/pdf_tools.h"
#include "support/print_test_helpers.h"
#include "textfiles/datetime.h"
#include "ui_progress_window.h"

#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillet {
namespace {

class AlbumOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        InstallFontSubstitutions();
        job_.settings = StartupPrintSettings();
        testing::UseAlbumTestSettings(job_.settings);
        job_.settings.rows = 2;
        job_.settings.columns = 2;
        job_.settings.photoFitMode = 1;
        job_.settings.imageFormat = 5;
        job_.settings.headerOffset = 80;
        job_.settings.footerOffset = 80;
        job_.headerTemplate = "Head&p";
        job_.footerTemplate = "Foot&p";
        job_.pictures.paths.assign(9, testing::WriteJpeg(dir_, "black.jpg", 400, 300, Qt::black));
        job_.clock = ClockReading{2010, 3, 5, 9, 5, 3};
    }
    void TearDown() override { CloseProgressWindow(); }

    std::string PdfPath() const { return dir_.filePath("album.pdf").toStdString(); }
    int PdfPages() const
    {
        const auto info = testing::ReadPdfInfo(PdfPath());
        return info ? info->pages : -1;
    }

    // A window loaded before the job, its cancel already pressed.
    static void PressCancelBeforeTheJob()
    {
        LoadProgressWindow().ui().按钮_取消打印->click();
        ASSERT_TRUE(LoadProgressWindow().CancelRequested());
    }

    // Presses cancel (twice, which is the same as once) as soon as the job
    // has placed its first picture.
    static void PressCancelAfterTheFirstPicture(int& pressedAt)
    {
        ProgressWindow& window = LoadProgressWindow();
        QObject::connect(window.ui().进度条_当前进度, &QProgressBar::valueChanged, &window,
                         [&window, &pressedAt](int value) {
                             if (value == 1 && pressedAt < 0) {
                                 pressedAt = value;
                                 window.ui().按钮_取消打印->click();
                                 window.ui().按钮_取消打印->click();
                             }
                         });
    }

    PrintTarget Pdf() const { return PrintTarget::PdfFile(PdfPath()); }

    QTemporaryDir dir_;
    PageJob job_;
};

TEST_F(AlbumOutputTest, PrintingShowsTheWindowAndClosesIt)
{
    bool shownDuringTheJob = false;
    QTimer::singleShot(0, [&] {
        shownDuringTheJob = LoadedProgressWindow() && LoadedProgressWindow()->isVisible();
    });
    PressCancelBeforeTheJob();
    ASSERT_TRUE(PrintPicturePages(job_, Pdf()).handedOver);
    EXPECT_TRUE(shownDuringTheJob);
    EXPECT_EQ(PdfPages(), 3) << "a press before the job does not stop it";
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

TEST_F(AlbumOutputTest, CancelWhilePrintingFinishesOnlyThePageInHand)
{
    int pressedAt = -1;
    PressCancelAfterTheFirstPicture(pressedAt);
    ASSERT_TRUE(PrintPicturePages(job_, Pdf()).handedOver);
    EXPECT_EQ(pressedAt, 1);
    EXPECT_EQ(PdfPages(), 1);
    const auto words = testing::ReadPdfWords(PdfPath());
    EXPECT_EQ(testing::FindPdfWords(words, 1, "Foot1").size(), 1u);
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

TEST_F(AlbumOutputTest, AJobThatCannotStartClosesTheWindowToo)
{
    EXPECT_FALSE(
        PrintPicturePages(
            job_, PrintTarget::PdfFile(dir_.filePath("no/such/folder/album.pdf").toStdString()))
            .handedOver);
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

TEST_F(AlbumOutputTest, PageFilesStopAfterThePageInHandWhenCancelled)
{
    const std::string folder = dir_.filePath("pages").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    PressCancelBeforeTheJob();
    const RenderPagesResult all = RenderPagesToImages(job_, folder);
    EXPECT_EQ(all.writtenFiles.size(), 3u);
    EXPECT_FALSE(all.cancelled);
    EXPECT_EQ(LoadedProgressWindow(), nullptr);

    int pressedAt = -1;
    PressCancelAfterTheFirstPicture(pressedAt);
    const RenderPagesResult cancelled = RenderPagesToImages(job_, folder);
    EXPECT_EQ(pressedAt, 1);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.writtenFiles.size(), 1u);
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

TEST_F(AlbumOutputTest, APressWhileAPageFileIsDrawnEndsTheJobWithThatPage)
{
    // The press arrives as a window message, not from within the job: it is
    // seen after the next picture, not only once the page is done.
    const std::string folder = dir_.filePath("pages").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    ProgressWindow& window = LoadProgressWindow();
    bool posted = false;
    QObject::connect(window.ui().进度条_当前进度, &QProgressBar::valueChanged, &window,
                     [&window, &posted](int value) {
                         if (value == 1 && !posted) {
                             posted = true;
                             QTimer::singleShot(0, window.ui().按钮_取消打印, &QPushButton::click);
                         }
                     });
    const RenderPagesResult result = RenderPagesToImages(job_, folder);
    EXPECT_TRUE(posted);
    EXPECT_TRUE(result.cancelled);
    ASSERT_EQ(result.writtenFiles.size(), 1u);
    EXPECT_EQ(LoadedProgressWindow(), nullptr);
}

} // namespace
} // namespace quillet
