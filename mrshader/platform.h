// The one system service the binding needs: finding an export of a loaded
// module by name. Both platforms report failures with Windows' error codes.
#pragma once

namespace platform {

// Error codes of a failed lookup, as the system reports them on Windows.
const int kInvalidHandle = 6;   // the module handle is null
const int kProcNotFound = 127;  // the module has no export of that name

// Whether a lookup without a module handle is worth a line on stderr. Windows
// renderers always hand their handle in, so none there means something went
// wrong. Elsewhere renderers hand none in: the functions are found in the
// program itself, and a line per function in every render log would be noise.
#if defined(_WIN32)
const bool kNullHandleIsReported = true;
#else
const bool kNullHandleIsReported = false;
#endif

// The address of the named export of `module`, or null with the system's
// error code for the failure in *error. A null module is the program itself:
// on Windows its main module, elsewhere its global scope.
void* findSymbol(void* module, const char* name, int* error);

}  // namespace platform
