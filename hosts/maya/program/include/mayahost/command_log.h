// The MEL commands plug-ins executed through MGlobal::executeCommand, in
// order. The stand-in runs no MEL; it only records.
#pragma once

#include <string>
#include <vector>

namespace mayahost {

struct CommandRecord {
    std::string text;
    bool displayEnabled = false;
    bool undoEnabled = false;
};

// A copy of the log, oldest first.
std::vector<CommandRecord> commandLog();
void clearCommandLog();

}  // namespace mayahost
