#pragma once
// A finished document handed to a CUPS queue as one job, every step checked.

#include <string>
#include <utility>
#include <vector>

namespace quillet {

using CupsOptions = std::vector<std::pair<std::string, std::string>>;

struct CupsJobResult {
    int jobId = 0; // 0 when CUPS created no job
    std::string error; // CUPS's own words; empty when the queue took the job
    bool Succeeded() const { return jobId > 0 && error.empty(); }
};

// Creates the job on the queue, sends the PDF file as its document and
// tells whether CUPS accepted it.  A queue that refuses jobs, or is gone,
// fails; a stopped queue that holds the job until it is started succeeds.
CupsJobResult SubmitPdfToCups(const std::string& queue, const std::string& pdfFile,
                              const std::string& title, const CupsOptions& options);

} // namespace quillet
