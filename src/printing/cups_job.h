#pragma once
// A finished document handed to a CUPS queue as one job, every step checked
// and bounded in time, and the job followed until CUPS is done with it.

#include <functional>
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

// Where a job stands in CUPS.
enum class CupsJobPhase {
    Queued, // pending or processing: CUPS is still at it
    Waiting, // held, or its printer is stopped: nothing happens until someone acts
    Printed, // completed: the printer has it
    Failed, // canceled or aborted: nothing (more) is printed
    Unknown, // CUPS could not be asked, or did not answer in time
};

struct CupsJobStatus {
    CupsJobPhase phase = CupsJobPhase::Unknown;
    // Why, in CUPS's words: the printer's message on the job, else the job's
    // state reasons; for Unknown, why CUPS could not tell.
    std::string reason;
};

// Asks CUPS once how the job stands.  A job CUPS no longer knows (a
// scheduler that keeps no history forgets finished jobs) counts as printed.
CupsJobStatus QueryCupsJob(int jobId);

// Asks again and again until the job is printed, failed or waiting, or
// CUPS cannot tell; between the questions `between` is called with the
// latest status and returns false to stop following (the status then is
// the last one seen).
CupsJobStatus FollowCupsJob(int jobId, const std::function<bool(const CupsJobStatus&)>& between);

} // namespace quillet
