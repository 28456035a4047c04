#pragma once
// One connection to the CUPS scheduler whose every wait is bounded: a
// scheduler that stops answering (stopped, hung, overloaded) ends the call
// with a reason instead of holding the program for ever.

#include <cups/cups.h>

#include <string>

namespace quillet {

// How long the scheduler may leave one request unanswered.
inline constexpr int kCupsAnswerSeconds = 10;

class CupsConnection {
public:
    CupsConnection();
    ~CupsConnection();
    CupsConnection(const CupsConnection&) = delete;
    CupsConnection& operator=(const CupsConnection&) = delete;

    // nullptr when the scheduler could not be reached.
    http_t* Http() const { return http_; }

    // Why the last request failed: that the scheduler did not answer in
    // time, or CUPS's own words.
    std::string Failure() const;

    // Sends the request (freed here) and returns the answer; nullptr when
    // there was none in time or the connection is not open.
    ipp_t* Ask(ipp_t* request, const char* resource = "/");

private:
    static int GiveUp(http_t* http, void* self);

    http_t* http_ = nullptr;
    bool timedOut_ = false;
};

// The URI a request names a queue by on the local scheduler.
std::string QueueUri(const std::string& queue);

} // namespace quillet
