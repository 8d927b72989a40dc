// The run-time binding of kova_glossy, built here with a scripted platform
// layer in place of dlsym: modules are plain numbers naming a table of
// exports, and every lookup is counted, so the tests see exactly when the
// binding looks a name up, what it binds and what it reports.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <shader.h>
}

#include "binding.h"
#include "platform.h"

namespace {

// What the scripted renderer functions saw last.
struct Seen {
    int module = 0;
    miColor* color = nullptr;
    miState* state = nullptr;
    miVector* direction = nullptr;
    miTag light = 0;
    void* parameter = nullptr;
};
thread_local Seen gSeen;  // per thread: the threads test calls them at once

template <int Module>
miBoolean traceReflection(miColor* c, miState* s, miVector* d)
{
    gSeen = {Module, c, s, d, 0, nullptr};
    return Module;
}
template <int Module>
miBoolean traceEnvironment(miColor* c, miState* s, miVector* d)
{
    gSeen = {Module, c, s, d, 0, nullptr};
    return Module;
}
template <int Module>
miBoolean computeIrradiance(miColor* c, miState* s)
{
    gSeen = {Module, c, s, nullptr, 0, nullptr};
    return Module;
}
template <int Module>
miBoolean sampleLight(miColor* c, miVector* d, float*, miState* s, miTag light, int* samples)
{
    gSeen = {Module, c, s, d, light, samples};
    return Module;
}
template <int Module>
void* phenEval(miState* s, void* parameter)
{
    gSeen = {Module, nullptr, s, nullptr, 0, parameter};
    return static_cast<char*>(parameter) + Module;
}
template <int Module>
void reflectionDir(miVector* d, miState* s)
{
    gSeen = {Module, nullptr, s, d, 0, nullptr};
    d->x = static_cast<float>(Module);
}

template <int Module>
std::map<std::string, void*> fullModule()
{
    return {{"mi_trace_reflection", reinterpret_cast<void*>(&traceReflection<Module>)},
            {"mi_trace_environment", reinterpret_cast<void*>(&traceEnvironment<Module>)},
            {"mi_compute_irradiance", reinterpret_cast<void*>(&computeIrradiance<Module>)},
            {"mi_sample_light", reinterpret_cast<void*>(&sampleLight<Module>)},
            {"mi_phen_eval", reinterpret_cast<void*>(&phenEval<Module>)},
            {"mi_reflection_dir", reinterpret_cast<void*>(&reflectionDir<Module>)}};
}

// Module handles the scripted platform knows; any other has no exports. The
// null handle is the program itself, which holds one renderer function.
const std::uintptr_t kModuleOne = 0x1000;
const std::uintptr_t kModuleTwo = 0x7f00deadbeef0;
const std::uintptr_t kEmptyModule = 0xab;
const std::uintptr_t kProgram = 0;
const std::map<std::uintptr_t, std::map<std::string, void*>> kModules{
    {kModuleOne, fullModule<1>()},
    {kModuleTwo, fullModule<2>()},
    {kEmptyModule, {}},
    {kProgram, {{"mi_trace_reflection", reinterpret_cast<void*>(&traceReflection<3>)}}}};

std::atomic<int> gLookups{0};

void* handle(std::uintptr_t module) { return reinterpret_cast<void*>(module); }

}  // namespace

namespace platform {

void* findSymbol(void* module, const char* name, int* error)
{
    gLookups.fetch_add(1);
    const auto exports = kModules.find(reinterpret_cast<std::uintptr_t>(module));
    if (exports != kModules.end()) {
        const auto found = exports->second.find(name);
        if (found != exports->second.end()) {
            return found->second;
        }
    }
    *error = kProcNotFound;
    return nullptr;
}

}  // namespace platform

namespace {

class Binding : public ::testing::Test {
protected:
    void SetUp() override
    {
        miSetModuleHandle(handle(kModuleOne));
        gLookups = 0;
        gSeen = {};
    }

    miColor color{0.5f, 0.5f, 0.5f, 0.5f};
    miVector direction{0.25f, 0.25f, 0.25f};
    miState state{};
};

TEST_F(Binding, SuccessfulLookupIsMadeOnceAndPassesEverythingThrough)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 1);
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(gLookups, 1);
    EXPECT_EQ(gSeen.color, &color);
    EXPECT_EQ(gSeen.state, &state);
    EXPECT_EQ(gSeen.direction, &direction);
}

