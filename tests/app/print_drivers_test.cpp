// The two print buttons of the real main window: columns proposed and
// checked, rows split into jobs, a timed question before each job, the
// settings window opened until confirmed, and what the status bar says.
// Jobs print into PDF files ("保存为PDF文件"), read back with poppler.
#include "app/globals.h"
#include "app/print_drivers.h"
#include "app/print_job.h"
#include "app/settings_window.h"
#include "print_run_fixture.h"
#include "support/cups_queues.h"
#include "support/full_disk.h"
#include "support/pdf_tools.h"
#include "support/scripted_dialogs.h"
#include "widgets/message_box_style.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace quillet {
namespace {

using testing::FindPdfWords;
using testing::PrintRunFixture;
using SettingsAnswer = PrintRunFixture::SettingsAnswer;

constexpr const char* kJobQuestion = "将要进行新的打印作业，要继续吗？";
constexpr const char* kJobQuestionCaption = "提示2秒后默认继续工作。";

int ImageCount(const std::string& pdf)
{
    return static_cast<int>(testing::ListPdfImages(pdf).size());
}

bool HasWord(const std::string& pdf, int page, const std::string& word)
{
    return !FindPdfWords(testing::ReadPdfWords(pdf), page, word).empty();
}

class PrintDrivers : public ::testing::Test, public PrintRunFixture {
protected:
    // n pictures, in the given categories, in one colour each.
    void Pictures(const std::vector<std::string>& categories)
    {
        std::vector<std::pair<std::string, std::string>> rows;
        for (std::size_t i = 0; i < categories.size(); ++i) {
            const QString name = QString("p%1.jpg").arg(i + 1);
            rows.emplace_back(
                testing::WriteTestJpeg(QString::fromStdString(Path(name.toStdString())), Qt::black),
                categories[i]);
        }
        FillPictures(rows);
    }
};

TEST_F(PrintDrivers, CategoriesAreRunsOfRowsEachAJobAfterItsTimedQuestion)
{
    Pictures({"山水", "山水", "花鸟", "山水"});
    SetTemplates("&F 第&p页/共&a页", "&f");
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(std::nullopt); // left alone: goes on like OK
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(std::nullopt);
    const std::string pdf = Path("相册.pdf");
    dialogs.AnswerSaveFileDialog(pdf);
    ClickPrint();

    const auto questions = Asked(DialogKind::TimedMessageBox);
    ASSERT_EQ(questions.size(), 3u);
    for (const DialogRequest& question : questions) {
        EXPECT_EQ(question.text, kJobQuestion);
        EXPECT_EQ(question.title, kJobQuestionCaption);
        EXPECT_EQ(question.style, 33);
        EXPECT_EQ(question.milliseconds, 2000);
    }
    // Asked once, for the run's first job, proposing its category.
    const auto saves = Asked(DialogKind::SaveFileDialog);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].title, "保存为PDF文件");
    EXPECT_EQ(saves[0].filter, "PDF文件（*.pdf）|*.pdf");
    EXPECT_EQ(saves[0].initialText, Path("山水.pdf"));

    // The settings window opened once, over the first job.
    ASSERT_EQ(openings.size(), 1u);
    EXPECT_EQ(openings[0].paths.size(), 2u);
    EXPECT_EQ(openings[0].header, "山水 第&p页/共&a页");

    const std::vector<std::pair<std::string, int>> jobs{
        {pdf, 2}, {Path("相册-2.pdf"), 1}, {Path("相册-3.pdf"), 1}};
    const char* categories[] = {"山水", "花鸟", "山水"};
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const auto& [file, pictures] = jobs[i];
        const auto info = testing::ReadPdfInfo(file);
        ASSERT_TRUE(info) << file;
        EXPECT_EQ(info->pages, 1) << file;
        EXPECT_EQ(ImageCount(file), pictures) << file;
        EXPECT_TRUE(HasWord(file, 1, categories[i])) << file;
        EXPECT_TRUE(HasWord(file, 1, "第1页/共1页")) << file << ": page codes count within the job";
    }
    EXPECT_EQ(Status(), "打印完毕！");
    EXPECT_EQ(App().printSettings.confirmed, 0) << "the next run shows the settings again";
    EXPECT_EQ(dialogs.UnansweredCount(), 0);
}

