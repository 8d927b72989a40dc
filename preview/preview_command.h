// The whole glossy-preview run, callable from tests: parse the options, load
// both hosts with the real deliverables, render, write the images.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace preview {

// Where the deliverables are. builtDeliverables() gives the ones of this build.
struct DeliverablePaths {
    std::string mayaModule;         // glossy.so
    std::string shaderLibrary;      // kova_glossy.so
    std::string shaderDeclaration;  // kova_glossy.mi
    std::string presetFolder;       // the glossy node's attribute presets
};
DeliverablePaths builtDeliverables();

// Exit statuses: 0 done, 1 a failure while loading, rendering or writing,
// 2 a bad command line (nothing is written then).
int runPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const DeliverablePaths& deliverables, bool showProgress);

// Creates the folder if missing and checks a file can be made in it and
// that no image's name in it is taken by a folder; the reason when not.
std::optional<std::string> prepareOutputFolder(const std::string& folder);

}  // namespace preview
