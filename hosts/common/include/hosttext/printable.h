// How every message of the stand-in hosts and of the preview shows text that
// a user or a file gave (names, paths, values, bytes read): on one line, with
// nothing in it that a terminal would act on.
#pragma once

#include <string>
#include <string_view>

namespace hosttext {

// The text with each byte outside printable ASCII (0x20 ' ' to 0x7e '~'), and
// the backslash itself, written as \xNN: a backslash, an 'x' and the byte's
// value in two lower-case hex digits. Control bytes (NUL, tab, line breaks,
// the escape that starts a terminal sequence), DEL and every byte of a
// non-ASCII character are shown by value, one escape per byte; the backslash
// is escaped so that an escape in a message always stands for one byte of
// the text. Every other byte passes as it is.
std::string printable(std::string_view text);

}  // namespace hosttext
