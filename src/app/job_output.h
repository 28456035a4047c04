#pragma once
// Where one confirmed job goes: the chosen printer, a PDF file, or page image
// files in a folder; and what the user is told when a job's output fails.

#include "app/album_output.h"
#include "printing/cups_job.h"
#include "printing/print_target.h"
#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class JobFailure {
    None,
    NoSuchPrinter, // the chosen printer is not installed (any more)
    PrinterRefused, // the printer could not start the job or CUPS refused it
    PaperNotOffered, // the printer takes no paper of the job's size
    NotPrinted, // CUPS took the job but canceled or aborted it
    PdfNotWritten, // no file could be made, or it could not be written whole
    PageFilesNotWritten,
    PageTooLarge, // a page file's canvas would not fit in memory
};

struct JobOutput {
    JobFailure failure = JobFailure::None;
    std::string target; // printer, PDF file or folder
    std::string written; // the PDF file written, or the CUPS job ("QUEUE-12")
    int pdfNumber = 0; // the number in the written PDF file's name
    std::string reason; // CUPS's words for a refused job, or why a PDF is not whole
    // Why a job CUPS took is not printed yet (a stopped printer, a hold, no
    // answer); empty when it was printed or was not followed that far.
    std::string waiting;
    int pageCount = 0; // pages the job lays out
    std::vector<std::string> failedFiles; // page files that could not be written
    bool Succeeded() const { return failure == JobFailure::None; }
};

// The job's pages and texts, and the settings to lay them out with.
struct JobContent {
    const PrintSettings& settings;
    const PictureList& pictures;
    const std::string& headerText;
    const std::string& footerText;
};

// Follows a job CUPS took: called with its status while CUPS is still at
// it, no more than a second apart; false stops following.
using JobFollowing = std::function<bool(const CupsJobStatus&)>;

// How long a job is followed at most while CUPS is still at it.
inline constexpr int kJobFollowSeconds = 600;

// Follows for at most kJobFollowSeconds; `pause` is handed every status and
// waits before the next question, well under a second.
JobFollowing BoundedFollowing(std::function<void(const CupsJobStatus&)> pause);

// The job printed on a queue that must be installed now (the printer unit
// would otherwise have nothing to open), on a paper the printer takes, or
// written as a PDF file: under a temporary name beside it, put in place only
// when whole.  A job CUPS took is followed while `following` says so, and
// fails when CUPS cancels or aborts it; without `following` it is not.
JobOutput PrintJob(const JobContent& job, const PrintTarget& target,
                   const JobFollowing& following = {}, JobView view = JobView::Windows);
JobOutput RenderJobToImages(const JobContent& job, const std::string& folder);

// The title and text of the message box about a failed job: the job's name,
// what failed, and the pages (counted from firstPage) that were not written.
inline constexpr std::string_view kJobFailedTitle = "打印出错";
// What failed, as the message box and the command's stderr say it.
std::string JobFailureReason(const JobOutput& output);
std::string JobFailureText(std::string_view jobName, int firstPage, const JobOutput& output);

} // namespace quillet
