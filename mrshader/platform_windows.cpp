// Symbol lookup on Windows through GetProcAddress, with the system's own
// error code for a failure.
#include "platform.h"

#include <windows.h>

namespace platform {

void* findSymbol(void* module, const char* name, int* error)
{
    FARPROC address = GetProcAddress(static_cast<HMODULE>(module), name);
    if (address == nullptr) {
        *error = static_cast<int>(GetLastError());
        return nullptr;
    }
    return reinterpret_cast<void*>(address);
}

}  // namespace platform
