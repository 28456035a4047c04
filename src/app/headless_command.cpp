#include "app/headless_command.h"

#include "app/album_jobs.h"
#include "app/album_output.h"
#include "app/globals.h"
#include "collect/folder_walk.h"
#include "print/render_pages.h"
#include "runtime/convert.h"
#include "runtime/files.h"
#include "runtime/fonts.h"
#include "runtime/printer_queries.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <iostream>
#include <ostream>

namespace quillet {
namespace {

AlbumRow RowForFile(const QFileInfo& file)
{
    const std::string name = file.fileName().toStdString();
    const std::size_t dot = name.rfind('.');
    return AlbumRow{file.absoluteFilePath().toStdString(), file.absoluteDir().dirName().toStdString(),
                    dot == std::string::npos ? std::string() : name.substr(0, dot)};
}

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

std::string NumberedPdfName(const std::string& pdfFile, int jobIndex)
{
    if (jobIndex == 0)
        return pdfFile;
    const std::size_t slash = pdfFile.rfind('/');
    std::size_t dot = pdfFile.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1))
        dot = pdfFile.size();
    return pdfFile.substr(0, dot) + "-" + std::to_string(jobIndex + 1) + pdfFile.substr(dot);
}

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
        return ParsePictureTable(text);
    }
    for (const std::string& input : options.inputs) {
        const QFileInfo info(QString::fromStdString(input));
        if (!info.exists()) {
            error = "找不到 / not found: " + input;
            return std::nullopt;
        }
        if (!info.isDir()) {
            rows.push_back(RowForFile(info));
            continue;
        }
        FolderWalkCallbacks callbacks;
        callbacks.picture = [&rows](const FoundPicture& p) {
            rows.push_back(AlbumRow{p.path, p.category, p.caption});
        };
        WalkChosenFolder(info.absoluteFilePath().toStdString(), options.recursive, callbacks);
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
    return options.kind == CommandKind::Render ? RenderJobs(options, jobs, out, err)
                                               : PrintJobs(options, jobs, out, err);
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
