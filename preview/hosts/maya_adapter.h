// The preview's Maya host: loads the `glossy` plug-in module through the
// Maya stand-in, creates one `glossy` node and shades the ball through
// per-thread evaluation contexts, one light record per light.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "declared_inputs.h"
#include "host_error.h"
#include "material_host.h"

namespace mayahost {
class LoadedPlugin;
class Node;
}  // namespace mayahost

namespace preview {

class MayaHost : public MaterialHost {
public:
    // Throws HostError when the module does not load or registers no
    // `glossy` node type. One MayaHost at a time: the module registers its
    // node type process-wide.
    MayaHost(const BallScene& scene, const std::string& modulePath);
    ~MayaHost() override;

    const char* name() const override { return "maya"; }
    LightView lightView() const override { return LightView::Centres; }
    bool hasInput(const std::string& name) const override { return findInput(inputs_, name) != nullptr; }
    void setInput(const std::string& name, const MaterialValue& value) override;
    std::unique_ptr<MaterialShader> makeShader() override;

private:
    const BallScene& scene_;
    std::unique_ptr<mayahost::LoadedPlugin> plugin_;
    std::unique_ptr<mayahost::Node> node_;
    std::vector<DeclaredInput> inputs_;  // as the node type registered them
};

// Sets an input on the node through the setAttr call of the attribute's own
// kind: a float triple, a float, a boolean or a short. Throws HostError
// when the node refuses it.
void setNodeInput(mayahost::Node& node, const std::string& name, const MaterialValue& value);

}  // namespace preview
