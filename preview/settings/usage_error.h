// What a user gave that cannot be used: a bad command line, or a file named
// on it (or uploaded to the live page) that does not read. The run ends with
// exit status 2 and nothing written; what() is the one printable line to show.
#pragma once

#include <stdexcept>

namespace preview {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace preview
