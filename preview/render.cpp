// Tile scheduling: workers take the next tile from an atomic counter until
// none is left. Which worker renders which tile varies from run to run; the
// pixels do not, since each sample draws only on its own seeded sampler.
#include "render.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace preview {
namespace {

constexpr int kTileSize = 16;

}  // namespace

Vec3 traceCameraRay(const Scene& scene, MaterialShader& shader, LightView view, float px, float py,
                    int width, int height, bool seeThrough, Sampler& sampler) {
    const Ray ray = scene.cameraRay(px, py, width, height);
    const Hit hit = scene.intersect(ray, true);
    switch (hit.surface) {
    case Surface::Ball: {
        const ShadeResult result = shader.shade({hit.point, hit.normal, ray.direction}, sampler);
        if (!seeThrough) return result.colour;
        // What lies behind the ball along the same ray, without refraction.
        const Vec3 behind = scene.traceFromBall(ray, view);
        return result.colour + result.transparency * behind;
    }
    case Surface::Ground: return scene.shadeGround(hit, view);
    case Surface::None: break;
    }
    return scene.environment(ray.direction);
}

Image render(const Scene& scene, MaterialHost& host, const RenderSettings& settings, SampleCounter* counter) {
    Image image(settings.width, settings.height);
    const int tilesX = (settings.width + kTileSize - 1) / kTileSize;
    const int tilesY = (settings.height + kTileSize - 1) / kTileSize;
    const int tileCount = tilesX * tilesY;
    std::atomic<int> nextTile{0};
    const LightView view = host.lightView();
    const float weight = 1.0f / float(settings.samples);

    auto work = [&](MaterialShader& shader) {
        for (int tile = nextTile++; tile < tileCount; tile = nextTile++) {
            const int x0 = (tile % tilesX) * kTileSize;
            const int y0 = (tile / tilesX) * kTileSize;
            const int x1 = std::min(x0 + kTileSize, settings.width);
            const int y1 = std::min(y0 + kTileSize, settings.height);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    Vec3 sum;
                    for (int s = 0; s < settings.samples; ++s) {
                        Sampler sampler(x, y, s);
                        // The first sample goes through the pixel's centre.
                        const float jx = s == 0 ? 0.5f : sampler.next();
                        const float jy = s == 0 ? 0.5f : sampler.next();
                        sum += traceCameraRay(scene, shader, view, float(x) + jx, float(y) + jy,
                                              settings.width, settings.height, settings.seeThrough, sampler);
                    }
                    image.at(x, y) = sum * weight;
                }
            if (counter) *counter += std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0) * std::uint64_t(settings.samples);
        }
    };

    const int threadCount = std::max(1, std::min(settings.threads, tileCount));
    // Shaders are made up front, on this thread: making one may allocate.
    std::vector<std::unique_ptr<MaterialShader>> shaders;
    for (int i = 0; i < threadCount; ++i) shaders.push_back(host.makeShader());
    std::vector<std::thread> workers;
    for (int i = 1; i < threadCount; ++i) workers.emplace_back(work, std::ref(*shaders[i]));
    work(*shaders[0]);
    for (std::thread& worker : workers) worker.join();
    return image;
}

}  // namespace preview
