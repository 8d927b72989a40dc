// Names a request sends, made safe to use as a file's name.
#pragma once

#include <string>

namespace preview::serve {

// Letters, digits, '_', '-' and '.' of a name the page sends, at most 64 of
// them, so nothing a request names can reach into a path or a file's syntax;
// `fallback` when none is left.
std::string safeName(const std::string& name, const std::string& fallback);

}  // namespace preview::serve
