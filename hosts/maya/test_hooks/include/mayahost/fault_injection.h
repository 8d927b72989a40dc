// Test-only: makes chosen attribute calls fail, so that a plug-in's error
// reporting can be exercised. Not thread-safe; set faults before loading.
#pragma once

#include <maya/MStatus.h>

#include <string>

namespace mayahost {

// From now on, `call` ("create", "createAddr", "setKeyable", "setStorable",
// "setHidden", "setReadable", "setWritable", "setUsedAsColor", "setArray",
// "setDefault", "setSoftMin", "setSoftMax") on the attribute whose long name
// is `longName` fails with `code` and changes nothing. A failed create returns
// a null attribute, as in Maya.
void injectAttributeFault(const std::string& call, const std::string& longName,
                          MStatus::MStatusCode code = MStatus::kFailure);
void clearAttributeFaults();

}  // namespace mayahost
