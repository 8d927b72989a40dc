// Run-time binding to the renderer: the module handle the renderer hands in
// and the table of renderer functions, each looked up by name on first use.
#pragma once

extern "C" {
#include <shader.h>
}

#include "glossy_export.h"

#include <atomic>

namespace binding {

// The renderer functions the shader calls, as indices into the table.
enum class Function { ComputeIrradiance, TraceReflection, TraceEnvironment, SampleLight, PhenEval, ReflectionDir };

// Room in the table; the shader uses the first six entries.
constexpr int kTableSize = 500;

// The bound addresses, one atomic word per function (null: not bound yet).
extern std::atomic<void*> gTable[kTableSize];

// Looks the function up in the renderer's module and stores the address;
// null (after reporting it on stderr) when the lookup fails.
void* lookUp(int index);

// The function's address in the renderer's module, looked up now if it is
// not bound yet. Inline: every renderer call of every sample goes through
// here, and once bound it is one load.
inline void* entry(Function function)
{
    const int index = static_cast<int>(function);
    void* const address = gTable[index].load(std::memory_order_relaxed);
    return address != nullptr ? address : lookUp(index);
}

// The same, as a pointer of the function's own type.
template <typename FunctionPointer>
FunctionPointer bound(Function function)
{
    return reinterpret_cast<FunctionPointer>(entry(function));
}

}  // namespace binding

// The renderer hands the library its module handle; every entry is cleared so
// that each function is looked up afresh in that module.
extern "C" GLOSSY_EXPORT void miSetModuleHandle(void* handle);
