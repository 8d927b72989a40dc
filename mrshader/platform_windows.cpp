// Symbol lookup on Windows through GetProcAddress, with the system's own
// error code for a failure.
#include "platform.h"

#include <windows.h>

#include <cstring>

namespace platform {

void* findSymbol(void* module, const char* name, int* error)
{
    const FARPROC found = GetProcAddress(static_cast<HMODULE>(module), name);
    if (found == 0) {
        *error = static_cast<int>(GetLastError());
        return 0;
    }
    // Copied bytewise: standard C++ has no cast from a function pointer to an address.
    void* address;
    std::memcpy(&address, &found, sizeof address);
    return address;
}

}  // namespace platform
