// A host that cannot load its deliverable, or that refuses what it is given.
// The run ends with exit status 1 and no image; what() is one line.
#pragma once

#include <stdexcept>

namespace preview {

class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace preview
