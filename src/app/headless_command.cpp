#include "app/headless_command.h"

#include "app/album_jobs.h"
#include "app/album_output.h"
#include "app/globals.h"
#include "collect/folder_walk.h"
#include "imageout/picture_load_problems.h"
#include "print/render_pages.h"
#include "runtime/convert.h"
#include "runtime/file_names.h"
#include "runtime/files.h"
#include "runtime/fonts.h"
#include "runtime/printer_queries.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>
#include <ostream>
#include <set>

namespace quillet {
namespace {

// A file named on the command line, by the bytes it was named with: its
// folder's name is the category and its name without extension the caption.
AlbumRow RowForFile(const std::string& absolutePath)
{
    const std::size_t slash = absolutePath.rfind('/');
    const std::string folder = absolutePath.substr(0, slash);
    const std::string folderName = folder.substr(folder.rfind('/') + 1);
    return AlbumRow{absolutePath, DisplayName(folderName),
                    DisplayName(SplitPictureName(absolutePath.substr(slash + 1)).caption)};
}

std::string ProblemText(PictureLoadProblem problem)
{
    switch (problem) {
    case PictureLoadProblem::Missing: return "找不到文件 / no such file";
    case PictureLoadProblem::NotAFile: return "不是文件 / not a file";
    case PictureLoadProblem::Unreadable: return "无法读取 / cannot be read";
    case PictureLoadProblem::Damaged:
        return "不是能读的图片或已损坏 / not a readable picture, or damaged";
    case PictureLoadProblem::TooLarge: return "图片太大 / too large";
    case PictureLoadProblem::UnusableColourProfile:
        return "颜色配置文件无法使用，按原样显示颜色 / colour profile unusable, colours left as "
               "stored";
    }
    return {};
}

// Collects the pictures that could not be loaded, or whose colour profile
// could not be used, while the pages are made, to name each once, in album
// order, when they are done.  Empty cells and unconverted colours still give
// written pages, so the exit code is not touched.
class UnloadedPictures {
public:
    UnloadedPictures()
        : watch_([this](const std::string& path, PictureLoadProblem problem) {
              const std::lock_guard lock(mutex_);
              problems_.emplace(path, problem);
          })
    {}

    void Report(const std::vector<AlbumRow>& rows, std::ostream& err)
    {
        const std::lock_guard lock(mutex_);
        std::set<std::string> named;
        for (const AlbumRow& row : rows) {
            const auto found = problems_.find(row.path);
            if (found == problems_.end() || !named.insert(row.path).second)
                continue;
            // A picture whose profile is unusable is on the page all the same.
            const char* lead = found->second == PictureLoadProblem::UnusableColourProfile
                                   ? "图片颜色未转换 / picture colours not converted: "
                                   : "无法载入图片 / could not load picture: ";
            err << lead << DisplayPath(row.path) << " (" << ProblemText(found->second) << ")"
                << std::endl;
        }
    }

private:
    std::mutex mutex_;
    std::map<std::string, PictureLoadProblem> problems_;
    PictureLoadProblemWatch watch_; // last: stops listening before the map goes
};

int RenderJobs(const CommandOptions& options, const std::vector<AlbumJob>& jobs, std::ostream& out,
               std::ostream& err)
{
    const QString folder = QString::fromStdString(options.outDir);
    if (!QDir().mkpath(folder)) {
        err << "无法创建输出文件夹 / cannot create the output folder: " << options.outDir << '\n';
        return kCommandOutputFailed;
    }
    const std::string outDir = QFileInfo(folder).absoluteFilePath().toStdString();
    bool failed = false;
    PageFileProgress progress;
    progress.pageWritten = [&](const std::string& file) { out << file << std::endl; };
    progress.pageFailed = [&](const std::string& file) {
        err << "无法写入 / could not write: " << file << std::endl;
    };
    for (const AlbumJob& job : jobs) {
        Canvas canvas;
        const RenderPagesResult result = RenderPagesOnCanvas(
            PageJob{App().printSettings, job.pictures, job.headerText, job.footerText}, outDir,
            canvas, progress);
        failed = failed || !result.Succeeded();
    }
    return failed ? kCommandOutputFailed : kCommandSucceeded;
}

int PrintJobs(const CommandOptions& options, const std::vector<AlbumJob>& jobs, std::ostream& out,
              std::ostream& err)
{
    PrintSettings& settings = App().printSettings;
    if (!options.printer.empty()) {
        const std::vector<std::string> printers = InstalledPrinters();
        if (std::find(printers.begin(), printers.end(), options.printer) == printers.end()) {
            err << "没有这台打印机 / no such printer: " << options.printer << '\n';
            return kCommandUsageError;
        }
    }
    settings.printerName = options.printer;
    settings.defaultPrinterName = DefaultPrinterName();

    bool failed = false;
    for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
        const AlbumJob& job = jobs[i];
        std::string pdf;
        if (!options.pdfFile.empty()) {
            pdf = QFileInfo(QString::fromStdString(NumberedPdfName(options.pdfFile, i)))
                      .absoluteFilePath()
                      .toStdString();
            SetPdfFileDestination(pdf);
        }
        const bool printed =
            PrintPicturePages(PageJob{settings, job.pictures, job.headerText, job.footerText}) == 1;
        if (!printed) {
            failed = true;
            err << "打印作业无法开始 / the print job could not start: "
                << (pdf.empty() ? options.printer : pdf) << std::endl;
        } else if (!pdf.empty()) {
            out << pdf << std::endl;
        }
    }
    SetPdfFileDestination("");
    return failed ? kCommandOutputFailed : kCommandSucceeded;
}

} // namespace

