// Which redirects the programs' requests follow. WinINet would follow any, to any host and back to
// plain http; ours follow only to https, on the host asked or on one the build names, so that a
// redirect can neither take a download off TLS nor hand it to another server.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

// Hops a request follows before it gives up.
inline constexpr int kMaxRedirects = 5;

// The address a request of `from` (an http or https address) goes on to when the server answers
// with the Location `location` (absolute, or relative to `from`); nothing when the redirect is
// refused. Rebuilt from its parts ("https://host[:port]/path?query", host in lower case), so that
// WinINet reads the same host we checked. A user name or password in the address is refused: it is
// the usual way to make one host look like another.
std::optional<std::string> RedirectTarget(std::string_view from, std::string_view location,
                                          const std::vector<std::string>& namedHosts);

// The hosts besides the one asked that this build lets redirects lead to (TAMBORVIN_REDIRECT_HOSTS).
const std::vector<std::string>& BuildRedirectHosts();

}  // namespace tf
