// Who may talk to the server: only pages it served itself, addressed by the
// loopback address it listens on. A Host other than that is a page of some
// other name resolved to this machine (DNS rebinding); an Origin other than
// that is another site's page in the user's browser.
#pragma once

#include <optional>
#include <string>

namespace preview::serve {

// Why a request with these headers is refused, or nullopt when it is allowed.
// A request without Origin (a same-origin GET, a command-line client) is
// judged by its Host alone.
std::optional<std::string> refusal(const std::string& host, const std::optional<std::string>& origin, int port);

}  // namespace preview::serve
