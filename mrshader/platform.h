// The one system service the binding needs: finding an export of a loaded
// module by name. Both platforms report failures with Windows' error codes.
#pragma once

namespace platform {

// Error codes of a failed lookup, as the system reports them on Windows.
constexpr int kInvalidHandle = 6;   // the module handle is null
constexpr int kProcNotFound = 127;  // the module has no export of that name

// The address of the named export of `module`, or null with the system's
// error code for the failure in *error.
void* findSymbol(void* module, const char* name, int* error);

}  // namespace platform