TEST_F(PrintDrivers, PageByPageFillsTotalCategoryAndPageIntoEachPagesJob)
{
    Pictures({"a", "a", "a", "甲", "b", "b", "乙"});
    SetTemplates("&F 第&p页/共&A页", "");
    SetByCategory(false);
    App().jobPicturePaths = {"earlier job"};
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("pages.pdf"));
    ClickPrint();

    // Opened before the first page, with no job data: the earlier job stays.
    ASSERT_EQ(openings.size(), 1u);
    EXPECT_EQ(openings[0].paths, std::vector<std::string>{"earlier job"});
    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 2u);
    EXPECT_EQ(Asked(DialogKind::SaveFileDialog)[0].initialText, Path("甲.pdf"));

    EXPECT_EQ(ImageCount(Path("pages.pdf")), 4);
    EXPECT_TRUE(HasWord(Path("pages.pdf"), 1, "甲"));
    EXPECT_TRUE(HasWord(Path("pages.pdf"), 1, "第1页/共2页"));
    EXPECT_EQ(ImageCount(Path("pages-2.pdf")), 3);
    EXPECT_TRUE(HasWord(Path("pages-2.pdf"), 1, "乙"));
    EXPECT_TRUE(HasWord(Path("pages-2.pdf"), 1, "第2页/共2页"));
    EXPECT_EQ(App().jobHeaderText, "乙 第2页/共2页");
    EXPECT_EQ(Status(), "打印完毕！");
}

TEST_F(PrintDrivers, CancellingATimedQuestionEndsTheRunWithoutAFinalStatus)
{
    Pictures({"A", "B"});
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Cancel);
    ClickPrint();
    EXPECT_TRUE(openings.empty());
    EXPECT_TRUE(Asked(DialogKind::SaveFileDialog).empty());
    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 1u);
    EXPECT_EQ(Status(), "正在打印，请稍候....");
}

TEST_F(PrintDrivers, CancellingTheColumnCheckPrintsNothing)
{
    Pictures({"A"});
    for (int i = 0; i < 3; ++i)
        dialogs.AnswerInputBox(std::nullopt);
    dialogs.AnswerMessageBox(MessageBoxAnswer::Cancel);
    ClickPrint();
    EXPECT_TRUE(Asked(DialogKind::TimedMessageBox).empty());
    EXPECT_TRUE(openings.empty());
    EXPECT_EQ(Status(), "打印程序正在初始化....");
}

TEST_F(PrintDrivers, NoRowsDoesNothing)
{
    const std::string before = Status();
    ClickPrint();
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_EQ(Status(), before);
}

TEST_F(PrintDrivers, PrintingWhileTheSearchRunsIsTooEarly)
{
    Pictures({"A"});
    App().SearchFinished = false;
    ClickPrint();
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    const DialogRequest& box = dialogs.Requests()[0];
    EXPECT_EQ(box.text, "搜索还未完成，此时打印是不是太早了点？");
    EXPECT_EQ(box.title, "你性子太急了！");
    EXPECT_EQ(box.style, kMessageBoxSystemModal);
}

