// The binding table and the lookup behind every renderer stub. Render threads
// fill the table without a lock: two threads binding the same function at
// once store the same address, and each entry is one atomic word so that race
// is well defined. miSetModuleHandle runs before any render thread starts.
#include "binding.h"

#include <atomic>
#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "platform.h"

namespace binding {

std::atomic<void*> gTable[kTableSize];

namespace {

std::atomic<void*> gModule{nullptr};

// The exact names the renderer exports, in the order of Function.
const char* const kNames[] = {"mi_compute_irradiance", "mi_trace_reflection", "mi_trace_environment",
                              "mi_sample_light",       "mi_phen_eval",        "mi_reflection_dir"};

}  // namespace

void* lookUp(int index)
{
    void* const module = gModule.load(std::memory_order_relaxed);
    if (module == nullptr) {
        // Reported, and the lookup still goes ahead with the null handle.
        std::fputs("DYNLOAD: dl_handle null\n", stderr);
    }
    int error = 0;
    void* const address = platform::findSymbol(module, kNames[index], &error);
    gTable[index].store(address, std::memory_order_relaxed);
    if (address == nullptr) {
        // The handle printed whole, at pointer width, never cut to 32 bits.
        std::fprintf(stderr, "dlsym failed on \"%s\" (handle: %08" PRIxPTR " error: %d)\n", kNames[index],
                     reinterpret_cast<std::uintptr_t>(module), error);
    }
    return address;
}

}  // namespace binding

extern "C" GLOSSY_EXPORT void miSetModuleHandle(void* handle)
{
    binding::gModule.store(handle, std::memory_order_relaxed);
    for (std::atomic<void*>& slot : binding::gTable) {
        slot.store(nullptr, std::memory_order_relaxed);
    }
}
