// Where the deliverables the preview drives are: the Maya plug-in module, the
// renderer's shader library and its declaration, and the node's presets.
#pragma once

#include <string>

namespace preview {

// builtDeliverables() gives the ones of this build.
struct DeliverablePaths {
    std::string mayaModule;         // glossy.so
    std::string shaderLibrary;      // kova_glossy.so
    std::string shaderDeclaration;  // kova_glossy.mi
    std::string presetFolder;       // the glossy node's attribute presets
};
DeliverablePaths builtDeliverables();

}  // namespace preview
