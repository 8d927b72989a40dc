// Samples per second of both hosts in the preview scene, with one thread and
// with all threads, as ratios measured in the same run:
//   scaling      time with 1 thread / time with all threads
//   vs_floor     time with the host / time with a constant-colour material
//                (the scene work alone: camera rays, ground, shadows)
//   shade_share  share of the render spent inside the host's shading call
//                (glossy::compute or kova_glossy, with the reflection rays it
//                traces back into the scene)
//   cpu_cost     processor time of the render with all threads / with one:
//                near 1 when threads add no work of their own (no locks, no
//                shared cache lines), which holds even on a busy machine,
//                where `scaling` only shows what the other processes leave
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "deliverables.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "render.h"

namespace {

using namespace preview;
using Clock = std::chrono::steady_clock;

// The floor: a material that costs nothing, in a scene lit as the host sees it.
class ConstantHost : public MaterialHost {
    class Shader : public MaterialShader {
        ShadeResult shade(const ShadingPoint&, Sampler&) override { return {{0.5f, 0.5f, 0.5f}, {}}; }
    };

public:
    explicit ConstantHost(LightView view) : view_(view) {}
    const char* name() const override { return "constant"; }
    LightView lightView() const override { return view_; }
    bool hasInput(const std::string&) const override { return false; }
    void setInput(const std::string&, const MaterialValue&) override {}
    std::unique_ptr<MaterialShader> makeShader() override { return std::make_unique<Shader>(); }

private:
    LightView view_;
};

// Times every shading call of another host's shaders.
class TimedHost : public MaterialHost {
    class Shader : public MaterialShader {
    public:
        Shader(std::unique_ptr<MaterialShader> inner, std::atomic<std::int64_t>& total)
            : inner_(std::move(inner)), total_(total)
        {
        }
        ~Shader() override { total_ += own_; }
        ShadeResult shade(const ShadingPoint& p, Sampler& s) override
        {
            const auto start = Clock::now();
            const ShadeResult result = inner_->shade(p, s);
            own_ += (Clock::now() - start).count();
            return result;
        }

    private:
        std::unique_ptr<MaterialShader> inner_;
        std::atomic<std::int64_t>& total_;
        std::int64_t own_ = 0;
    };

public:
    explicit TimedHost(MaterialHost& inner) : inner_(inner) {}
    const char* name() const override { return inner_.name(); }
    LightView lightView() const override { return inner_.lightView(); }
    bool hasInput(const std::string& n) const override { return inner_.hasInput(n); }
    void setInput(const std::string& n, const MaterialValue& v) override { inner_.setInput(n, v); }
    std::unique_ptr<MaterialShader> makeShader() override
    {
        return std::make_unique<Shader>(inner_.makeShader(), shadeTime);
    }

    std::atomic<std::int64_t> shadeTime{0};

private:
    MaterialHost& inner_;
};

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double secondsToRender(const BallScene& scene, MaterialHost& host, int threads, double* processor = nullptr)
{
    RenderSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.samples = 2;
    settings.threads = threads;
    const double processorStart = processorSeconds();
    const auto start = Clock::now();
    benchmark::DoNotOptimize(render(scene, host, settings));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (processor) *processor += processorSeconds() - processorStart;
    return seconds;
}

void previewScene(benchmark::State& state, bool maya)
{
    const BallScene scene(Environment(), 3);
    const DeliverablePaths paths = builtDeliverables();
    std::unique_ptr<MaterialHost> host;
    if (maya)
        host = std::make_unique<MayaHost>(scene, paths.mayaModule);
    else
        host = std::make_unique<MentalRayHost>(scene, paths.shaderLibrary, paths.shaderDeclaration);
    TimedHost timed(*host);
    ConstantHost floor(host->lightView());
    const int allThreads = int(std::max(1u, std::thread::hardware_concurrency()));

    double floorTime = 0.0, oneThread = 0.0, everyThread = 0.0, timedTotal = 0.0;
    double oneThreadProcessor = 0.0, everyThreadProcessor = 0.0;
    for (auto _ : state) {
        floorTime += secondsToRender(scene, floor, 1);
        oneThread += secondsToRender(scene, *host, 1, &oneThreadProcessor);
        everyThread += secondsToRender(scene, *host, allThreads, &everyThreadProcessor);
        timedTotal += secondsToRender(scene, timed, 1);
    }
    const double samples = 160.0 * 120.0 * 2.0 * double(state.iterations());
    state.counters["samples_per_s_1_thread"] = samples / oneThread;
    state.counters["samples_per_s_all_threads"] = samples / everyThread;
    state.counters["threads"] = allThreads;
    state.counters["scaling"] = oneThread / everyThread;
    state.counters["cpu_cost"] = everyThreadProcessor / oneThreadProcessor;
    state.counters["vs_floor"] = oneThread / floorTime;
    state.counters["shade_share"] = double(timed.shadeTime.load()) * 1e-9 / timedTotal;
}

void BM_PreviewMaya(benchmark::State& state) { previewScene(state, true); }
void BM_PreviewMentalRay(benchmark::State& state) { previewScene(state, false); }

BENCHMARK(BM_PreviewMaya)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PreviewMentalRay)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
