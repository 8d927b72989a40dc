// The plug-in module's own instance handle on Windows, as its DLL entry
// point received it when the module was loaded.
#pragma once

#include <windows.h>

extern "C" HINSTANCE glossyModuleInstance;