TEST_F(Binding, EachStubBindsItsOwnRendererFunction)
{
    float cosine = 0.0f;
    int samples = 0;
    char parameter[4] = {};
    EXPECT_EQ(mi_trace_environment(&color, &state, &direction), 1);
    EXPECT_EQ(gSeen.direction, &direction);
    EXPECT_EQ(mi_compute_irradiance(&color, &state), 1);
    EXPECT_EQ(gSeen.color, &color);
    EXPECT_EQ(mi_sample_light(&color, &direction, &cosine, &state, 42u, &samples), 1);
    EXPECT_EQ(gSeen.light, 42u);
    EXPECT_EQ(gSeen.parameter, &samples);
    EXPECT_EQ(mi_phen_eval(&state, parameter), parameter + 1);
    mi_reflection_dir(&direction, &state);
    EXPECT_EQ(direction.x, 1.0f);
    EXPECT_EQ(gLookups, 5);
}

TEST_F(Binding, FailedLookupIsReportedAndRetriedWithoutCallingAnything)
{
    miSetModuleHandle(handle(kEmptyModule));
    testing::internal::CaptureStderr();
    EXPECT_EQ(mi_compute_irradiance(&color, &state), miFALSE);
    EXPECT_EQ(mi_compute_irradiance(&color, &state), miFALSE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "dlsym failed on \"mi_compute_irradiance\" (handle: 000000ab error: 127)\n"
              "dlsym failed on \"mi_compute_irradiance\" (handle: 000000ab error: 127)\n");
    EXPECT_EQ(gLookups, 2);
    EXPECT_EQ(gSeen.module, 0) << "nothing may be called after a failed lookup";

    // The outputs stay as they were.
    testing::internal::CaptureStderr();
    char parameter[4] = {};
    EXPECT_EQ(mi_phen_eval(&state, parameter), nullptr);
    mi_reflection_dir(&direction, &state);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(direction.x, 0.25f);
    EXPECT_EQ(color.r, 0.5f);
}

// Without a handle the functions are looked up in the program; the missing
// handle is worth a line only where renderers always give one.
TEST_F(Binding, NullHandleLooksInTheProgramAndIsReportedOnlyWhereUnusual)
{
    const std::string nullLine = platform::kNullHandleIsReported ? "DYNLOAD: dl_handle null\n" : "";
    miSetModuleHandle(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), nullLine);

    testing::internal::CaptureStderr();
    float cosine = 0.0f;
    int samples = 0;
    EXPECT_EQ(mi_sample_light(&color, &direction, &cosine, &state, 1u, &samples), miFALSE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              nullLine + "dlsym failed on \"mi_sample_light\" (handle: 00000000 error: 127)\n");
}

TEST_F(Binding, HandleIsPrintedWholeAtPointerWidth)
{
    if (sizeof(void*) < 8) {
        GTEST_SKIP() << "a 64-bit handle needs 64-bit pointers";
    }
    miSetModuleHandle(handle(kModuleTwo + 8));
    testing::internal::CaptureStderr();
    mi_trace_environment(&color, &state, &direction);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "dlsym failed on \"mi_trace_environment\" (handle: 7f00deadbeef8 error: 127)\n");
}

TEST_F(Binding, NewHandleClearsEveryEntryAndRebinds)
{
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 1);
    miSetModuleHandle(handle(kModuleTwo));
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 2);
    EXPECT_EQ(gLookups, 2);

    // The same handle again still clears the table.
    miSetModuleHandle(handle(kModuleTwo));
    EXPECT_EQ(mi_trace_reflection(&color, &state, &direction), 2);
    EXPECT_EQ(gLookups, 3);
}

TEST_F(Binding, ThreadsBindingAtOnceAllGetTheFunction)
{
    std::vector<std::thread> threads;
    std::atomic<int> bound{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&bound] {
            miColor c{};
            miState s{};
            for (int i = 0; i < 100; ++i) {
                bound += mi_compute_irradiance(&c, &s);
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(bound, 800);
    EXPECT_GE(gLookups, 1);
    EXPECT_LE(gLookups, 8);
}

}  // namespace
