// Files made beside others under names no one can guess in advance: a name
// planted beforehand (a link, say) can neither be written through nor make
// the run fail.
#pragma once

#include <string>

namespace preview {

// `stem` followed by a random suffix, such as ".maya.png.3f9c0a17e2d45b68".
std::string unpredictableName(const std::string& stem);

struct UniqueFile {
    int fd = -1;
    std::string path;
};

// Creates a new file in `folder` for writing under unpredictableName(stem),
// exclusively (O_CREAT | O_EXCL) and never through a link (O_NOFOLLOW).
// Throws std::system_error when no file can be made there.
UniqueFile createUniqueFile(const std::string& folder, const std::string& stem);

}  // namespace preview
