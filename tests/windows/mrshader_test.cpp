// kova_glossy.dll under the Windows build of the stand-in renderer: loaded
// with LoadLibrary, handed the module handle of the DLL that exports the six
// renderer functions, shading samples; then bound against a module that lacks
// some of them, a null handle and a handle that is not a module, with what
// GetProcAddress and GetLastError give there.
#include <gtest/gtest.h>
#include <windows.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/mrshader_fixture.h"

namespace {

// What the binding writes when a lookup fails in `module` with `error`.
std::string lookupFailure(const char* name, const void* module, int error)
{
    char line[200];
    std::snprintf(line, sizeof line, "dlsym failed on \"%s\" (handle: %08" PRIxPTR " error: %d)\n", name,
                  reinterpret_cast<std::uintptr_t>(module), error);
    return line;
}

struct MentalRayOnWindows : testsupport::KovaGlossyHost {
    MentalRayOnWindows() { setHandle = reinterpret_cast<void (*)(void*)>(library().symbol("miSetModuleHandle")); }
    void (*setHandle)(void*) = nullptr;
};

TEST(WindowsShaderLibrary, HandsTheLibraryTheRenderersModuleAndShades)
{
    MentalRayOnWindows renderer;
    ASSERT_NE(renderer.setHandle, nullptr);
    // The handle given is the loaded renderer core DLL itself.
    EXPECT_EQ(mrhost::coreModuleHandle(), reinterpret_cast<void*>(GetModuleHandleA(MENTALRAY_HOST_DLL)));
    EXPECT_NE(mrhost::coreModuleHandle(), nullptr);

    // One white light straight above the point, seen straight on: the diffuse
    // 0.8 × colour plus the full highlight 0.5.
    renderer.useLights({renderer.light({{0.0f, 0.0f, 1.0f}}, {{1.0f, 1.0f, 1.0f, 1.0f}})});
    testing::internal::CaptureStderr();
    const miColor got = renderer.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(got.r, 0x1.cccccc0p-1f);
    EXPECT_EQ(got.g, 0x1.6666660p-1f);
    EXPECT_EQ(got.b, 0x1.4ccccc0p+0f);
    EXPECT_EQ(got.a, 1.0f);
}

TEST(WindowsShaderLibrary, ModuleLackingFunctionsIsReportedOnEveryCallUntilRebound)
{
    MentalRayOnWindows renderer;
    HMODULE partial = LoadLibraryA(PARTIAL_RENDERER_PATH);
    ASSERT_NE(partial, nullptr) << GetLastError();
    renderer.setHandle(partial);
    // The light needs mi_sample_light, the reflection mi_trace_reflection and
    // then mi_trace_environment: none of them is in the module
    // (ERROR_PROC_NOT_FOUND). mi_phen_eval and mi_reflection_dir are.
    renderer.useLights({renderer.light({{0.0f, 0.0f, 1.0f}}, {{1.0f, 1.0f, 1.0f, 1.0f}})});
    renderer.record.setScalar("reflectivity", 0.5f);
    const std::string once = lookupFailure("mi_sample_light", partial, ERROR_PROC_NOT_FOUND) +
                             lookupFailure("mi_trace_reflection", partial, ERROR_PROC_NOT_FOUND) +
                             lookupFailure("mi_trace_environment", partial, ERROR_PROC_NOT_FOUND);

    testing::internal::CaptureStderr();
    const miColor first = renderer.shade();
    renderer.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), once + once);
    // No light arrived and nothing was traced: black, and opaque.
    EXPECT_EQ(first.r, 0.0f);
    EXPECT_EQ(first.a, 1.0f);

    renderer.setHandle(mrhost::coreModuleHandle());
    testing::internal::CaptureStderr();
    const miColor rebound = renderer.shade();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_GT(rebound.r, 0.0f);
    FreeLibrary(partial);
}

// Handles the renderer might pass wrongly, with a sample whose only renderer
// call is mi_phen_eval (its colour is connected).
struct BadHandle {
    const char* what;
    void* handle;
    std::string expectedOutput;
};

TEST(WindowsShaderLibrary, NullAndForeignHandlesAreReportedWithTheSystemsErrorCode)
{
    static char notAModule[64];
    const BadHandle cases[] = {
        // GetProcAddress takes a null handle for the program's own module,
        // which exports nothing: ERROR_PROC_NOT_FOUND, not ERROR_INVALID_HANDLE.
        {"null", nullptr, "DYNLOAD: dl_handle null\n" + lookupFailure("mi_phen_eval", nullptr, ERROR_PROC_NOT_FOUND)},
        // Memory that no module was loaded at: ERROR_MOD_NOT_FOUND.
        {"not a module", notAModule, lookupFailure("mi_phen_eval", notAModule, ERROR_MOD_NOT_FOUND)},
    };
    for (const BadHandle& c : cases) {
        MentalRayOnWindows renderer;
        mrhost::connect(
            renderer.record, "color",
            mrhost::addChecker(renderer.scene, {0.25f, 0.25f, 0.25f, 1.0f}, {0.25f, 0.25f, 0.25f, 1.0f}, 1.0f));
        renderer.record.setColor("ambientColor", {1.0f, 1.0f, 1.0f, 1.0f});
        renderer.setHandle(c.handle);
        testing::internal::CaptureStderr();
        const miColor got = renderer.shade();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expectedOutput) << c.what;
        // Unbound, the connection yields nothing: the colour stored in place counts.
        EXPECT_EQ(got.r, 0.5f) << c.what;
    }
}

}  // namespace
