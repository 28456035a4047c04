// Whole runs through the real windows: pictures found by the folder search,
// one job per category, printed through the CUPS file queue, into PDF files
// ("保存为PDF文件") and to PNG page images, then read back.  Every modal
// dialog is answered through the dialog seam, the settings window through
// its own; one run shows the real timed question and lets it go on by
// itself.
#include "app/globals.h"
#include "app/print_job.h"
#include "app/settings_window.h"
#include "print_run_fixture.h"
#include "printing/printer_queries.h"
#include "support/cups_queues.h"
#include "support/pdf_tools.h"
#include "support/status_bar_text.h"
#include "ui_main_window.h"
#include "widgets/qt_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace quillet {
namespace {

using testing::FileQueueOutput;
using testing::FindPdfWords;
using testing::kFileQueue;
using testing::PrintRunFixture;
using testing::QueueLock;
using testing::WaitUntilQueueEmpty;

enum class Output { CupsFileQueue, SaveAsPdf, PngPages };

class PrintRun : public ::testing::TestWithParam<Output>, public PrintRunFixture {
protected:
    PrintRun() : PrintRunFixture(true) {}

    // 相册/山水 holds two pictures, 相册/花鸟 one; all black.
    void MakeAlbum()
    {
        const QString root = QString::fromStdString(Path("相册"));
        ASSERT_TRUE(QDir().mkpath(root + "/山水"));
        ASSERT_TRUE(QDir().mkpath(root + "/花鸟"));
        testing::WriteTestJpeg(root + "/山水/日出.jpg", Qt::black);
        testing::WriteTestJpeg(root + "/山水/海边.jpg", Qt::black);
        testing::WriteTestJpeg(root + "/花鸟/孔雀.jpg", Qt::black);
        Search(Path("相册/"));
        const QTreeWidget* list = Window().ui().超级列表框_显示;
        ASSERT_EQ(list->topLevelItemCount(), 3);
        // The folders' order is the walk's; the jobs follow it.
        for (int row : {0, 2})
            categoryOrder.push_back(list->topLevelItem(row)->text(2).toStdString());
    }

    struct ExpectedJob {
        int pictures;
        std::vector<std::string> captions;
    };
    const std::map<std::string, ExpectedJob> expectedJobs{{"山水", {2, {"日出", "海边"}}},
                                                          {"花鸟", {1, {"孔雀"}}}};
    std::vector<std::string> categoryOrder;

    void StartRun()
    {
        SetTemplates("&f 第&p页/共&a页", "Quillet");
        SetByCategory(true);
        AnswerColumnsAsProposed();
        ClickPrint();
    }

