// Modules on POSIX systems: dlopen with every symbol bound at once and kept
// local, so two modules exporting the same entry points do not mix.
#include <dlfcn.h>

#include "hostmodule/module.h"

namespace hostmodule {

void* open(const std::string& path, std::string* why)
{
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr && why != nullptr) {
        const char* reason = dlerror();
        *why = reason != nullptr ? reason : "the module could not be opened";
    }
    return module;
}

void* find(void* module, const char* name) { return dlsym(module, name); }

void close(void* module) { dlclose(module); }

void* containing(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return nullptr;
    }
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

}  // namespace hostmodule