TEST_F(PrintDrivers, PreviewHandsTheSettingsWindowAHundredEntries)
{
    Pictures({"风景", "B", "C"});
    SetTemplates("&F页眉", "&f");
    dialogs.AnswerInputBox(std::nullopt);
    dialogs.AnswerInputBox(std::nullopt);
    App().SearchFinished = false; // the preview needs no finished search
    ClickPreview();

    const auto prompts = Asked(DialogKind::InputBox);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text, "系统认为‘图片位置’在第 2 列，你也可以手工输入：");
    EXPECT_EQ(prompts[0].title, "请输入图片位置所在的列！");
    EXPECT_EQ(prompts[1].text, "系统认为图片说明文字在第 4 列，你也可以手工输入：");
    EXPECT_EQ(prompts[1].title, "请输入图片的说明文字所在的列！。");
    EXPECT_TRUE(Asked(DialogKind::MessageBox).empty()) << "no column check";

    ASSERT_EQ(openings.size(), 1u);
    ASSERT_EQ(openings[0].paths.size(), 100u);
    ASSERT_EQ(openings[0].captions.size(), 100u);
    EXPECT_EQ(openings[0].paths[2], Path("p3.jpg"));
    EXPECT_EQ(openings[0].captions[2], "Photo3");
    EXPECT_EQ(std::count(openings[0].paths.begin(), openings[0].paths.end(), ""), 97);
    EXPECT_EQ(openings[0].header, "风景页眉");
    EXPECT_EQ(openings[0].footer, "风景");
}

// Column set-up: what is proposed, how typed numbers are read, what the
// check question shows.  Each case cancels the check, so nothing prints.
struct ColumnCase {
    const char* name;
    std::vector<std::string> titles;
    bool byCategory;
    std::vector<std::optional<std::string>> typed; // path, category, caption
    std::vector<std::string> proposed; // the input boxes' texts
    const char* check;
};

void PrintTo(const ColumnCase& c, std::ostream* os)
{
    *os << c.name;
}

class ColumnSetUp : public PrintDrivers, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(ColumnSetUp, ProposesReadsAndChecks)
{
    const ColumnCase& c = GetParam();
    FillList(c.titles, {std::vector<std::string>(c.titles.size(), "x")});
    SetByCategory(c.byCategory);
    for (const auto& typed : c.typed)
        dialogs.AnswerInputBox(typed);
    dialogs.AnswerMessageBox(MessageBoxAnswer::Cancel);
    ClickPrint();

    const auto inputs = Asked(DialogKind::InputBox);
    ASSERT_EQ(inputs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(inputs[i].initialText, c.proposed[i]);
        EXPECT_TRUE(inputs[i].text.ends_with(" " + c.proposed[i] + " 列，你也可以手工输入："));
    }
    const auto checks = Asked(DialogKind::MessageBox);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].text, c.check);
    EXPECT_EQ(checks[0].title, "你确定你刚才的输入吗？");
    EXPECT_EQ(checks[0].style, kMessageBoxOkCancel | kMessageBoxIconQuestion);
    EXPECT_TRUE(openings.empty());
}

