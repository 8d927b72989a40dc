// kova_glossy on many render threads at once: the same results bit for bit
// as on one thread, and a per-sample path that allocates nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "allocation_counter.h"
#include "support/mrshader_fixture.h"

namespace {

// A scene that exercises every renderer function: area and point lights, a
// connected colour, reflection and irradiance.
struct BusyScene : testsupport::KovaGlossyHost {
    BusyScene()
    {
        mrhost::setCallObserver(scene, nullptr, nullptr);
        const miTag area = scene.addAreaLight({-1.0f, 2.0f, 3.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, 2, 2,
                                              {1.0f, 0.9f, 0.8f, 1.0f});
        const miTag point = scene.addPointLight({2.0f, -1.0f, 4.0f}, {0.5f, 0.5f, 1.0f, 1.0f});
        useLights({area, point});
        mrhost::connect(record, "color",
                        mrhost::addChecker(scene, {0.8f, 0.2f, 0.2f, 1.0f}, {0.2f, 0.8f, 0.2f, 1.0f}, 2.0f));
        record.setScalar("roughness", 0.3f);
        record.setScalar("sharpness", 0.5f);
        record.setScalar("reflectivity", 0.5f);
        record.setBoolean("useIrradiance", true);
        reflection = {true, {0.3f, 0.4f, 0.5f, 1.0f}};
        irradiance = {true, {0.2f, 0.2f, 0.2f, 1.0f}};
    }

    // Sample i of a small patch of a curved surface.
    static mrhost::SampleGeometry sample(int i)
    {
        mrhost::SampleGeometry g;
        const float u = static_cast<float>(i % 16) / 16.0f - 0.5f;
        const float v = static_cast<float>(i / 16) / 16.0f - 0.5f;
        g.point = {u, v, 0.0f};
        g.origin = {0.0f, 0.0f, 5.0f};
        const float length = std::sqrt(u * u + v * v + 25.0f);
        g.direction = {u / length, v / length, -5.0f / length};
        const float n = std::sqrt(u * u + v * v + 1.0f);
        g.normal = {u / n, v / n, 1.0f / n};
        return g;
    }
};

constexpr int kSamples = 256;

std::vector<miColor> shadeAll(BusyScene& host, mrhost::SampleContext& context)
{
    std::vector<miColor> colors(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        colors[static_cast<std::size_t>(i)] = {0.0f, 0.0f, 0.0f, 0.0f};
        context.shade(host.library().shader(), host.record, BusyScene::sample(i), colors[static_cast<std::size_t>(i)]);
    }
    return colors;
}

TEST(KovaGlossyThreads, ManyThreadsGiveTheSingleThreadedResultsBitForBit)
{
    BusyScene host;
    mrhost::SampleContext single(host.scene);
    const std::vector<miColor> expected = shadeAll(host, single);

    constexpr int kThreads = 8;
    std::vector<std::vector<miColor>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&host, &results, t] {
            mrhost::SampleContext context(host.scene, t);
            results[static_cast<std::size_t>(t)] = shadeAll(host, context);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(std::memcmp(results[static_cast<std::size_t>(t)].data(), expected.data(), kSamples * sizeof(miColor)),
                  0)
            << "thread " << t;
    }
}

TEST(KovaGlossyThreads, ShadingASampleAllocatesNothing)
{
    BusyScene host;
    mrhost::SampleContext context(host.scene);
    miColor color{};
    // The first call binds the renderer functions; shading starts after.
    context.shade(host.library().shader(), host.record, BusyScene::sample(0), color);

    const std::uint64_t before = testsupport::allocationCount();
    for (int i = 0; i < kSamples; ++i) {
        color = {0.0f, 0.0f, 0.0f, 0.0f};
        context.shade(host.library().shader(), host.record, BusyScene::sample(i), color);
    }
    EXPECT_EQ(testsupport::allocationCount(), before);
    EXPECT_EQ(color.a, 1.0f);
}

}  // namespace
