// The preview's Maya host: loads the `glossy` plug-in module through the
// Maya stand-in, creates one `glossy` node and shades the ball through
// per-thread evaluation contexts, one light record per light.
#pragma once

#include <memory>
#include <string>

#include "material_host.h"

namespace mayahost {
class LoadedPlugin;
class Node;
}  // namespace mayahost

namespace preview {

class MayaHost : public MaterialHost {
public:
    // Throws HostLoadError when the module does not load or registers no
    // `glossy` node type. One MayaHost at a time: the module registers its
    // node type process-wide.
    MayaHost(const Scene& scene, const std::string& modulePath);
    ~MayaHost() override;

    const char* name() const override { return "maya"; }
    LightView lightView() const override { return LightView::Centres; }
    bool hasInput(const MaterialInput& input) const override { return input.inMaya; }
    void setInput(const std::string& name, const MaterialValue& value) override;
    std::unique_ptr<MaterialShader> makeShader() override;

private:
    const Scene& scene_;
    std::unique_ptr<mayahost::LoadedPlugin> plugin_;
    std::unique_ptr<mayahost::Node> node_;
};

}  // namespace preview
