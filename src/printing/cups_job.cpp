#include "printing/cups_job.h"

#include "printing/cups_connection.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillet {
namespace {

bool Accepted()
{
    return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

// The job is cancelled on a connection of its own: the one that failed may
// be the one that stopped answering.
CupsJobResult Refused(int jobId, const std::string& queue, const CupsConnection& connection)
{
    CupsJobResult result{jobId, connection.Failure()};
    if (jobId > 0) {
        const CupsConnection cancel;
        if (cancel.Http())
            cupsCancelJob2(cancel.Http(), queue.c_str(), jobId, 0);
    }
    return result;
}

// The whole file as the document's data; false on a read or send error.
bool SendFile(http_t* http, int fd)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (cupsWriteRequestData(http, buffer, static_cast<size_t>(got)) != HTTP_STATUS_CONTINUE)
            return false;
    }
}

bool HasReason(ipp_attribute_t* reasons, const char* wanted)
{
    for (int i = 0; i < ippGetCount(reasons); ++i) {
        const char* reason = ippGetString(reasons, i, nullptr);
        if (reason && std::strcmp(reason, wanted) == 0)
            return true;
    }
    return false;
}

// The printer's message on the job, else its state reasons but "none".
std::string ReasonText(ipp_t* answer)
{
    if (ipp_attribute_t* message =
            ippFindAttribute(answer, "job-printer-state-message", IPP_TAG_TEXT)) {
        if (const char* text = ippGetString(message, 0, nullptr); text && *text)
            return text;
    }
    std::string text;
    ipp_attribute_t* reasons = ippFindAttribute(answer, "job-state-reasons", IPP_TAG_KEYWORD);
    for (int i = 0; i < ippGetCount(reasons); ++i) {
        const char* reason = ippGetString(reasons, i, nullptr);
        if (!reason || std::strcmp(reason, "none") == 0)
            continue;
        text += (text.empty() ? "" : ", ") + std::string(reason);
    }
    return text;
}

CupsJobPhase PhaseOf(ipp_jstate_t state, ipp_attribute_t* reasons)
{
    switch (state) {
    case IPP_JSTATE_COMPLETED: return CupsJobPhase::Printed;
    case IPP_JSTATE_CANCELED:
    case IPP_JSTATE_ABORTED: return CupsJobPhase::Failed;
    case IPP_JSTATE_HELD:
    case IPP_JSTATE_STOPPED: return CupsJobPhase::Waiting;
    case IPP_JSTATE_PENDING:
    case IPP_JSTATE_PROCESSING:
        return HasReason(reasons, "printer-stopped") ? CupsJobPhase::Waiting : CupsJobPhase::Queued;
    }
    return CupsJobPhase::Queued;
}

} // namespace

CupsJobResult SubmitPdfToCups(const std::string& queue, const std::string& pdfFile,
                              const std::string& title, const CupsOptions& options)
{
    const int fd = ::open(pdfFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {0, "cannot read the document"};

    const CupsConnection connection;
    http_t* http = connection.Http();
    cups_option_t* cupsOptions = nullptr;
    int optionCount = 0;
    for (const auto& [name, value] : options)
        optionCount = cupsAddOption(name.c_str(), value.c_str(), optionCount, &cupsOptions);
    const int jobId =
        http ? cupsCreateJob(http, queue.c_str(), title.c_str(), optionCount, cupsOptions) : 0;
    cupsFreeOptions(optionCount, cupsOptions);

    CupsJobResult result;
    if (jobId <= 0) {
        result = Refused(0, queue, connection);
    } else if (cupsStartDocument(http, queue.c_str(), jobId, title.c_str(), CUPS_FORMAT_PDF, 1)
               != HTTP_STATUS_CONTINUE) {
        result = Refused(jobId, queue, connection);
    } else {
        const bool sent = SendFile(http, fd);
        // Finishing also ends a document whose sending failed, so the
        // connection is ready for the next job.
        const ipp_status_t finished = cupsFinishDocument(http, queue.c_str());
        if (!sent || finished > IPP_STATUS_OK_CONFLICTING || !Accepted())
            result = Refused(jobId, queue, connection);
        else
            result.jobId = jobId;
    }
    ::close(fd);
    return result;
}

CupsJobStatus QueryCupsJob(int jobId)
{
    CupsConnection connection;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char* const kWanted[] = {"job-state", "job-state-reasons",
                                          "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(kWanted)), nullptr, kWanted);
    ipp_t* answer = connection.Ask(request);
    CupsJobStatus status;
    if (!answer) {
        status.reason = connection.Failure();
        return status;
    }
    if (ippGetStatusCode(answer) == IPP_STATUS_ERROR_NOT_FOUND) {
        status.phase = CupsJobPhase::Printed;
    } else if (ipp_attribute_t* state = ippFindAttribute(answer, "job-state", IPP_TAG_ENUM)) {
        status.phase = PhaseOf(static_cast<ipp_jstate_t>(ippGetInteger(state, 0)),
                               ippFindAttribute(answer, "job-state-reasons", IPP_TAG_KEYWORD));
        status.reason = ReasonText(answer);
    } else {
        status.reason = connection.Failure();
    }
    ippDelete(answer);
    return status;
}

CupsJobStatus FollowCupsJob(int jobId, const std::function<bool(const CupsJobStatus&)>& between)
{
    for (;;) {
        const CupsJobStatus status = QueryCupsJob(jobId);
        if (status.phase != CupsJobPhase::Queued || !between(status))
            return status;
    }
}

} // namespace quillet
