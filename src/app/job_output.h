#pragma once
// Where one confirmed job goes: the chosen printer, a PDF file, or page image
// files in a folder; and what the user is told when a job's output fails.

#include "settings/picture_list.h"
#include "settings/print_settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class JobFailure {
    None,
    NoSuchPrinter, // the chosen printer is not installed (any more)
    PrinterRefused, // the printer could not start the job or took no document
    PdfNotWritten,
    PageFilesNotWritten,
};

struct JobOutput {
    JobFailure failure = JobFailure::None;
    std::string target; // printer, PDF file or folder
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

// A paper width or height of 0 or below would lay pages out on no paper;
// such a size is A4 (2100 x 2970), as page images take it.
PrintSettings WithUsablePaper(PrintSettings settings);

// Pages the job lays out, on the grid the page layout uses.
int JobPageCount(const PrintSettings& settings, const PictureList& pictures);

JobOutput PrintJobOnPrinter(const JobContent& job);
// Written under a temporary name beside the file and renamed into place, so
// a failed job never leaves a half-written file, nor spoils one replaced.
JobOutput PrintJobToPdfFile(const JobContent& job, const std::string& pdfFile);
JobOutput RenderJobToImages(const JobContent& job, const std::string& folder);

// The title and text of the message box about a failed job: the job's name,
// what failed, and the pages (counted from firstPage) that were not written.
inline constexpr std::string_view kJobFailedTitle = "打印出错";
std::string JobFailureText(std::string_view jobName, int firstPage, const JobOutput& output);

} // namespace quillet
