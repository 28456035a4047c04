#include "printing/cups_job.h"

#include <cups/cups.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quillet {
namespace {

bool Accepted()
{
    return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

CupsJobResult Refused(int jobId, const std::string& queue)
{
    CupsJobResult result{jobId, cupsLastErrorString() ? cupsLastErrorString() : "CUPS error"};
    if (jobId > 0)
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), jobId, 0);
    return result;
}

// The whole file as the document's data; false on a read or send error.
bool SendFile(int fd)
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
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer, static_cast<size_t>(got))
            != HTTP_STATUS_CONTINUE)
            return false;
    }
}

} // namespace

CupsJobResult SubmitPdfToCups(const std::string& queue, const std::string& pdfFile,
                              const std::string& title, const CupsOptions& options)
{
    const int fd = ::open(pdfFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {0, "cannot read the document"};

    cups_option_t* cupsOptions = nullptr;
    int optionCount = 0;
    for (const auto& [name, value] : options)
        optionCount = cupsAddOption(name.c_str(), value.c_str(), optionCount, &cupsOptions);
    const int jobId =
        cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), optionCount, cupsOptions);
    cupsFreeOptions(optionCount, cupsOptions);

    CupsJobResult result;
    if (jobId <= 0) {
        result = Refused(0, queue);
    } else if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), jobId, title.c_str(),
                                 CUPS_FORMAT_PDF, 1)
               != HTTP_STATUS_CONTINUE) {
        result = Refused(jobId, queue);
    } else {
        const bool sent = SendFile(fd);
        // Finishing also ends a document whose sending failed, so the
        // connection is ready for the next job.
        const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
        if (!sent || finished > IPP_STATUS_OK_CONFLICTING || !Accepted())
            result = Refused(jobId, queue);
        else
            result.jobId = jobId;
    }
    ::close(fd);
    return result;
}

} // namespace quillet
