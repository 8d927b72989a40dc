// Cancelling goes through the shaders rather than the renderer: once a
// request is overtaken its shaders return black at once, so the render in
// flight runs out in the time the cheap ground and sky take, and its image
// is thrown away.
#include "live_renderer.h"

#include <mayahost/registry.h>
#include <mrhost/declaration.h>

#include "contact_sheet.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "scene.h"

namespace preview::serve {
namespace {

class CancellableShader : public MaterialShader {
public:
    CancellableShader(std::unique_ptr<MaterialShader> inner, const std::atomic<std::uint64_t>& latest,
                      std::uint64_t ticket)
        : inner_(std::move(inner)), latest_(latest), ticket_(ticket)
    {
    }
    ShadeResult shade(const ShadingPoint& point, Sampler& sampler) override
    {
        if (latest_.load(std::memory_order_relaxed) != ticket_) return {};
        return inner_->shade(point, sampler);
    }

private:
    std::unique_ptr<MaterialShader> inner_;
    const std::atomic<std::uint64_t>& latest_;
    const std::uint64_t ticket_;
};

class CancellableHost : public MaterialHost {
public:
    CancellableHost(MaterialHost& inner, const std::atomic<std::uint64_t>& latest, std::uint64_t ticket)
        : inner_(inner), latest_(latest), ticket_(ticket)
    {
    }
    const char* name() const override { return inner_.name(); }
    LightView lightView() const override { return inner_.lightView(); }
    bool hasInput(const MaterialInput& input) const override { return inner_.hasInput(input); }
    void setInput(const std::string& name, const MaterialValue& value) override { inner_.setInput(name, value); }
    std::unique_ptr<MaterialShader> makeShader() override
    {
        return std::make_unique<CancellableShader>(inner_.makeShader(), latest_, ticket_);
    }

private:
    MaterialHost& inner_;
    const std::atomic<std::uint64_t>& latest_;
    const std::uint64_t ticket_;
};

}  // namespace

LiveRenderer::LiveRenderer(const DeliverablePaths& deliverables, std::vector<Environment> environments, int threads)
    : deliverables_(deliverables), environments_(std::move(environments)), threads_(threads)
{
    buildStage(choice_);
    const mayahost::NodeTypeInfo* type = mayahost::findNodeType("glossy");
    if (!type) throw HostLoadError("the Maya plug-in registered no glossy node type");
    inputs_[int(HostSide::Maya)] = mayaInputs(*type);
    try {
        inputs_[int(HostSide::MentalRay)] =
            shaderInputs(mrhost::readDeclaration(deliverables_.shaderDeclaration, "kova_glossy"));
    } catch (const std::exception& e) {
        throw HostLoadError(std::string("cannot load the renderer shader: ") + e.what());
    }
}

LiveRenderer::~LiveRenderer()
{
    stop();
    std::lock_guard<std::mutex> lock(renderMutex_);
    // The hosts refer to the scene.
    maya_.reset();
    mentalRay_.reset();
}

void LiveRenderer::buildStage(const SceneChoice& choice)
{
    // One Maya host at a time: the old one unloads its module first.
    maya_.reset();
    mentalRay_.reset();
    scene_.reset();
    Environment environment = choice.environment == 0 ? Environment() : environments_.at(choice.environment - 1);
    scene_ = std::make_unique<Scene>(std::move(environment), choice.areaSamples);
    maya_ = std::make_unique<MayaHost>(*scene_, deliverables_.mayaModule);
    mentalRay_ = std::make_unique<MentalRayHost>(*scene_, deliverables_.shaderLibrary, deliverables_.shaderDeclaration);
    choice_ = choice;
}

std::optional<Image> LiveRenderer::render(const LookRequest& request)
{
    Slot& slot = slots_[int(request.host)];
    const std::uint64_t ticket = ++slot.latest;
    std::lock_guard<std::mutex> lock(renderMutex_);
    if (stopped_ || slot.latest != ticket) return std::nullopt;
    if (!scene_ || !(request.scene == choice_)) buildStage(request.scene);

    MaterialHost& host = request.host == HostSide::Maya ? static_cast<MaterialHost&>(*maya_) : *mentalRay_;
    // Every input from its default, so no earlier look lingers.
    for (const DeclaredInput& input : inputs_[int(request.host)]) host.setInput(input.name, defaultValue(input));
    for (const MaterialSetting& setting : request.inputs) host.setInput(setting.name, setting.value);

    RenderSettings settings = request.settings;
    settings.threads = threads_;
    int width = 0, height = 0;
    contactSheetSize(request.sweeps, settings.width, settings.height, width, height);
    slot.done = 0;
    slot.total = std::uint64_t(width) * std::uint64_t(height) * std::uint64_t(settings.samples);
    slot.busy = true;
    struct Idle {
        std::atomic<bool>& busy;
        ~Idle() { busy = false; }
    } idle{slot.busy};
    CancellableHost cancellable(host, slot.latest, ticket);
    Image image = renderContactSheet(*scene_, cancellable, request.sweeps, settings, &slot.done);
    if (slot.latest != ticket) return std::nullopt;
    return image;
}

RenderProgress LiveRenderer::progress(HostSide host) const
{
    const Slot& slot = slots_[int(host)];
    return {slot.done.load(), slot.total.load(), slot.busy.load()};
}

void LiveRenderer::stop()
{
    stopped_ = true;
    for (Slot& slot : slots_) ++slot.latest;
}

}  // namespace preview::serve
