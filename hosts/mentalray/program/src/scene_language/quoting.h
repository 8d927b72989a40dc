// How the scene language's readers quote what a file holds in a message:
// every name and token passes through here (or, whole, through
// hosttext::printable), once.
#pragma once

#include <string>
#include <string_view>

namespace mrhost {

// A token as a message quotes it: printable (hosttext::printable), and cut to
// its first 40 bytes followed by "..." when longer, so that a message stays
// short.
std::string shortened(std::string_view text);

}  // namespace mrhost
