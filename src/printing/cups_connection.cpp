#include "printing/cups_connection.h"

namespace quillet {

CupsConnection::CupsConnection()
{
    http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         kCupsAnswerSeconds * 1000, nullptr);
    if (http_)
        httpSetTimeout(http_, kCupsAnswerSeconds, &CupsConnection::GiveUp, this);
}

CupsConnection::~CupsConnection()
{
    if (http_)
        httpClose(http_);
}

int CupsConnection::GiveUp(http_t* /*http*/, void* self)
{
    static_cast<CupsConnection*>(self)->timedOut_ = true;
    return 0;
}

std::string CupsConnection::Failure() const
{
    if (!http_)
        return "无法连接CUPS / cannot reach the CUPS scheduler";
    if (timedOut_)
        return "CUPS在" + std::to_string(kCupsAnswerSeconds)
               + "秒内没有回答 / CUPS did not answer within " + std::to_string(kCupsAnswerSeconds)
               + " s";
    const char* words = cupsLastErrorString();
    return words && *words ? words : "CUPS error";
}

ipp_t* CupsConnection::Ask(ipp_t* request, const char* resource)
{
    if (!http_) {
        ippDelete(request);
        return nullptr;
    }
    timedOut_ = false;
    ipp_t* answer = cupsDoRequest(http_, request, resource);
    if (timedOut_) {
        ippDelete(answer);
        return nullptr;
    }
    return answer;
}

std::string QueueUri(const std::string& queue)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.c_str());
    return uri;
}

} // namespace quillet
