#include "safe_name.h"

namespace preview::serve {

std::string safeName(const std::string& name, const std::string& fallback)
{
    std::string safe;
    for (const char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                             c == '-' || c == '.';
        if (allowed && safe.size() < 64) safe += c;
    }
    // No hidden or relative names.
    while (!safe.empty() && safe[0] == '.') safe.erase(0, 1);
    return safe.empty() ? fallback : safe;
}

}  // namespace preview::serve
