// A host's view of a loadable module: open it by path, find its exports by
// name, close it. Handles are the system's own (what dlopen or LoadLibrary
// return), so they can be handed to a module as the host's handle.
#pragma once

#include <string>

namespace hostmodule {

// Opens the module at `path`; null with the system's reason in *why.
void* open(const std::string& path, std::string* why);

// The address of the named export of `module`, or null.
void* find(void* module, const char* name);

void close(void* module);

// The already loaded module that holds `address`, or null.
void* containing(const void* address);

}  // namespace hostmodule
