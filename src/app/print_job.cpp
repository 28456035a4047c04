#include "app/print_job.h"

#include "app/album_jobs.h"
#include "app/globals.h"
#include "app/job_output.h"
#include "app/settings_window.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

namespace quillet {
namespace {

constexpr std::string_view kFolderPrompt = "请选择要保存的文件夹，文件名电脑自动起：";
constexpr std::string_view kSaveAsPdfTitle = "保存为PDF文件";
constexpr std::string_view kPdfFilter = "PDF文件（*.pdf）|*.pdf";
constexpr std::string_view kDefaultPdfName = "相册";
constexpr std::string_view kJobQuestion = "将要进行新的打印作业，要继续吗？";
constexpr std::string_view kJobQuestionCaption = "提示2秒后默认继续工作。";
constexpr int kJobQuestionMilliseconds = 2000;
constexpr int kJobQuestionStyle = kMessageBoxOkCancel | kMessageBoxIconQuestion; // 33
constexpr int kFollowPauseMilliseconds = 300;

std::string DocumentsFolder()
{
    std::string folder = App().DocumentsPath;
    if (folder.empty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    if (folder.empty())
        folder = QDir::homePath().toStdString();
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

// The category names the proposed file; a '/' in it (a category typed into
// a table) would name a folder instead.
std::string ProposedPdfPath(const std::string& category)
{
    std::string name = category.empty() ? std::string(kDefaultPdfName) : category;
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return DocumentsFolder() + name + ".pdf";
}

// The run's first PDF job asks for the file, and replaces it when the user
// confirmed that in the save dialog; later ones go beside it under names
// that no file has yet.  Nothing when the user cancelled.
std::optional<PrintTarget> PdfTargetForJob(const std::string& category, PrintRun& run)
{
    if (!run.pdfFile.empty())
        return PrintTarget::PdfFile(run.pdfFile, run.nextPdfNumber);
    std::string chosen = SaveFileDialog(kSaveAsPdfTitle, kPdfFilter, ProposedPdfPath(category));
    if (chosen.empty())
        return std::nullopt;
    run.pdfFile = chosen;
    return PrintTarget::PdfFile(chosen, 1, true);
}

void ReportFailure(const JobLabel& label, const JobOutput& output, PrintRun& run)
{
    ++run.failedJobs;
    MessageBox(JobFailureText(label.name, label.firstPage, output),
               kMessageBoxOk | kMessageBoxIconExclamation, kJobFailedTitle);
}

// The window answers while the job is followed: the pause between two
// questions to CUPS is spent in the event loop.
JobFollowing FollowInWindow(const PrintRun& run)
{
    return BoundedFollowing([&run](const CupsJobStatus& status) {
        if (run.tell && !status.reason.empty())
            run.tell("打印机：" + status.reason);
        QEventLoop pause;
        QTimer::singleShot(kFollowPauseMilliseconds, &pause, &QEventLoop::quit);
        pause.exec();
    });
}

} // namespace

void ShowSettingsWindowModal()
{
    Globals& app = App();
    SettingsWindow window(app.printSettings,
                          {{app.jobPicturePaths, app.jobAspectRatios, app.jobCaptions},
                           app.jobHeaderText,
                           app.jobFooterText});
    QObject::connect(&window, &SettingsWindow::PreviewBusyChanged,
                     [](bool busy) { App().previewBusy = busy; });
    window.exec();
    app.printSettings = window.Settings();
}

std::function<void()>& SettingsWindowForJob()
{
    static std::function<void()> show = ShowSettingsWindowModal;
    return show;
}

void StoreJobSnapshot(const PictureList& job, const std::string& headerText,
                      const std::string& footerText)
{
    Globals& app = App();
    app.jobPicturePaths = job.paths;
    app.jobAspectRatios = job.aspectRatios;
    app.jobCaptions = job.captions;
    app.jobHeaderText = headerText;
    app.jobFooterText = footerText;
}

PrintSettings OpenSettingsForJob(const PictureList& job, bool store, const std::string& headerText,
                                 const std::string& footerText)
{
    if (store || !job.paths.empty())
        StoreJobSnapshot(job, headerText, footerText);
    if (const auto& show = SettingsWindowForJob())
        show();
    return App().printSettings;
}

int ConfirmWithTimeout(std::string_view caption, std::string_view text, int milliseconds, int style,
                       bool styleGiven)
{
    const std::optional<MessageBoxAnswer> answer =
        TimedMessageBox(text, caption, styleGiven ? style : 0, milliseconds);
    return answer ? SystemAnswerNumber(*answer) : kTimedOut;
}

bool AskBeforeJob()
{
    return ConfirmWithTimeout(kJobQuestionCaption, kJobQuestion, kJobQuestionMilliseconds,
                              kJobQuestionStyle, true)
           != SystemAnswerNumber(MessageBoxAnswer::Cancel);
}

int RunPrintJob(const PictureList& job, const std::string& headerText,
                const std::string& footerText, const JobLabel& label, PrintRun& run)
{
    StoreJobSnapshot(job, headerText, footerText);
    Globals& app = App();
    if (app.printSettings.printerName.empty() || !app.printSettings.confirmed)
        app.printSettings = OpenSettingsForJob(job, true, headerText, footerText);
    if (!app.printSettings.confirmed)
        return 0;

    // The job keeps its own copy: nothing it shows may change what it prints.
    const PrintSettings settings = app.printSettings;
    const JobContent content{settings, job, headerText, footerText};
    JobOutput output;
    if (settings.printToImage) {
        const std::string folder = BrowseForFolder(kFolderPrompt, 0, run.imageFolder);
        if (folder.empty())
            return 0;
        run.imageFolder = folder;
        output = RenderJobToImages(content, folder);
    } else if (settings.printerName == kPdfFilePrinterItem) {
        const std::optional<PrintTarget> target = PdfTargetForJob(label.category, run);
        if (!target) {
            run.stopped = true;
            return 0;
        }
        output = PrintJob(content, *target);
        if (output.Succeeded() && output.pdfNumber >= run.nextPdfNumber)
            run.nextPdfNumber = output.pdfNumber + 1;
    } else {
        output = PrintJob(content, PrintTarget::Queue(settings.printerName), FollowInWindow(run));
        if (output.Succeeded())
            run.cupsJobs.push_back(output.written);
        if (output.Succeeded() && !output.waiting.empty())
            run.waitingJobs.push_back(output.written + "（" + output.waiting + "）");
    }
    if (!output.Succeeded()) {
        ReportFailure(label, output, run);
        return 0;
    }
    return 1;
}

} // namespace quillet
