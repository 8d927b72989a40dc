// Reads what the user uploads with the readers the command line uses, so an
// upload is checked as a file given on the command line is and fails with the
// same one line, naming the uploaded file by its own name.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"
#include "usage_error.h"

namespace preview::serve {

struct NamedLook {
    std::string name;
    std::vector<MaterialSetting> settings;
};

class UploadReader {
public:
    // Makes a private folder (mode 0700) in the system's temporary folder;
    // throws std::system_error when it cannot.
    UploadReader(std::string shaderDeclaration, HostInputs inputs);
    // Removes the folder and anything left in it.
    ~UploadReader();
    UploadReader(const UploadReader&) = delete;
    UploadReader& operator=(const UploadReader&) = delete;

    // A .mel attribute preset's settings. Throws UsageError.
    std::vector<MaterialSetting> readPreset(const std::string& fileName, const std::string& content) const;
    // The file's kova_glossy blocks, each with its settings (its colours
    // without alpha). Throws UsageError, also for a file with none.
    std::vector<NamedLook> readShaderBlocks(const std::string& fileName, const std::string& content) const;

private:
    template <typename Read>
    auto readAs(const std::string& fileName, const std::string& content, Read read) const;

    std::string folder_;
    std::string shaderDeclaration_;
    HostInputs inputs_;
};

}  // namespace preview::serve