INSTANTIATE_TEST_SUITE_P(
    PrintDrivers, ColumnSetUp,
    ::testing::Values(
        ColumnCase{"FolderSearchTitles",
                   {"序号", "图片名全称", "图片类别", "图片说明"},
                   true,
                   {{}, {}, {}},
                   {"2", "3", "4"},
                   "要打印的‘图片的位置’在第 2 列，‘图片说明’在第 4 列，‘图片的分类’在第 3 列。"},
        ColumnCase{"OtherTitlesProposeTwoThreeFour",
                   {"甲", "乙", "丙", "丁", "戊"},
                   false,
                   {{}, {}, {}},
                   {"2", "3", "4"},
                   "要打印的‘图片的位置’在第 2 列，‘图片说明’在第 4 列，‘图片的分类’在第 3 列。"},
        ColumnCase{"WholeTitlesOnlyAndTheLastMatchWins",
                   {"图片说明", "图片名全称 ", "图片类别", "图片名全称", "图片说明"},
                   true,
                   {{}, {}, {}},
                   {"4", "3", "5"},
                   "要打印的‘图片的位置’在第 4 列，‘图片说明’在第 5 列，‘图片的分类’在第 3 列。"},
        ColumnCase{"TypedTextIsReadLikeAtoi",
                   {"序号", "图片名全称", "图片类别", "图片说明"},
                   false,
                   {"7列", "abc", std::nullopt},
                   {"2", "3", "4"},
                   "要打印的‘图片的位置’在第 7 列，‘图片说明’在第 4 列，‘图片的分类’在第 0 列。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintDrivers, ThePromptsAreWordedByDriver)
{
    Pictures({"A"});
    for (bool byCategory : {true, false}) {
        SetByCategory(byCategory);
        dialogs.AnswerMessageBox(MessageBoxAnswer::Cancel);
        ClickPrint(); // unanswered input boxes keep their proposals
    }
    const auto inputs = Asked(DialogKind::InputBox);
    ASSERT_EQ(inputs.size(), 6u);
    EXPECT_EQ(inputs[0].text, "系统认为‘图片位置’在第 2 列，你也可以手工输入：");
    EXPECT_EQ(inputs[0].title, "请输入‘图片位置’所在的列！");
    EXPECT_EQ(inputs[1].text, "系统认为‘图片的类别’在第 3 列，你也可以手工输入：");
    EXPECT_EQ(inputs[1].title, "请输入‘图片的类别’所在的列！");
    EXPECT_EQ(inputs[2].text, "系统认为图片‘说明文字’在第 4 列，你也可以手工输入：");
    EXPECT_EQ(inputs[2].title, "请输入‘图片的说明文字’所在的列！。");
    EXPECT_EQ(inputs[3].text, inputs[0].text);
    EXPECT_EQ(inputs[4].text, "系统认为图片的‘类别’在第 3 列，你也可以手工输入：");
    EXPECT_EQ(inputs[4].title, inputs[1].title);
    EXPECT_EQ(inputs[5].text, "系统认为‘图片说明文字’在第 4 列，你也可以手工输入：");
    EXPECT_EQ(inputs[5].title, inputs[2].title);
}

// A column typed outside the list (0, negative, past the last column, or
// past the end of the integer range) names no column: its cells read empty.
TEST_F(PrintDrivers, ColumnsOutsideTheListReadAsEmptyCells)
{
    Pictures({"A", "A"});
    SetTemplates("&f|", "");
    SetByCategory(true);
    dialogs.AnswerInputBox("99");
    dialogs.AnswerInputBox("-99999999999");
    dialogs.AnswerInputBox("0");
    dialogs.AnswerMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("empty.pdf"));
    ClickPrint();

    ASSERT_EQ(openings.size(), 1u);
    EXPECT_EQ(openings[0].paths, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(openings[0].captions, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(openings[0].header, "|");
    EXPECT_EQ(Asked(DialogKind::SaveFileDialog)[0].initialText, Path("相册.pdf")) << "no category";
    EXPECT_EQ(ImageCount(Path("empty.pdf")), 0);
    EXPECT_EQ(Status(), "打印完毕！");
}

class SettingsCancelled : public PrintDrivers, public ::testing::WithParamInterface<bool> {};

// Page by page before the first page; by category at its job, the last
// category included.
TEST_P(SettingsCancelled, InterruptsTheRun)
{
    Pictures({"A"});
    SetByCategory(GetParam());
    AnswerColumnsAsProposed();
    if (GetParam())
        dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    settingsAnswers = {SettingsAnswer::Cancel};
    ClickPrint();
    EXPECT_EQ(openings.size(), 1u);
    EXPECT_EQ(Status(), "用户中断打印。");
    EXPECT_TRUE(Asked(DialogKind::SaveFileDialog).empty());
    EXPECT_EQ(App().printSettings.confirmed, 0);
    EXPECT_EQ(dialogs.UnansweredCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(PrintDrivers, SettingsCancelled, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ByCategory" : "ByPage"; });

TEST_F(PrintDrivers, CancellingTheSaveDialogPrintsNothingForTheRun)
{
    Pictures({"A", "B"});
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    ClickPrint(); // the save dialog unanswered: cancelled
    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 1u);
    EXPECT_EQ(Status(), "用户中断打印。");
    EXPECT_EQ(App().printSettings.confirmed, 0);
    EXPECT_TRUE(QDir(QString::fromStdString(Path(""))).entryList({"*.pdf"}).isEmpty());
}

TEST_F(PrintDrivers, FurtherPdfFilesNeverReplaceAnExistingFile)
{
    Pictures({"A", "B"});
    SetByCategory(true);
    QFile existing(QString::fromStdString(Path("album-2.pdf")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("kept");
    existing.close();
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("album.pdf"));
    ClickPrint();
    EXPECT_EQ(QFileInfo(QString::fromStdString(Path("album-2.pdf"))).size(), 4);
    EXPECT_TRUE(HasWord(Path("album-3.pdf"), 1, "Photo2"));
    EXPECT_EQ(Status(), "打印完毕！");
}

// A grid stored as 0 rows is laid out 5 x 5: one page of all 7 pictures,
// with "&a" 1, and no division by zero.
TEST_F(PrintDrivers, AGridOfNoRowsPrintsPagesOfTheLaidOutGrid)
{
    Pictures({"A", "A", "A", "A", "A", "A", "A"});
    SetTemplates("第&p页/共&a页", "");
    storeOnOk = [](PrintSettings& s) {
        testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
        s.rows = 0;
    };
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("grid.pdf"));
    ClickPrint();
    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 1u);
    EXPECT_EQ(ImageCount(Path("grid.pdf")), 7);
    EXPECT_TRUE(HasWord(Path("grid.pdf"), 1, "第1页/共1页"));
}

TEST_F(PrintDrivers, APaperOfNoSizePrintsOnA4)
{
    Pictures({"A"});
    storeOnOk = [](PrintSettings& s) {
        testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
        s.paperWidth = 0;
        s.paperHeight = -5;
    };
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerSaveFileDialog(Path("a4.pdf"));
    ClickPrint();
    const auto info = testing::ReadPdfInfo(Path("a4.pdf"));
    ASSERT_TRUE(info);
    EXPECT_NEAR(info->pageWidth, testing::PointsFromMillimetres(210), 1);
    EXPECT_NEAR(info->pageHeight, testing::PointsFromMillimetres(297), 1);
    EXPECT_EQ(ImageCount(Path("a4.pdf")), 1);
    EXPECT_EQ(App().printSettings.paperWidth, 0) << "the record keeps what was typed";
}

// A failing job is told, named, with what failed and the pages not written;
// the run goes on and ends saying how many jobs failed.
struct FailureCase {
    const char* name;
    std::function<void(PrintRunFixture&)> arrange;
    const char* firstMessage;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class FailingJobs : public PrintDrivers, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailingJobs, AreToldAndCountedWhileTheRunGoesOn)
{
    Pictures({"山", "山", "山", "山", "山", "水"});
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    GetParam().arrange(*this);
    if (IsSkipped() || HasFatalFailure())
        return;
    ClickPrint();

    const auto messages = Asked(DialogKind::MessageBox);
    ASSERT_EQ(messages.size(), 3u) << "the column check, then one per failed job";
    EXPECT_EQ(messages[1].title, "打印出错");
    EXPECT_EQ(messages[1].style, kMessageBoxOk | kMessageBoxIconExclamation);
    EXPECT_TRUE(messages[1].text.starts_with(GetParam().firstMessage)) << messages[1].text;
    EXPECT_TRUE(messages[2].text.starts_with("分类“水”的打印作业没有完成：")) << messages[2].text;
    EXPECT_EQ(Asked(DialogKind::TimedMessageBox).size(), 2u);
    EXPECT_EQ(Status(), "打印结束，有2个打印作业没有完成。");
    EXPECT_EQ(App().printSettings.confirmed, 0);
}

INSTANTIATE_TEST_SUITE_P(
    PrintDrivers, FailingJobs,
    ::testing::Values(
        FailureCase{"NoSuchPrinter",
                    [](PrintRunFixture& f) {
                        f.storeOnOk = [](PrintSettings& s) {
                            testing::StoreAlbumSettings(s, "QUILLET_NO_SUCH_QUEUE");
                        };
                    },
                    "分类“山”的打印作业没有完成：找不到打印机“QUILLET_NO_SUCH_QUEUE”。\r\n"
                    "没有打印的页：第1页至第2页。"},
        FailureCase{"PdfFileCannotBeWritten",
                    [](PrintRunFixture& f) {
                        f.dialogs.AnswerSaveFileDialog("/nonexistent-quillet/相册.pdf");
                    },
                    // The folder's own reason, not a full disk.
                    "分类“山”的打印作业没有完成：无法写入PDF文件“/nonexistent-quillet/相册.pdf”"
                    "（文件无法写入 / could not be written: No such file or directory）。\r\n"
                    "没有打印的页：第1页至第2页。"},
        // A queue that refuses jobs (cupsreject) takes no document: CUPS says why.
        FailureCase{"QueueRefusesJobs",
                    [](PrintRunFixture& f) {
                        static std::unique_ptr<testing::ThrowAwayQueue> queue;
                        queue = std::make_unique<testing::ThrowAwayQueue>(f.Path("refused.pdf"));
                        ASSERT_TRUE(queue->Ready());
                        ASSERT_TRUE(queue->Reject());
                        f.storeOnOk = [name = queue->Name()](PrintSettings& s) {
                            testing::StoreAlbumSettings(s, name);
                        };
                    },
                    "分类“山”的打印作业没有完成：打印机“QUILLET_TMP_"},
        // A paper the printer does not offer is refused before anything is
        // sent, naming the papers in the order the scheduler lists them.
        FailureCase{"PaperThePrinterLacks",
                    [](PrintRunFixture& f) {
                        f.storeOnOk = [](PrintSettings& s) {
                            testing::StoreAlbumSettings(s, testing::kOfficeQueue);
                            s.paperWidth = 1020;
                            s.paperHeight = 1520;
                        };
                    },
                    "分类“山”的打印作业没有完成：打印机“QUILLET_OFFICE”没有这种纸张，它能用的纸张："
                    "A4、Env10、EnvDL、Legal、Letter。"},
        // A job CUPS cancels while the printer is still at it is a failed one.
        FailureCase{
            "CancelledInCupsWhilePrinting",
            [](PrintRunFixture& f) {
                if (!std::getenv("QUILLET_REQUIRE_CUPS")
                    && testing::RunTool("lpstat", {"-v", testing::kOfficeQueue}).empty())
                    GTEST_SKIP() << "no queue " << testing::kOfficeQueue;
                static std::unique_ptr<testing::QueueLock> lock;
                lock = std::make_unique<testing::QueueLock>();
                // Every job of the run is cancelled once CUPS lists it.
                auto* canceller = new QTimer(qApp);
                QObject::connect(canceller, &QTimer::timeout, [] {
                    if (!testing::RunTool("lpstat", {"-o", testing::kOfficeQueue}).empty())
                        testing::RunTool("cancel", {"-a", testing::kOfficeQueue});
                });
                canceller->start(100);
                f.storeOnOk = [](PrintSettings& s) {
                    testing::StoreAlbumSettings(s, testing::kOfficeQueue);
                };
            },
            "分类“山”的打印作业没有完成：打印机“QUILLET_OFFICE”没有打印作业QUILLET_OFFICE-"},
        // On a full disk the good file is kept, and the job is not "written".
        FailureCase{"PdfOnAFullDisk",
                    [](PrintRunFixture& f) {
                        static std::unique_ptr<testing::SmallDisk> disk;
                        disk = std::make_unique<testing::SmallDisk>(f.Path("disk"), 8);
                        if (!disk->Mounted())
                            GTEST_SKIP() << "mounting a tmpfs needs root";
                        QFile good(QString::fromStdString(disk->Path("相册.pdf")));
                        ASSERT_TRUE(good.open(QIODevice::WriteOnly));
                        good.write("good");
                        good.close();
                        f.dialogs.AnswerSaveFileDialog(disk->Path("相册.pdf"));
                    },
                    "分类“山”的打印作业没有完成：无法写入PDF文件“"},
        // A page-file canvas beyond memory is refused before anything is drawn.
        FailureCase{"PaperTooLargeForPageFiles",
                    [](PrintRunFixture& f) {
                        f.storeOnOk = [](PrintSettings& s) {
                            testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
                            s.printToImage = 1;
                            s.paperWidth = 30000;
                            s.paperHeight = 30000;
                        };
                        f.dialogs.AnswerBrowseForFolder(f.Path(""));
                        f.dialogs.AnswerBrowseForFolder(f.Path(""));
                    },
                    "分类“山”的打印作业没有完成：纸张太大，页面文件最多1亿像素（A0"},
        FailureCase{"PageFilesCannotBeWritten",
                    [](PrintRunFixture& f) {
                        f.storeOnOk = [](PrintSettings& s) {
                            testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
                            s.printToImage = 1;
                        };
                        // A file where the folder should be.
                        QFile file(QString::fromStdString(f.Path("not-a-folder")));
                        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
                        f.dialogs.AnswerBrowseForFolder(f.Path("not-a-folder"));
                        f.dialogs.AnswerBrowseForFolder(f.Path("not-a-folder"));
                    },
                    "分类“山”的打印作业没有完成：下面的页面文件无法写入：\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintDrivers, PageImagesOfARunOpenTheFolderBrowserWhereItLastWas)
{
    Pictures({"A", "B", "C"});
    SetByCategory(true);
    storeOnOk = [](PrintSettings& s) {
        testing::StoreAlbumSettings(s, kPdfFilePrinterItem);
        s.printToImage = 1;
    };
    const std::string folder = Path("pages");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    AnswerColumnsAsProposed();
    for (int i = 0; i < 3; ++i)
        dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Ok);
    dialogs.AnswerBrowseForFolder(folder);
    dialogs.AnswerBrowseForFolder(""); // cancelled: that job is skipped, silently
    dialogs.AnswerBrowseForFolder(folder);
    ClickPrint();

    const auto browsers = Asked(DialogKind::BrowseForFolder);
    ASSERT_EQ(browsers.size(), 3u);
    EXPECT_EQ(browsers[0].text, "请选择要保存的文件夹，文件名电脑自动起：");
    EXPECT_EQ(browsers[0].initialText, "");
    EXPECT_EQ(browsers[1].initialText, folder);
    EXPECT_EQ(browsers[2].initialText, folder);
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList({"*.jpg"}).size(), 2);
    EXPECT_EQ(Asked(DialogKind::MessageBox).size(), 1u) << "a skipped job is no failure";
    EXPECT_EQ(Status(), "打印完毕！");
}

// While a run waits or prints, the window still takes clicks; a print
// button then must not start a second run inside the first.
TEST_F(PrintDrivers, TheButtonsDoNothingWhileARunIsUnderWay)
{
    Pictures({"A", "B"});
    SetByCategory(true);
    AnswerColumnsAsProposed();
    dialogs.AnswerTimedMessageBox(MessageBoxAnswer::Cancel);
    std::size_t askedBefore = 0;
    dialogs.SetOnRequest([&](const DialogRequest& request) {
        if (request.kind != DialogKind::TimedMessageBox)
            return;
        askedBefore = dialogs.Requests().size();
        ClickPrint();
        ClickPreview();
    });
    ClickPrint();
    EXPECT_EQ(dialogs.Requests().size(), askedBefore);
    EXPECT_TRUE(openings.empty());
}

// The timed question answers in the system's numbers, whatever the dialog
// seam calls them.
TEST(ConfirmWithTimeout, AnswersInTheSystemsNumbers)
{
    const std::vector<std::pair<std::optional<MessageBoxAnswer>, int>> cases = {
        {MessageBoxAnswer::Ok, 1}, {MessageBoxAnswer::Cancel, 2}, {MessageBoxAnswer::Yes, 6},
        {MessageBoxAnswer::No, 7}, {std::nullopt, kTimedOut},
    };
    for (const auto& [answer, number] : cases) {
        ScriptedDialogProvider provider;
        ScopedDialogProvider scope(provider);
        provider.AnswerTimedMessageBox(answer);
        EXPECT_EQ(ConfirmWithTimeout("提示", "要继续吗？", 2000, 33, true), number);
        ASSERT_EQ(provider.Requests().size(), 1u);
        EXPECT_EQ(provider.Requests()[0].style, 33);
    }
}

} // namespace
} // namespace quillet
