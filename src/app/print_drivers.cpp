#include "app/print_drivers.h"

#include "app/album_jobs.h"
#include "app/globals.h"
#include "app/job_columns.h"
#include "app/main_window.h"
#include "app/print_job.h"
#include "collect/report_list.h"
#include "print/page_layout.h"
#include "textfiles/convert.h"
#include "ui_main_window.h"
#include "widgets/dialogs.h"
#include "widgets/window.h"

#include <algorithm>
#include <optional>

namespace quillet {
namespace {

constexpr std::string_view kTooEarlyText = "搜索还未完成，此时打印是不是太早了点？";
constexpr std::string_view kTooEarlyTitle = "你性子太急了！";
constexpr std::string_view kStatusStarting = "打印程序正在初始化....";
constexpr std::string_view kStatusPrinting = "正在打印，请稍候....";
constexpr std::string_view kStatusInterrupted = "用户中断打印。";
constexpr std::string_view kStatusFinished = "打印完毕！";
constexpr std::string_view kColumnCheckTitle = "你确定你刚才的输入吗？";
constexpr int kPreviewEntries = 100;

constexpr ColumnQuestion kPathQuestion{"系统认为‘图片位置’在第 ", "请输入‘图片位置’所在的列！"};
constexpr ColumnQuestion kCategoryQuestionByCategory{"系统认为‘图片的类别’在第 ",
                                                     "请输入‘图片的类别’所在的列！"};
constexpr ColumnQuestion kCategoryQuestionByPage{"系统认为图片的‘类别’在第 ",
                                                 "请输入‘图片的类别’所在的列！"};
constexpr ColumnQuestion kCaptionQuestionByCategory{"系统认为图片‘说明文字’在第 ",
                                                    "请输入‘图片的说明文字’所在的列！。"};
constexpr ColumnQuestion kCaptionQuestionByPage{"系统认为‘图片说明文字’在第 ",
                                                "请输入‘图片的说明文字’所在的列！。"};
constexpr ColumnQuestion kPreviewPathQuestion{"系统认为‘图片位置’在第 ",
                                              "请输入图片位置所在的列！"};
constexpr ColumnQuestion kPreviewCaptionQuestion{"系统认为图片说明文字在第 ",
                                                 "请输入图片的说明文字所在的列！。"};

enum class Driver { ByCategory, ByPage };

// A run pumps window messages while it prints; a second click on a print
// button then must not start a run inside it, which would close the progress
// window (and its printer) under the running job.
bool runActive = false;

class ActiveRun {
public:
    ActiveRun() { runActive = true; }
    ~ActiveRun() { runActive = false; }
    ActiveRun(const ActiveRun&) = delete;
    ActiveRun& operator=(const ActiveRun&) = delete;
};

void SetStatus(MainWindow& window, std::string_view text)
{
    window.SetStatusText(ToQString(text));
}

ReportList ResultList(MainWindow& window)
{
    return ReportList(window.ui().超级列表框_显示);
}

std::string HeaderTemplate(MainWindow& window)
{
    return window.ui().编辑框_页眉->text().toStdString();
}

std::string FooterTemplate(MainWindow& window)
{
    return window.ui().编辑框_页脚->text().toStdString();
}

// Both drivers: nothing without rows; otherwise the columns proposed, asked
// for and checked.  The chosen columns come back 0-based, nothing when the
// user did not confirm them.
std::optional<ColumnMap> SetUpColumns(MainWindow& window, Driver driver)
{
    const ReportList list = ResultList(window);
    if (list.RowCount() == 0)
        return std::nullopt;
    SetStatus(window, kStatusStarting);
    const ColumnMap detected = DetectColumnMap(list);
    const bool byCategory = driver == Driver::ByCategory;
    ColumnMap typed;
    typed.path = AskColumn(kPathQuestion, detected.path + 1);
    typed.category = AskColumn(byCategory ? kCategoryQuestionByCategory : kCategoryQuestionByPage,
                               detected.category + 1);
    typed.caption = AskColumn(byCategory ? kCaptionQuestionByCategory : kCaptionQuestionByPage,
                              detected.caption + 1);
    if (MessageBox(ColumnCheckText(typed), kMessageBoxOkCancel | kMessageBoxIconQuestion,
                   kColumnCheckTitle)
        != MessageBoxAnswer::Ok)
        return std::nullopt;
    return ColumnMap{ZeroBasedColumn(typed.path), ZeroBasedColumn(typed.category),
                     ZeroBasedColumn(typed.caption)};
}

// How a run ends.  Every run leaves the settings unconfirmed, so that the
// next one shows the settings window again.
enum class RunEnd {
    Finished, // every job had its turn
    Interrupted, // the settings window or the save dialog was cancelled
    Cancelled, // a job's question was cancelled: no final status
};

// The jobs CUPS took, by the names lpstat shows them under.
std::string CupsJobsText(const PrintRun& run)
{
    std::string text;
    for (const std::string& job : run.cupsJobs)
        text += (text.empty() ? "打印作业：" : "、") + job;
    std::string waiting;
    for (const std::string& job : run.waitingJobs)
        waiting += (waiting.empty() ? "；在队列中等待：" : "、") + job;
    return text + waiting;
}

PrintRun NewRun(MainWindow& window)
{
    PrintRun run;
    run.tell = [&window](const std::string& text) { SetStatus(window, text); };
    return run;
}

void EndRun(MainWindow& window, RunEnd end, const PrintRun& run)
{
    App().printSettings.confirmed = 0;
    switch (end) {
    case RunEnd::Finished:
        if (run.failedJobs == 0)
            SetStatus(window, std::string(kStatusFinished) + CupsJobsText(run));
        else
            SetStatus(window, "打印结束，有" + ToText(run.failedJobs) + "个打印作业没有完成。"
                                  + CupsJobsText(run));
        break;
    case RunEnd::Interrupted: SetStatus(window, kStatusInterrupted); break;
    case RunEnd::Cancelled: break;
    }
}

// The templates of the job as typed now, stored as the job's snapshot.
void StoreJobTemplates(const std::string& header, const std::string& footer)
{
    App().jobHeaderText = header;
    App().jobFooterText = footer;
}

} // namespace

void PrintButtonHandler(MainWindow& window)
{
    if (runActive)
        return;
    if (!App().SearchFinished) {
        MessageBox(kTooEarlyText, kMessageBoxOk | kMessageBoxSystemModal, kTooEarlyTitle);
        return;
    }
    if (window.ui().选择框_按文件夹分类->isChecked())
        PrintByCategory(window);
    else
        PrintByPage(window);
}

void PrintByCategory(MainWindow& window)
{
    const std::optional<ColumnMap> columns = SetUpColumns(window, Driver::ByCategory);
    if (!columns)
        return;
    const ActiveRun active;
    const std::vector<AlbumJob> jobs =
        SplitIntoCategoryRuns(ReadAlbumRows(ResultList(window), *columns), true);
    PrintRun run = NewRun(window);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const AlbumJob& job = jobs[i];
        const bool last = i + 1 == jobs.size();
        // Said when the next category begins, as the rows are read.
        if (!last)
            SetStatus(window, kStatusPrinting);
        const std::string header = ReplaceCategoryCode(HeaderTemplate(window), job.category);
        const std::string footer = ReplaceCategoryCode(FooterTemplate(window), job.category);
        StoreJobTemplates(header, footer);
        if (!AskBeforeJob())
            return EndRun(window, RunEnd::Cancelled, run);
        const JobLabel label{"分类“" + job.category + "”的打印作业", job.category, 1};
        RunPrintJob(job.pictures, header, footer, label, run);
        // The settings window cancelled ends the run, the last category too.
        if (run.stopped || !App().printSettings.confirmed)
            return EndRun(window, RunEnd::Interrupted, run);
    }
    EndRun(window, RunEnd::Finished, run);
}

