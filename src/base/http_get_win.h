// A synchronous HTTP GET of a small text file (the version text, the release description), as the
// window that asks for it waits for the answer; over WinINet, as the download.
#pragma once

#include <optional>
#include <string>

namespace tf {

// The body as the server sent it; empty when the server cannot be reached, answers with a status
// other than 200, ends the body short of its length, sends more than a small text holds, or has not
// sent all of it within `limitMs`.
std::optional<std::string> HttpGetText(const std::string& url, unsigned limitMs = 5000);

}  // namespace tf
