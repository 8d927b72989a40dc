// Random numbers for one pixel sample, seeded from the pixel's coordinates
// and the sample's index only, so an image does not depend on which thread
// rendered which tile, nor on how many threads there were.
#pragma once

#include <cstdint>

namespace preview {

class Sampler {
public:
    Sampler(int x, int y, int sample);

    // Uniform in [0, 1).
    float next();

private:
    std::uint64_t state_;
};

}  // namespace preview
