// MEL command execution, recorded rather than run, and the log the host
// program reads.
#include <maya/MGlobal.h>

#include <mutex>

#include "mayahost/command_log.h"

namespace {

std::mutex gLogMutex;
std::vector<mayahost::CommandRecord> gLog;

}  // namespace

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool undoEnabled)
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLog.push_back({command.asChar(), displayEnabled, undoEnabled});
    return MStatus::kSuccess;
}

namespace mayahost {

std::vector<CommandRecord> commandLog()
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    return gLog;
}

void clearCommandLog()
{
    std::lock_guard<std::mutex> lock(gLogMutex);
    gLog.clear();
}

}  // namespace mayahost