    void CheckPdfJob(const std::string& pdf, const std::string& category, int pictures,
                     const std::vector<std::string>& captions)
    {
        const auto info = testing::ReadPdfInfo(pdf);
        ASSERT_TRUE(info) << "nothing printed into " << pdf;
        EXPECT_EQ(info->pages, 1);
        EXPECT_NEAR(info->pageWidth, testing::PointsFromMillimetres(210), 1);
        EXPECT_EQ(static_cast<int>(testing::ListPdfImages(pdf).size()), pictures);
        const auto words = testing::ReadPdfWords(pdf);
        EXPECT_EQ(FindPdfWords(words, 1, category).size(), 1u) << pdf;
        EXPECT_EQ(FindPdfWords(words, 1, "第1页/共1页").size(), 1u) << pdf;
        EXPECT_EQ(FindPdfWords(words, 1, "Quillet").size(), 1u) << pdf;
        for (const std::string& caption : captions)
            EXPECT_EQ(FindPdfWords(words, 1, caption).size(), 1u) << pdf << ": " << caption;
    }
};

TEST_P(PrintRun, EveryCategoryOfASearchedFolderTreeComesOutAsItsOwnJob)
{
    std::unique_ptr<QueueLock> lock;
    std::vector<std::string> pdfs;
    switch (GetParam()) {
    case Output::CupsFileQueue: {
        const bool required = std::getenv("QUILLET_REQUIRE_CUPS") != nullptr;
        const auto printers = InstalledPrinters();
        if (std::find(printers.begin(), printers.end(), kFileQueue) == printers.end()) {
            if (required)
                FAIL() << kFileQueue << " missing although ./test set it up";
            GTEST_SKIP() << kFileQueue << " missing; run scripts/test-cups.sh start";
        }
        lock = std::make_unique<QueueLock>();
        QFile::remove(QString::fromStdString(FileQueueOutput()));
        storeOnOk = [](PrintSettings& s) { testing::StoreAlbumSettings(s, kFileQueue); };
        // The queue writes every job into the same file: each is kept
        // before the next job's question.
        const auto keepQueueOutput = [this, &pdfs] {
            ASSERT_TRUE(WaitUntilQueueEmpty(kFileQueue));
            pdfs.push_back(Path("job" + std::to_string(pdfs.size() + 1) + ".pdf"));
            ASSERT_TRUE(QFile::copy(QString::fromStdString(FileQueueOutput()),
                                    QString::fromStdString(pdfs.back())));
            QFile::remove(QString::fromStdString(FileQueueOutput()));
        };
        dialogs.SetOnRequest([&, keepQueueOutput](const DialogRequest& request) {
            if (request.kind == DialogKind::TimedMessageBox && !openings.empty())
                keepQueueOutput();
        });
        MakeAlbum();
        StartRun();
        keepQueueOutput();
        break;
    }
    case Output::SaveAsPdf:
        dialogs.AnswerSaveFileDialog(Path("我的相册.pdf"));
        MakeAlbum();
        StartRun();
        pdfs = {Path("我的相册.pdf"), Path("我的相册-2.pdf")};
        ASSERT_EQ(Asked(DialogKind::SaveFileDialog).size(), 1u);
        EXPECT_EQ(Asked(DialogKind::SaveFileDialog)[0].initialText,
                  Path(categoryOrder[0] + ".pdf"));
        break;
    case Output::PngPages:
        storeOnOk = [](PrintSettings& s) {
            testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
            s.printToImage = 1;
            s.imageFormat = 5;
        };
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Path("pages"))));
        dialogs.AnswerBrowseForFolder(Path("pages"));
        dialogs.AnswerBrowseForFolder(Path("pages"));
        MakeAlbum();
        StartRun();
        break;
    }

    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 2u);
    EXPECT_EQ(openings.size(), 1u);
    // Jobs CUPS took are named by their CUPS job ids.
    if (GetParam() == Output::CupsFileQueue) {
        const std::string job = std::string(kFileQueue) + "-";
        EXPECT_TRUE(Status().starts_with("打印完毕！打印作业：" + job)) << Status();
        EXPECT_NE(Status().find("、" + job), std::string::npos) << Status();
    } else {
        EXPECT_EQ(Status(), "打印完毕！");
    }
    EXPECT_EQ(dialogs.UnansweredCount(), 2) << "both timed questions left to go on by themselves";

    if (GetParam() != Output::PngPages) {
        ASSERT_EQ(pdfs.size(), 2u);
        ASSERT_EQ(categoryOrder.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const ExpectedJob& job = expectedJobs.at(categoryOrder[i]);
            CheckPdfJob(pdfs[i], categoryOrder[i], job.pictures, job.captions);
        }
        return;
    }
    const QDir folder(QString::fromStdString(Path("pages")));
    const QStringList files = folder.entryList({"*.png"}, QDir::Files);
    ASSERT_EQ(files.size(), 2);
    // Two pictures on the 山水 page, one on the 花鸟 page; which file is
    // which goes by the clock, so the pages are told apart by their ink.
    int pagesWithTwoPictures = 0;
    for (const QString& file : files) {
        const QImage page(folder.filePath(file));
        ASSERT_EQ(page.size(), QSize(2100, 2970)) << file.toStdString();
        // Cell centres: margins 100 and 150, cells 940 wide, 20 apart.
        EXPECT_LT(qGray(page.pixel(570, 700)), 64) << file.toStdString();
        EXPECT_GT(qGray(page.pixel(570, 2100)), 192) << file.toStdString();
        if (qGray(page.pixel(1530, 700)) < 64)
            ++pagesWithTwoPictures;
    }
    EXPECT_EQ(pagesWithTwoPictures, 1);
}

INSTANTIATE_TEST_SUITE_P(PrintRun, PrintRun,
                         ::testing::Values(Output::CupsFileQueue, Output::SaveAsPdf,
                                           Output::PngPages),
                         [](const auto& info) {
                             switch (info.param) {
                             case Output::CupsFileQueue: return "CupsFileQueue";
                             case Output::SaveAsPdf: return "SaveAsPdf";
                             case Output::PngPages: return "PngPages";
                             }
                             return "";
                         });

// The run's first question is the real timed box; every other dialog is
// scripted.
class RealTimedQuestion final : public DialogProvider {
public:
    explicit RealTimedQuestion(ScriptedDialogProvider& scripted) : scripted_(scripted) {}
    MessageBoxAnswer MessageBox(std::string_view text, int style, std::string_view title) override
    {
        return scripted_.MessageBox(text, style, title);
    }
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view initialText) override
    {
        return scripted_.InputBox(prompt, title, initialText);
    }
    std::string BrowseForFolder(std::string_view prompt, int flag,
                                std::string_view initialFolder) override
    {
        return scripted_.BrowseForFolder(prompt, flag, initialFolder);
    }
    std::string OpenFileDialog(std::string_view title, std::string_view filter,
                               std::string_view initialFolder) override
    {
        return scripted_.OpenFileDialog(title, filter, initialFolder);
    }
    std::string SaveFileDialog(std::string_view title, std::string_view filter,
                               std::string_view proposedPath) override
    {
        return scripted_.SaveFileDialog(title, filter, proposedPath);
    }
    bool FontDialog(FontSpec& font) override { return scripted_.FontDialog(font); }
    std::optional<MessageBoxAnswer> TimedMessageBox(std::string_view text, std::string_view title,
                                                    int style, int milliseconds) override
    {
        if (realShown_++ == 0)
            return real_.TimedMessageBox(text, title, style, milliseconds);
        return scripted_.TimedMessageBox(text, title, style, milliseconds);
    }

