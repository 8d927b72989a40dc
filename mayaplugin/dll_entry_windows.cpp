// The plug-in module's DLL entry point. Windows calls it on every process
// and thread attach and detach; it only keeps the module's instance handle.
#include "module_instance.h"

extern "C" {

HINSTANCE glossyModuleInstance = 0;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/)
{
    glossyModuleInstance = instance;
    return TRUE;
}

}  // extern "C"
