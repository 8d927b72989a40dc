#include "access_rules.h"

#include "text_file.h"

namespace preview::serve {

std::optional<std::string> refusal(const std::string& host, const std::optional<std::string>& origin, int port)
{
    const std::string suffix = ":" + std::to_string(port);
    if (host != "127.0.0.1" + suffix && host != "localhost" + suffix)
        return "refused: Host '" + printable(host) + "' is not this server (expected 127.0.0.1" + suffix + ")";
    if (origin && *origin != "http://127.0.0.1" + suffix && *origin != "http://localhost" + suffix)
        return "refused: Origin '" + printable(*origin) + "' is not this server (expected http://127.0.0.1" + suffix +
               ")";
    return std::nullopt;
}

}  // namespace preview::serve