private:
    ScriptedDialogProvider& scripted_;
    QtDialogProvider real_;
    int realShown_ = 0;
};

class RealDialogsRun : public ::testing::Test, public PrintRunFixture {
protected:
    RealDialogsRun() : PrintRunFixture(true) {}
};

// Set QUILLET_SCREENSHOT to a PNG path (and run under Xvfb with
// QT_QPA_PLATFORM=xcb) to keep a picture of the question over the window.
TEST_F(RealDialogsRun, TheQuestionOverTheMainWindowGoesOnByItself)
{
    const QString root = QString::fromStdString(Path("相册"));
    ASSERT_TRUE(QDir().mkpath(root + "/山水"));
    ASSERT_TRUE(QDir().mkpath(root + "/花鸟"));
    testing::WriteTestJpeg(root + "/山水/日出.jpg", Qt::black);
    testing::WriteTestJpeg(root + "/花鸟/孔雀.jpg", Qt::black);
    Search(Path("相册/"));
    SetTemplates("&f 第&p页/共&a页", "");
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("相册.pdf"));
    RealTimedQuestion provider(dialogs);
    const ScopedDialogProvider scope(provider);

    QString shownText, shownTitle, statusWhileShown;
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            look.start(50);
            return;
        }
        shownText = box->text();
        shownTitle = box->windowTitle();
        statusWhileShown = testing::StatusBarText(Window());
        // Once both windows have been painted, well before the time-out.
        if (const char* shot = std::getenv("QUILLET_SCREENSHOT")) {
            QTimer::singleShot(800, [path = QString::fromLocal8Bit(shot)] {
                QGuiApplication::primaryScreen()->grabWindow(0).save(path);
            });
        }
    });
    look.start(50);
    ClickPrint();

    EXPECT_EQ(shownText.toStdString(), "将要进行新的打印作业，要继续吗？");
    EXPECT_EQ(shownTitle.toStdString(), "提示2秒后默认继续工作。");
    EXPECT_EQ(statusWhileShown.toStdString(), "正在打印，请稍候....");
    // Nobody answered the box: timed out, the run went on like OK and both
    // categories were printed.
    EXPECT_EQ(static_cast<int>(testing::ListPdfImages(Path("相册.pdf")).size()), 1);
    EXPECT_EQ(static_cast<int>(testing::ListPdfImages(Path("相册-2.pdf")).size()), 1);
    EXPECT_EQ(Status(), "打印完毕！");
}

// Without the test's seam the job opens the real settings window; pressing
// its OK with "保存为PDF文件" chosen prints the run into a PDF file.
TEST_F(RealDialogsRun, TheRealSettingsWindowConfirmsTheJob)
{
    const QString root = QString::fromStdString(Path("相册"));
    ASSERT_TRUE(QDir().mkpath(root + "/山水"));
    testing::WriteTestJpeg(root + "/山水/日出.jpg", Qt::black);
    Search(Path("相册/"));
    SetTemplates("&f", "");
    SetByCategory(false);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("相册.pdf"));
    SettingsWindowForJob() = ShowSettingsWindowModal;

    bool pressed = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* window = qobject_cast<SettingsWindow*>(QApplication::activeModalWidget());
        // While the miniature is drawn OK would leave the window open.
        if (!window || pressed || App().previewBusy)
            return;
        pressed = true;
        QComboBox* printers = window->findChild<QComboBox*>(QStringLiteral("组合框_打印机列表"));
        ASSERT_NE(printers, nullptr);
        printers->setCurrentIndex(printers->findText(QString::fromUtf8(kPdfFilePrinterItem)));
        window->findChild<QPushButton*>(QStringLiteral("按钮_确定"))->click();
    });
    look.start(50);
    ClickPrint();

    EXPECT_TRUE(pressed);
    EXPECT_EQ(App().printSettings.printerName, kPdfFilePrinterItem);
    EXPECT_EQ(static_cast<int>(testing::ListPdfImages(Path("相册.pdf")).size()), 1);
    EXPECT_EQ(FindPdfWords(testing::ReadPdfWords(Path("相册.pdf")), 1, "山水").size(), 1u);
    EXPECT_EQ(Status(), "打印完毕！");
}

} // namespace
} // namespace quillet
