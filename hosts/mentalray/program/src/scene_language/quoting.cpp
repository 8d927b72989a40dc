#include "scene_language/quoting.h"

#include <hosttext/printable.h>

namespace mrhost {

std::string shortened(std::string_view text)
{
    constexpr std::size_t kQuoted = 40;
    return text.size() <= kQuoted ? hosttext::printable(text) : hosttext::printable(text.substr(0, kQuoted)) + "...";
}

}  // namespace mrhost
