// Modules on Windows: LoadLibrary and GetProcAddress, with the system's
// message for a module that does not load.
#include <windows.h>

#include <string>

#include "hostmodule/module.h"

namespace hostmodule {
namespace {

std::string describe(DWORD error)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return "error " + std::to_string(error) + (message.empty() ? "" : ": " + message);
}

}  // namespace

void* open(const std::string& path, std::string* why)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr && why != nullptr) {
        *why = describe(GetLastError());
    }
    return reinterpret_cast<void*>(module);
}

void* find(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void close(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

void* containing(const void* address)
{
    // The module stays loaded as long as the host itself is: no reference taken.
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) {
        return nullptr;
    }
    return reinterpret_cast<void*>(module);
}

}  // namespace hostmodule
