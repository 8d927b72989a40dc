// Tile scheduling: workers take the next tile from an atomic counter until
// none is left. Which worker renders which tile varies from run to run; the
// pixels do not, since each sample draws only on its own seeded sampler.
// Threads share nothing they write per sample: not even a cache line.
#include "render.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace preview {
namespace {

constexpr int kTileSize = 16;

// Any channel other than zero lets something through, a negative or NaN one
// included: compositing with exact zeros adds +0 to each finite channel,
// which the pixel sum cannot tell from adding nothing, so the ray behind is
// traced only where it can change the picture.
bool letsLightThrough(const Vec3& transparency)
{
    return !(transparency.x == 0.0f && transparency.y == 0.0f && transparency.z == 0.0f);
}

}  // namespace

Vec3 traceCameraRay(const BallScene& scene, MaterialShader& shader, LightView view, float px, float py, int width,
                    int height, bool seeThrough, Sampler& sampler, const ScreenWindow& window)
{
    const Ray ray = scene.cameraRay(px, py, width, height, window);
    const Hit hit = scene.intersect(ray, true);
    switch (hit.surface) {
    case Surface::Ball: {
        const ShadeResult result = shader.shade({hit.point, hit.normal, ray.direction}, sampler);
        if (!seeThrough || !letsLightThrough(result.transparency)) return result.color;
        // What lies behind the ball along the same ray, without refraction.
        const Vec3 behind = scene.traceFromBall(ray, view, &sampler);
        return result.color + result.transparency * behind;
    }
    case Surface::Ground: return scene.shadeGround(hit, view, &sampler);
    case Surface::None: break;
    }
    return scene.environment(ray.direction);
}

namespace {

// The tile counter gets a cache line of its own: the workers bump it, and
// nothing they read per sample may share that line.
struct alignas(64) TileQueue {
    std::atomic<int> next{0};
};

// What a worker needs, copied onto its own stack: were the workers to read
// these per sample from the stack of the thread that started them, they
// would share cache lines with that thread's busiest writes.
struct TileJob {
    const BallScene* scene;
    LightView view;
    RenderSettings settings;
    int tilesX;
    int tileCount;
    Image* image;
    TileQueue* queue;
    SampleCounter* counter;
};

void renderTiles(const TileJob job, MaterialShader& shader)
{
    const RenderSettings& s = job.settings;
    const float weight = 1.0f / float(s.samples);
    for (int tile = job.queue->next++; tile < job.tileCount; tile = job.queue->next++) {
        if (s.cancel && s.cancel->load(std::memory_order_relaxed)) break;
        const int x0 = (tile % job.tilesX) * kTileSize;
        const int y0 = (tile / job.tilesX) * kTileSize;
        const int x1 = std::min(x0 + kTileSize, s.width);
        const int y1 = std::min(y0 + kTileSize, s.height);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                Vec3 sum;
                for (int i = 0; i < s.samples; ++i) {
                    Sampler sampler(x, y, i, s.samples);
                    // The first sample goes through the pixel's centre.
                    const float jx = i == 0 ? 0.5f : sampler.next();
                    const float jy = i == 0 ? 0.5f : sampler.next();
                    sum += traceCameraRay(*job.scene, shader, job.view, float(x) + jx, float(y) + jy, s.width, s.height,
                                          s.seeThrough, sampler, s.window);
                }
                job.image->at(x, y) = sum * weight;
            }
        if (job.counter) *job.counter += std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0) * std::uint64_t(s.samples);
    }
}

}  // namespace

Image render(const BallScene& scene, MaterialHost& host, const RenderSettings& settings, SampleCounter* counter)
{
    Image image(settings.width, settings.height);
    TileQueue queue;
    TileJob job{&scene, host.lightView(), settings, 0, 0, &image, &queue, counter};
    job.tilesX = (settings.width + kTileSize - 1) / kTileSize;
    job.tileCount = job.tilesX * ((settings.height + kTileSize - 1) / kTileSize);

    // Each thread makes its own shader, one at a time, so that what the host
    // allocates for it comes from that thread's own heap arena and lies apart
    // from the other threads' per-sample writes.
    std::mutex setupMutex;
    std::exception_ptr failure;
    auto work = [job, &host, &setupMutex, &failure] {
        std::unique_ptr<MaterialShader> shader;
        {
            std::lock_guard<std::mutex> lock(setupMutex);
            try {
                shader = host.makeShader();
            } catch (...) {
                if (!failure) failure = std::current_exception();
                return;
            }
        }
        renderTiles(job, *shader);
    };
    const int threadCount = std::max(1, std::min(settings.threads, job.tileCount));
    std::vector<std::thread> workers;
    workers.reserve(std::size_t(threadCount - 1));
    for (int i = 1; i < threadCount; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error& e) {
            // A process or memory limit: stop the ones that started at their
            // next tile, join them, and say how far it got.
            queue.next = job.tileCount;
            for (std::thread& worker : workers) worker.join();
            throw std::runtime_error("cannot start " + std::to_string(threadCount) + " render threads, only " +
                                     std::to_string(i) + " (" + e.code().message() + "); try a smaller --threads");
        }
    }
    work();
    for (std::thread& worker : workers) worker.join();
    if (failure) std::rethrow_exception(failure);
    return image;
}

}  // namespace preview
