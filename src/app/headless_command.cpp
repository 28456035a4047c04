#include "app/headless_command.h"

#include "app/album_jobs.h"
#include "app/album_output.h"
#include "app/globals.h"
#include "app/job_output.h"
#include "codecs/image_decode.h"
#include "collect/folder_walk.h"
#include "loading/picture_load_problems.h"
#include "print/render_pages.h"
#include "printing/fonts.h"
#include "printing/printer_queries.h"
#include "table/table_file.h"
#include "textfiles/convert.h"
#include "textfiles/file_names.h"
#include "textfiles/files.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <ostream>
#include <set>
#include <thread>

namespace quillet {
namespace {

// A file named on the command line, by the bytes it was named with: its
// folder's name is the category and its name without extension the caption.
AlbumRow RowForFile(const std::string& absolutePath)
{
    FoundPicture picture = FoundPictureAt(absolutePath, 0);
    return AlbumRow{std::move(picture.path), std::move(picture.category),
                    std::move(picture.caption)};
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
    case PictureLoadProblem::FileTooLarge:
        return "文件超过 " + std::to_string(kMaxPictureFileBytes >> 20) + " MB / file larger than "
               + std::to_string(kMaxPictureFileBytes >> 20) + " MB";
    case PictureLoadProblem::OutOfMemory: return "内存不足 / not enough memory";
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

std::string ReadProblemText(FileReadProblem problem)
{
    switch (problem) {
    case FileReadProblem::NotAFile: return "不是普通文件 / not a regular file";
    case FileReadProblem::TooLarge:
        return "超过 " + std::to_string(kTableFileLimitMegabytes) + " MB / larger than "
               + std::to_string(kTableFileLimitMegabytes) + " MB";
    case FileReadProblem::OutOfMemory: return "内存不足 / not enough memory";
    case FileReadProblem::None:
    case FileReadProblem::Missing:
    case FileReadProblem::Unreadable: break;
    }
    return "无法读取 / cannot be read";
}

std::optional<std::vector<AlbumRow>> ReadTableRows(const std::string& path, std::string& error,
                                                   std::ostream& warnings)
{
    const TableFile table = ReadTableFile(path);
    if (table.problem == FileReadProblem::Missing) {
        error = "找不到表格文件 / table file not found: " + DisplayPath(path);
        return std::nullopt;
    }
    if (table.problem != FileReadProblem::None) {
        error = "无法读取表格 / cannot read the table: " + DisplayPath(path) + " ("
                + ReadProblemText(table.problem) + ")";
        return std::nullopt;
    }
    if (table.text.endedAtLine > 0)
        warnings << "quillet: 表格第 " << table.text.endedAtLine
                 << " 行有零字节，从那里起的内容没有读入 / the table has a zero byte in line "
                 << table.text.endedAtLine << "; the rest was not read" << std::endl;
    std::vector<AlbumRow> rows = ParsePictureTable(table.text.text);
    // The table's text is decoded; a file named in GBK is reached by its GBK
    // bytes again.
    for (AlbumRow& row : rows)
        row.path = ExistingSpelling(row.path);
    return rows;
}

int RenderJobs(const CommandOptions& options, const std::vector<AlbumJob>& jobs, std::ostream& out,
               std::ostream& err)
{
    const PrintSettings& settings = App().printSettings;
    if (!PageFileFits(settings.paperWidth, settings.paperHeight)) {
        err << "quillet: " << PageTooLargeText() << " / the paper is too large for page files: "
            << "at most 100 million pixels (A0) and 32767 pixels a side, one pixel per 0.1 mm\n";
        return kCommandOutputFailed;
    }
    const QString folder = QString::fromStdString(options.outDir);
    if (!QDir().mkpath(folder)) {
        err << "无法创建输出文件夹 / cannot create the output folder: " << options.outDir << '\n';
        return kCommandOutputFailed;
    }
    const std::string outDir = QFileInfo(folder).absoluteFilePath().toStdString();
    bool failed = false;
    PageFileProgress progress;
    progress.pageWritten = [&](const std::string& file) {
        out << file << options.pathEnd << std::flush;
    };
    progress.pageFailed = [&](const std::string& file) {
        err << "无法写入 / could not write: " << file << std::endl;
    };
    for (const AlbumJob& job : jobs) {
        Canvas canvas;
        const RenderPagesResult result = RenderPagesOnCanvas(
            PageJob{App().printSettings, job.pictures, job.headerText, job.footerText}, outDir,
            canvas, progress);
        // A page that could not be written (a full disk) is told once;
        // the pages after it would only fail the same way.
        if (!result.Succeeded()) {
            failed = true;
            break;
        }
    }
    return failed ? kCommandOutputFailed : kCommandSucceeded;
}

int PrintJobs(const CommandOptions& options, const std::vector<AlbumJob>& jobs, std::ostream& out,
              std::ostream& err)
{
    PrintSettings& settings = App().printSettings;
    if (!options.printer.empty() && !PrinterInstalled(options.printer)) {
        err << "没有这台打印机 / no such printer: " << options.printer << '\n';
        return kCommandUsageError;
    }
    settings.printerName = options.printer;

    // Every job's file goes under the first free name from the one after the
    // last written: an existing file is never replaced.
    const std::string pdfFile =
        options.pdfFile.empty()
            ? std::string()
            : QFileInfo(QString::fromStdString(options.pdfFile)).absoluteFilePath().toStdString();
    int pdfNumber = 1;
    bool failed = false;
    // Each change of the printer's word on the job is told once.
    std::string told;
    const JobFollowing following =
        options.waitForPrinter ? BoundedFollowing([&err, &told](const CupsJobStatus& status) {
            if (!status.reason.empty() && status.reason != told) {
                told = status.reason;
                err << "quillet: 打印机 / printer: " << status.reason << std::endl;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        })
                               : JobFollowing();
    for (const AlbumJob& job : jobs) {
        const PrintTarget target = pdfFile.empty() ? PrintTarget::Queue(settings.printerName)
                                                   : PrintTarget::PdfFile(pdfFile, pdfNumber);
        const JobOutput output =
            PrintJob(JobContent{settings, job.pictures, job.headerText, job.footerText}, target,
                     following, JobView::Headless);
        if (!output.waiting.empty())
            err << "quillet: 打印作业在队列中等待 / the job waits in the queue: " << output.written
                << " (" << output.waiting << ")" << std::endl;
        if (!output.Succeeded()) {
            failed = true;
            err << "打印作业没有完成 / the print job failed: "
                << (pdfFile.empty() ? settings.printerName : pdfFile) << " ("
                << JobFailureReason(output) << ")" << std::endl;
            continue;
        }
        // stdout names files; a CUPS job is no file.
        if (!pdfFile.empty()) {
            pdfNumber = output.pdfNumber + 1;
            out << output.written << options.pathEnd << std::flush;
        }
    }
    return failed ? kCommandOutputFailed : kCommandSucceeded;
}

} // namespace

std::optional<CollectedRows> CollectAlbumRows(const CommandOptions& options, std::string& error,
                                              std::ostream& warnings)
{
    CollectedRows collected;
    std::vector<AlbumRow>& rows = collected.rows;
    if (!options.tableFile.empty()) {
        std::optional<std::vector<AlbumRow>> table =
            ReadTableRows(options.tableFile, error, warnings);
        if (!table)
            return std::nullopt;
        rows = std::move(*table);
        return collected;
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
        callbacks.folderUnreadable = [&](const std::string& folder, int reason) {
            collected.incomplete = true;
            warnings << "quillet: 无法读取文件夹，其中的图片没有列入 / cannot read the folder, its "
                        "pictures are left out: "
                     << DisplayPath(folder) << " (" << std::strerror(reason) << ")" << std::endl;
        };
        WalkChosenFolder(path, options.recursive, callbacks);
    }
    return collected;
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
    std::optional<CollectedRows> collected = CollectAlbumRows(options, error, err);
    if (!collected) {
        err << "quillet: " << error << '\n';
        return kCommandUsageError;
    }
    const std::vector<AlbumRow>& rows = collected->rows;
    // Blank rows of a table are kept blank, but a table none of whose rows
    // names a picture (a list under an unknown title, text in an encoding
    // not recognised) would only print empty pages.
    if (std::none_of(rows.begin(), rows.end(),
                     [](const AlbumRow& row) { return !row.path.empty(); })) {
        if (options.tableFile.empty())
            err << "quillet: 没有找到图片 / no pictures found\n";
        else
            err << "quillet: 表格没有一行写着图片路径 / no row of the table names a picture: "
                << DisplayPath(options.tableFile) << '\n';
        return kCommandOutputFailed;
    }

    ResetGlobals();
    App().printSettings = options.settings;
    const std::vector<AlbumJob> jobs = SplitAlbumIntoJobs(
        rows, options.byCategory, options.headerText, options.footerText, options.captions);
    UnloadedPictures unloaded;
    const int exitCode = options.kind == CommandKind::Render ? RenderJobs(options, jobs, out, err)
                                                             : PrintJobs(options, jobs, out, err);
    unloaded.Report(rows, err);
    // Pictures of a folder that could not be read are missing from the pages.
    return collected->incomplete && exitCode == kCommandSucceeded ? kCommandOutputFailed : exitCode;
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
