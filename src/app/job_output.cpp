#include "app/job_output.h"

#include "app/album_output.h"
#include "print/page_layout.h"
#include "runtime/convert.h"
#include "runtime/printer_queries.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>
#include <utility>

namespace quillet {
namespace {

constexpr int kA4Width = 2100;
constexpr int kA4Height = 2970;

class ScopedPdfFile {
public:
    explicit ScopedPdfFile(std::string path) { SetPdfFileDestination(std::move(path)); }
    ~ScopedPdfFile() { SetPdfFileDestination(""); }
    ScopedPdfFile(const ScopedPdfFile&) = delete;
    ScopedPdfFile& operator=(const ScopedPdfFile&) = delete;
};

PageJob MakePageJob(const JobContent& job)
{
    return PageJob{WithUsablePaper(job.settings), job.pictures, job.headerText, job.footerText};
}

bool PrintOnPaper(const JobContent& job)
{
    return PrintPicturePages(MakePageJob(job)) == 1;
}

JobOutput Outcome(const JobContent& job, JobFailure failure, std::string target)
{
    JobOutput output;
    output.failure = failure;
    output.target = std::move(target);
    output.pageCount = JobPageCount(job.settings, job.pictures);
    return output;
}

// A name beside the file that no other file has, hidden from file lists.
std::string PartFileName(const std::string& pdfFile)
{
    static std::atomic<int> counter{0};
    const QFileInfo target(QString::fromStdString(pdfFile));
    for (;;) {
        const QString name = target.absolutePath() + "/." + target.fileName() + "."
                             + QString::number(QCoreApplication::applicationPid()) + "-"
                             + QString::number(++counter) + ".part";
        if (!QFileInfo::exists(name))
            return name.toStdString();
    }
}

std::string PageRange(int firstPage, int pageCount)
{
    if (pageCount <= 1)
        return "第" + ToText(firstPage) + "页";
    return "第" + ToText(firstPage) + "页至第" + ToText(firstPage + pageCount - 1) + "页";
}

} // namespace

PrintSettings WithUsablePaper(PrintSettings settings)
{
    if (settings.paperWidth <= 0 || settings.paperHeight <= 0) {
        settings.paperWidth = kA4Width;
        settings.paperHeight = kA4Height;
    }
    return settings;
}

int JobPageCount(const PrintSettings& settings, const PictureList& pictures)
{
    return PageCount(static_cast<int>(pictures.paths.size()),
                     NormaliseGrid(settings.rows, settings.columns));
}

JobOutput PrintJobOnPrinter(const JobContent& job)
{
    const std::string& printer = job.settings.printerName;
    // The engine falls back on the default printer when the chosen one is
    // gone; the job must not end up on a printer the user did not choose.
    const std::vector<std::string> installed = InstalledPrinters();
    if (std::find(installed.begin(), installed.end(), printer) == installed.end())
        return Outcome(job, JobFailure::NoSuchPrinter, printer);
    return Outcome(job, PrintOnPaper(job) ? JobFailure::None : JobFailure::PrinterRefused, printer);
}

JobOutput PrintJobToPdfFile(const JobContent& job, const std::string& pdfFile)
{
    const std::string part = PartFileName(pdfFile);
    bool written = false;
    {
        const ScopedPdfFile destination(part);
        written = PrintOnPaper(job);
    }
    std::error_code error;
    if (written)
        std::filesystem::rename(part, pdfFile, error);
    if (!written || error) {
        std::filesystem::remove(part, error);
        return Outcome(job, JobFailure::PdfNotWritten, pdfFile);
    }
    return Outcome(job, JobFailure::None, pdfFile);
}

JobOutput RenderJobToImages(const JobContent& job, const std::string& folder)
{
    RenderPagesResult result = RenderPagesToImages(MakePageJob(job), folder);
    JobOutput output = Outcome(job, JobFailure::None, folder);
    if (!result.Succeeded()) {
        output.failure = JobFailure::PageFilesNotWritten;
        output.failedFiles = std::move(result.failedFiles);
    }
    return output;
}

std::string JobFailureText(std::string_view jobName, int firstPage, const JobOutput& output)
{
    std::string text = std::string(jobName) + "没有完成：";
    switch (output.failure) {
    case JobFailure::None: return {};
    case JobFailure::NoSuchPrinter: text += "找不到打印机“" + output.target + "”。"; break;
    case JobFailure::PrinterRefused:
        text += "打印机“" + output.target + "”无法开始打印作业，或没有接收文档。";
        break;
    case JobFailure::PdfNotWritten: text += "无法写入PDF文件“" + output.target + "”。"; break;
    case JobFailure::PageFilesNotWritten:
        text += "下面的页面文件无法写入：";
        for (const std::string& file : output.failedFiles)
            text += "\r\n" + file;
        return text;
    }
    return text + "\r\n没有打印的页：" + PageRange(firstPage, output.pageCount) + "。";
}

} // namespace quillet
