#include "app/job_output.h"

#include "app/album_output.h"
#include "print/page_layout.h"
#include "printing/printer_media.h"
#include "printing/printer_queries.h"
#include "textfiles/convert.h"

#include <chrono>
#include <optional>
#include <utility>

namespace quillet {
namespace {

// A paper of no size is laid out as A4; the printer is given that paper too.
PageJob MakePageJob(const JobContent& job)
{
    PrintSettings settings = job.settings;
    const PaperSize paper = UsablePaper(settings.paperWidth, settings.paperHeight, 10);
    settings.paperWidth = paper.width;
    settings.paperHeight = paper.height;
    return PageJob{settings, job.pictures, job.headerText, job.footerText};
}

JobOutput Outcome(const JobContent& job, JobFailure failure, std::string target)
{
    JobOutput output;
    output.failure = failure;
    output.target = std::move(target);
    output.pageCount = PageCount(static_cast<int>(job.pictures.paths.size()), job.settings.rows,
                                 job.settings.columns);
    return output;
}

std::string PageRange(int firstPage, int pageCount)
{
    if (pageCount <= 1)
        return "第" + ToText(firstPage) + "页";
    return "第" + ToText(firstPage) + "页至第" + ToText(firstPage + pageCount - 1) + "页";
}

// The queue's paper for the job's, asked for before anything is drawn.
std::optional<JobOutput> MatchPaper(const JobContent& job, const PageJob& pages,
                                    PrintTarget& target)
{
    std::string failure;
    const std::optional<PrinterMedia> media = QueueMedia(target.name, failure);
    if (!media) {
        JobOutput output = Outcome(job, JobFailure::PrinterRefused, target.name);
        output.reason = failure;
        return output;
    }
    const PaperChoice choice =
        ChoosePaper(*media, pages.settings.paperWidth, pages.settings.paperHeight);
    if (!choice.fits) {
        JobOutput output = Outcome(job, JobFailure::PaperNotOffered, target.name);
        output.reason = OfferedPaperNames(*media);
        return output;
    }
    target.media = choice.media;
    return std::nullopt;
}

// The job CUPS took, followed until CUPS is done with it or the follower
// stops: a canceled or aborted job is a failed one.
void FollowJob(int jobId, const JobFollowing& following, JobOutput& output)
{
    const CupsJobStatus status = FollowCupsJob(jobId, following);
    switch (status.phase) {
    case CupsJobPhase::Printed: break;
    case CupsJobPhase::Failed:
        output.failure = JobFailure::NotPrinted;
        output.reason = status.reason;
        break;
    case CupsJobPhase::Queued:
    case CupsJobPhase::Waiting:
    case CupsJobPhase::Unknown:
        output.waiting = status.reason.empty() ? "还在打印 / still printing" : status.reason;
        break;
    }
}

} // namespace

JobFollowing BoundedFollowing(std::function<void(const CupsJobStatus&)> pause)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kJobFollowSeconds);
    return [deadline, pause = std::move(pause)](const CupsJobStatus& status) {
        pause(status);
        return std::chrono::steady_clock::now() < deadline;
    };
}

JobOutput PrintJob(const JobContent& job, const PrintTarget& givenTarget,
                   const JobFollowing& following, JobView view)
{
    PrintTarget target = givenTarget;
    const bool toQueue = target.kind == PrintTarget::Kind::Queue;
    if (toQueue && !PrinterInstalled(target.name))
        return Outcome(job, JobFailure::NoSuchPrinter, target.name);
    const PageJob pages = MakePageJob(job);
    if (toQueue) {
        if (std::optional<JobOutput> refused = MatchPaper(job, pages, target))
            return *refused;
    }
    const PrintJobEnd end = PrintPicturePages(pages, target, view);
    if (!end.handedOver) {
        JobOutput output = Outcome(
            job, toQueue ? JobFailure::PrinterRefused : JobFailure::PdfNotWritten, target.name);
        output.reason = end.error;
        return output;
    }
    JobOutput output = Outcome(job, JobFailure::None, target.name);
    output.written = end.written;
    output.pdfNumber = end.pdfNumber;
    if (toQueue && following)
        FollowJob(end.cupsJobId, following, output);
    return output;
}

JobOutput RenderJobToImages(const JobContent& job, const std::string& folder)
{
    RenderPagesResult result = RenderPagesToImages(MakePageJob(job), folder);
    JobOutput output = Outcome(job, JobFailure::None, folder);
    if (result.pageTooLarge) {
        output.failure = JobFailure::PageTooLarge;
    } else if (!result.Succeeded()) {
        output.failure = JobFailure::PageFilesNotWritten;
        output.failedFiles = std::move(result.failedFiles);
    }
    return output;
}

std::string JobFailureReason(const JobOutput& output)
{
    switch (output.failure) {
    case JobFailure::None: break;
    case JobFailure::NoSuchPrinter: return "找不到打印机“" + output.target + "”。";
    case JobFailure::PrinterRefused:
        return "打印机“" + output.target + "”无法开始打印作业，或没有接收文档。"
               + (output.reason.empty() ? "" : "（CUPS：" + output.reason + "）");
    case JobFailure::PaperNotOffered:
        return "打印机“" + output.target + "”没有这种纸张，它能用的纸张：" + output.reason + "。";
    case JobFailure::NotPrinted:
        return "打印机“" + output.target + "”没有打印作业" + output.written + "。"
               + (output.reason.empty() ? "" : "（CUPS：" + output.reason + "）");
    case JobFailure::PdfNotWritten:
        return "无法写入PDF文件“" + output.target + "”"
               + (output.reason.empty() ? "" : "（" + output.reason + "）") + "。";
    case JobFailure::PageTooLarge: return PageTooLargeText();
    case JobFailure::PageFilesNotWritten: {
        std::string text = "下面的页面文件无法写入：";
        for (const std::string& file : output.failedFiles)
            text += "\r\n" + file;
        return text;
    }
    }
    return {};
}

std::string JobFailureText(std::string_view jobName, int firstPage, const JobOutput& output)
{
    if (output.Succeeded())
        return {};
    std::string text = std::string(jobName) + "没有完成：" + JobFailureReason(output);
    if (output.failure == JobFailure::PageFilesNotWritten)
        return text;
    return text + "\r\n没有打印的页：" + PageRange(firstPage, output.pageCount) + "。";
}

} // namespace quillet
