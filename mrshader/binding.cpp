// The binding table and the lookup behind every renderer stub. Render threads
// fill the table without a lock: two threads binding the same function at
// once store the same address, and each entry is one word written whole, so
// that race is harmless. miSetModuleHandle runs before any render thread starts.
#include "binding.h"

#include <cstddef>
#include <cstdio>

#include "platform.h"

namespace binding {

void* gTable[kTableSize];

namespace {

void* gModule = 0;

// The exact names the renderer exports, in the order of Function.
const char* const kNames[] = {"mi_compute_irradiance", "mi_trace_reflection", "mi_trace_environment",
                              "mi_sample_light",       "mi_phen_eval",        "mi_reflection_dir"};

// The handle in lower-case hexadecimal, at least eight digits and as many
// more as the whole pointer needs: never cut to 32 bits.
void formatHandle(const void* module, char (&text)[2 * sizeof(void*) + 1])
{
    std::size_t value = reinterpret_cast<std::size_t>(module);
    char digits[2 * sizeof(void*)];
    int count = 0;
    do {
        digits[count++] = "0123456789abcdef"[value % 16];
        value /= 16;
    } while (value != 0);
    int at = 0;
    for (int pad = count; pad < 8; ++pad) {
        text[at++] = '0';
    }
    while (count > 0) {
        text[at++] = digits[--count];
    }
    text[at] = '\0';
}

}  // namespace

void* lookUp(int index)
{
    void* const module = loadWord(&gModule);
    if (module == 0 && platform::kNullHandleIsReported) {
        // Reported, and the lookup still goes ahead with the null handle.
        std::fputs("DYNLOAD: dl_handle null\n", stderr);
    }
    int error = 0;
    void* const address = platform::findSymbol(module, kNames[index], &error);
    storeWord(&gTable[index], address);
    if (address == 0) {
        char handle[2 * sizeof(void*) + 1];
        formatHandle(module, handle);
        std::fprintf(stderr, "dlsym failed on \"%s\" (handle: %s error: %d)\n", kNames[index], handle, error);
    }
    return address;
}

}  // namespace binding

extern "C" GLOSSY_EXPORT void miSetModuleHandle(void* handle)
{
    binding::storeWord(&binding::gModule, handle);
    for (int index = 0; index < binding::kTableSize; ++index) {
        binding::storeWord(&binding::gTable[index], 0);
    }
}