std::optional<std::vector<AlbumRow>> CollectAlbumRows(const CommandOptions& options,
                                                      std::string& error)
{
    std::vector<AlbumRow> rows;
    if (!options.tableFile.empty()) {
        if (!FileExists(options.tableFile)) {
            error = "找不到表格文件 / table file not found: " + options.tableFile;
            return std::nullopt;
        }
        const ByteArray bytes = ReadFile(options.tableFile);
        const std::string text = ToUtf8FromOutside(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        rows = ParsePictureTable(text);
        // The table's text is decoded; a file named in GBK is reached by
        // its GBK bytes again.
        for (AlbumRow& row : rows)
            row.path = ExistingSpelling(row.path);
        return rows;
    }
    for (const std::string& input : options.inputs) {
        // The argument's own bytes: a name need not be UTF-8.
        struct stat status {};
        if (input.empty() || ::stat(input.c_str(), &status) != 0) {
            error = "找不到 / not found: " + DisplayPath(input);
            return std::nullopt;
        }
        const std::string path = AbsolutePath(input);
        if (!S_ISDIR(status.st_mode)) {
            rows.push_back(RowForFile(path));
            continue;
        }
        FolderWalkCallbacks callbacks;
        callbacks.picture = [&rows](const FoundPicture& p) {
            rows.push_back(AlbumRow{p.path, p.category, p.caption});
        };
        WalkChosenFolder(path, options.recursive, callbacks);
    }
    return rows;
}

int RunHeadlessCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const ParsedCommand parsed = ParseCommandLine(args);
    if (!parsed.options) {
        err << "quillet: " << parsed.error << "\n"
            << "用 quillet --help 查看用法 / see quillet --help\n";
        return kCommandUsageError;
    }
    const CommandOptions& options = *parsed.options;
    if (options.kind == CommandKind::Help) {
        out << CommandHelpText();
        return kCommandSucceeded;
    }

    std::string error;
    std::optional<std::vector<AlbumRow>> rows = CollectAlbumRows(options, error);
    if (!rows) {
        err << "quillet: " << error << '\n';
        return kCommandUsageError;
    }
    if (rows->empty()) {
        err << "quillet: 没有找到图片 / no pictures found\n";
        return kCommandOutputFailed;
    }

    ResetGlobals();
    App().printSettings = options.settings;
    const std::vector<AlbumJob> jobs = SplitAlbumIntoJobs(
        *rows, options.byCategory, options.headerText, options.footerText, options.captions);
    UnloadedPictures unloaded;
    const int exitCode = options.kind == CommandKind::Render ? RenderJobs(options, jobs, out, err)
                                                             : PrintJobs(options, jobs, out, err);
    unloaded.Report(*rows, err);
    return exitCode;
}

int RunHeadlessProgram(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // stdout carries the file names and stderr the failures: Qt's own
    // chatter (no runtime directory, no session bus) belongs in neither.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << "quillet: " << message.toStdString() << std::endl;
    });
    QApplication application(argc, argv);
    InstallFontSubstitutions();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunHeadlessCommand(args, std::cout, std::cerr);
}

} // namespace quillet
