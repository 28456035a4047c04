#pragma once
// Where one confirmed job goes: the chosen printer, a PDF file, or page image
// files in a folder; and what the user is told when a job's output fails.

#include "printing/print_target.h"
#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class JobFailure {
    None,
    NoSuchPrinter, // the chosen printer is not installed (any more)
    PrinterRefused, // the printer could not start the job or CUPS refused it
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

// The job printed on a queue that must be installed now (the printer unit
// would otherwise have nothing to open), or written as a PDF file: under a
// temporary name beside it, put in place only when whole.
JobOutput PrintJob(const JobContent& job, const PrintTarget& target);
JobOutput RenderJobToImages(const JobContent& job, const std::string& folder);

// The title and text of the message box about a failed job: the job's name,
// what failed, and the pages (counted from firstPage) that were not written.
inline constexpr std::string_view kJobFailedTitle = "打印出错";
// What failed, as the message box and the command's stderr say it.
std::string JobFailureReason(const JobOutput& output);
std::string JobFailureText(std::string_view jobName, int firstPage, const JobOutput& output);

} // namespace quillet
