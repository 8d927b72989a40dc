// Global services; the plug-in uses only MEL command execution. The stand-in
// runs no MEL: it records each command, with its flags, in a log the host
// program reads (mayahost/command_log.h), and reports success.
#pragma once

#include "MStatus.h"
#include "MString.h"

class MGlobal {
public:
    static MStatus executeCommand(const MString& command, bool displayEnabled = false, bool undoEnabled = false);
};
