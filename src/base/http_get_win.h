// A blocking HTTP GET of a small text file (the version text, the release description), over
// WinINet as the download; the windows that ask for one call it on a worker of their own.
#pragma once

#include <optional>
#include <string>

namespace tf {

// The body as the server sent it; empty when the server cannot be reached, answers with a status
// other than 200, ends the body short of its length, sends more than a small text holds, or has not
// sent all of it within `limitMs`.
std::optional<std::string> HttpGetText(const std::string& url, unsigned limitMs = 5000);

}  // namespace tf
