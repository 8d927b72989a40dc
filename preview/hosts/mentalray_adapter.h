// The preview's renderer host: reads the `kova_glossy` declaration, loads the
// shader library through the renderer stand-in (which hands it the core's
// module handle), lays out its parameter record with the declared defaults
// and calls the shader once per sample with a state record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "declared_inputs.h"
#include "host_error.h"
#include "material_host.h"

namespace mrhost {
class ParameterRecord;
class Scene;
class ShaderLibrary;
struct ShaderDeclaration;
}  // namespace mrhost

namespace preview {

class MentalRayHost : public MaterialHost {
public:
    // Throws HostError when the declaration cannot be read, lacks what the
    // preview sets (the light array), or the library cannot be loaded.
    MentalRayHost(const BallScene& scene, const std::string& libraryPath, const std::string& declarationPath);
    ~MentalRayHost() override;

    const char* name() const override { return "mentalray"; }
    LightView lightView() const override { return LightView::Samples; }
    bool hasInput(const std::string& name) const override { return findInput(inputs_, name) != nullptr; }
    void setInput(const std::string& name, const MaterialValue& value) override;
    std::unique_ptr<MaterialShader> makeShader() override;

private:
    const BallScene& scene_;
    std::unique_ptr<mrhost::ShaderDeclaration> declaration_;
    std::unique_ptr<mrhost::ShaderLibrary> library_;
    std::unique_ptr<mrhost::Scene> renderScene_;
    std::unique_ptr<mrhost::ParameterRecord> record_;
    std::vector<DeclaredInput> inputs_;  // as the declaration declares them
};

}  // namespace preview
