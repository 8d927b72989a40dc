// The page's files (HTML, CSS, JavaScript), built into the program so the
// server needs nothing from disk and nothing from the network.
#pragma once

#include <string_view>

namespace preview::serve {

struct PageFile {
    std::string_view path;  // "/", "/app.js"
    std::string_view contentType;
    std::string_view content;
};

// Null for a path that is not one of them.
const PageFile* findPageFile(std::string_view path);

}  // namespace preview::serve
