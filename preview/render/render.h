// Renders the scene through one host: tiles of the image handed to worker
// threads, each pixel's samples seeded from their coordinates so that the
// image is the same whatever the thread count.
#pragma once

#include <atomic>
#include <cstdint>

#include "image.h"
#include "material_host.h"
#include "scene.h"

namespace preview {

struct RenderSettings {
    int width = 480;
    int height = 360;
    int samples = 8;
    int threads = 1;
    // Composite what lies behind the ball through its transparency, as a
    // renderer does. Off, the ball shows the shader's colour alone.
    bool seeThrough = true;
    // When set, workers stop at their next tile once it turns true, leaving
    // the image unfinished: for a caller that no longer wants it.
    const std::atomic<bool>* cancel = nullptr;
    // The part of the camera's image plane shown: the camera's own view by default.
    ScreenWindow window;
};

// Counts samples shaded, read by the progress display while rendering.
using SampleCounter = std::atomic<std::uint64_t>;

// Throws std::runtime_error when a shader cannot be made or not every
// thread can be started (the threads that did start are joined first).
Image render(const BallScene& scene, MaterialHost& host, const RenderSettings& settings,
             SampleCounter* counter = nullptr);

// The colour of one sample through pixel (px, py) of an image of that size.
Vec3 traceCameraRay(const BallScene& scene, MaterialShader& shader, LightView view, float px, float py, int width,
                    int height, bool seeThrough, Sampler& sampler, const ScreenWindow& window = {});

}  // namespace preview
