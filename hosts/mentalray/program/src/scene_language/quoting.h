// How the scene language's readers quote what a file holds in a message:
// every byte of a name, a token or a file name passes through here, once.
#pragma once

#include <string>
#include <string_view>

namespace mrhost {

// The text as a message can show it on one line: every byte outside printable
// ASCII, and the backslash, as \xNN.
std::string printable(std::string_view text);

// A token as a message quotes it: printable, and cut to its first 40 bytes
// followed by "..." when longer, so that a message stays short.
std::string shortened(std::string_view text);

}  // namespace mrhost
