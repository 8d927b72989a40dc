// Symbol lookup on POSIX systems through dlsym. Without a module handle the
// name is looked up in the program's global scope, where a renderer that
// hands shader libraries no handle keeps the functions they call.
#include "platform.h"

#include <dlfcn.h>

namespace platform {

void* findSymbol(void* module, const char* name, int* error)
{
    void* const scope = module != 0 ? module : dlopen(0, RTLD_LAZY);
    void* const address = scope != 0 ? dlsym(scope, name) : 0;
    if (module == 0 && scope != 0) {
        dlclose(scope);
    }
    if (address == 0) {
        *error = scope != 0 ? kProcNotFound : kInvalidHandle;
    }
    return address;
}

}  // namespace platform
