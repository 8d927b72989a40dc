// Run-time binding to the renderer: the module handle the renderer hands in
// and the table of renderer functions, each looked up by name on first use.
#pragma once

extern "C" {
#include <shader.h>
}

#include <cstring>

#include "glossy_export.h"
#include "table_word.h"

namespace binding {

// The renderer functions the shader calls, as indices into the table.
enum Function { ComputeIrradiance, TraceReflection, TraceEnvironment, SampleLight, PhenEval, ReflectionDir };

// Room in the table; the shader uses the first six entries.
const int kTableSize = 500;

// The bound addresses, one word per function (null: not bound yet).
extern void* gTable[kTableSize];

// Looks the function up in the renderer's module and stores the address;
// null (after reporting it on stderr) when the lookup fails.
void* lookUp(int index);

// The function's address in the renderer's module, looked up now if it is
// not bound yet. Inline: every renderer call of every sample goes through
// here, and once bound it is one load.
inline void* entry(Function function)
{
    const int index = static_cast<int>(function);
    void* const address = loadWord(&gTable[index]);
    return address != 0 ? address : lookUp(index);
}

// Function pointers are as wide as addresses on every platform the hosts run
// on; a build where they are not does not compile.
typedef char FunctionPointersAreAddressSized[sizeof(void (*)()) == sizeof(void*) ? 1 : -1];

// The same, as a pointer of the function's own type. The address is copied
// bytewise: standard C++ has no cast between object and function pointers.
template <typename FunctionPointer>
FunctionPointer bound(Function function)
{
    void* const address = entry(function);
    FunctionPointer pointer;
    std::memcpy(&pointer, &address, sizeof pointer);
    return pointer;
}

}  // namespace binding

// The renderer hands the library its module handle; every entry is cleared so
// that each function is looked up afresh in that module.
extern "C" GLOSSY_EXPORT void miSetModuleHandle(void* handle);
