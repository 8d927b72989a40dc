// Reading a small text file a user names (a preset, a shader block file),
// refusing what is not one: a folder, a missing file, binary bytes.
#pragma once

#include <string>
#include <string_view>

#include <hosttext/printable.h>

#include "usage_error.h"

namespace preview {

// The whole file. Text is UTF-8 without NUL or other control bytes than tab,
// carriage return and line feed. A file that is not readable text is a
// UsageError naming the file and why ("satin.mel:0: ..." with line 0 for the
// file as a whole, or the line of the first byte that is not text).
std::string readTextFile(const std::string& path);

// The text as a message can show it: the hosts' one way (bytes outside
// printable ASCII, and the backslash, as \xNN), named here for the preview's
// messages.
using hosttext::printable;

}  // namespace preview
