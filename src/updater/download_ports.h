// What the download needs of the platform besides files: an HTTP GET that reports as it goes, and
// a clock for the speed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tf {

// Notifications of one request, on the thread that started it, in this order: one response start,
// data chunks, then finished or error (an error may also come first). Nothing after finished,
// error, or the request's abandonment.
class HttpEvents {
public:
    virtual ~HttpEvents() = default;
    // `headers`: every header line of the response, as the server sent them.
    virtual void OnResponseStart(int status, const std::string& headers) = 0;
    virtual void OnData(std::string_view bytes) = 0;
    // The connection ended; whether the whole body came is for the receiver to judge.
    virtual void OnFinished() = 0;
    virtual void OnError(int code) = 0;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // Sends a GET with the extra header lines ("Range: bytes=0-"); one request at a time, a running
    // one is abandoned first. False when the request could not be opened or sent; nothing is
    // reported of it then.
    virtual bool Start(const std::string& url, const std::vector<std::string>& headerLines, HttpEvents& events) = 0;
    // Ends the current request, if any; none of its notifications comes afterwards.
    virtual void Abandon() = 0;
};

// Seconds from any fixed point, never going back.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double Now() = 0;
};

}  // namespace tf
