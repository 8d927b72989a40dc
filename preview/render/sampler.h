// Random numbers for one pixel sample, seeded from the pixel's coordinates
// and the sample's index only, so an image does not depend on which thread
// rendered which tile, nor on how many threads there were.
#pragma once

#include <cstdint>

namespace preview {

class Sampler {
public:
    // Sample `sample` of the `samples` a pixel takes.
    Sampler(int x, int y, int sample, int samples = 1);

    // Uniform in [0, 1).
    float next();

    // A point of the unit square, for sampling an area: the pixel's first
    // m x m samples (m the whole square root of their count) each take their
    // own cell of an m x m grid, the rest the whole square, jittered within;
    // together a pixel's samples then cover the square evenly, as a
    // renderer's stratified samples do.
    void stratified(int part, float& u, float& v);

private:
    std::uint64_t pixel_;  // the same for every sample of the pixel
    std::uint64_t state_;
    int sample_;
    int grid_;  // m
};

}  // namespace preview