void PrintByPage(MainWindow& window)
{
    const std::optional<ColumnMap> columns = SetUpColumns(window, Driver::ByPage);
    if (!columns)
        return;
    const ActiveRun active;
    if (!App().printSettings.confirmed)
        OpenSettingsForJob({}, false, {}, {});

    const PrintSettings& settings = App().printSettings;
    const std::vector<AlbumJob> pages =
        SplitIntoPageBatches(ReadAlbumRows(ResultList(window), *columns),
                             CellsPerPage(settings.rows, settings.columns), true);
    const int pageTotal = static_cast<int>(pages.size());
    PrintRun run = NewRun(window);
    for (int page = 0; page < pageTotal; ++page) {
        if (!App().printSettings.confirmed)
            return EndRun(window, RunEnd::Interrupted, run);
        SetStatus(window, kStatusPrinting);
        ProcessPendingMessages();
        const AlbumJob& job = pages[static_cast<std::size_t>(page)];
        const std::string header =
            ReplacePageJobCodes(HeaderTemplate(window), pageTotal, job.category, page + 1);
        const std::string footer =
            ReplacePageJobCodes(FooterTemplate(window), pageTotal, job.category, page + 1);
        StoreJobTemplates(header, footer);
        if (!AskBeforeJob())
            return EndRun(window, RunEnd::Cancelled, run);
        const JobLabel label{"第" + ToText(page + 1) + "页的打印作业", job.category, page + 1};
        RunPrintJob(job.pictures, header, footer, label, run);
        if (run.stopped)
            return EndRun(window, RunEnd::Interrupted, run);
    }
    EndRun(window, RunEnd::Finished, run);
}

void PreviewAndSettings(MainWindow& window)
{
    if (runActive)
        return;
    const ReportList list = ResultList(window);
    const ColumnMap detected = DetectColumnMap(list);
    const int pathColumn = ZeroBasedColumn(AskColumn(kPreviewPathQuestion, detected.path + 1));
    const int captionColumn =
        ZeroBasedColumn(AskColumn(kPreviewCaptionQuestion, detected.caption + 1));

    PictureList job;
    job.paths.assign(kPreviewEntries, std::string());
    job.captions.assign(kPreviewEntries, std::string());
    const int filled = std::min(kPreviewEntries, list.RowCount());
    for (int row = 0; row < filled; ++row) {
        job.paths[static_cast<std::size_t>(row)] = list.CellText(row, pathColumn);
        job.captions[static_cast<std::size_t>(row)] = list.CellText(row, captionColumn);
    }
    const std::string category = list.CellText(0, detected.category);
    OpenSettingsForJob(job, true, ReplaceCategoryCode(HeaderTemplate(window), category),
                       ReplaceCategoryCode(FooterTemplate(window), category));
}

void AttachPrintButtons(MainWindow& window)
{
    Ui::MainWindow& ui = window.ui();
    QObject::connect(ui.按钮_文件夹准备打印, &QPushButton::clicked, &window,
                     [&window] { PrintButtonHandler(window); });
    QObject::connect(ui.按钮_打印预览, &QPushButton::clicked, &window,
                     [&window] { PreviewAndSettings(window); });
}

} // namespace quillet
