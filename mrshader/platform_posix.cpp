// Symbol lookup on POSIX systems through dlsym. A null handle is refused
// outright: dlsym would take it for "search every loaded module".
#include "platform.h"

#include <dlfcn.h>

namespace platform {

void* findSymbol(void* module, const char* name, int* error)
{
    if (module == nullptr) {
        *error = kInvalidHandle;
        return nullptr;
    }
    void* address = dlsym(module, name);
    if (address == nullptr) {
        *error = kProcNotFound;
    }
    return address;
}

}  // namespace platform
