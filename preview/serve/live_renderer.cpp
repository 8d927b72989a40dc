// A newer ticket raises the slot's cancel flag, which the renderer reads
// between tiles; the request that holds the stage lowers it before it starts
// and then looks at its ticket again, so a ticket taken in between is never
// missed.
#include "live_renderer.h"

#include <mayahost/registry.h>
#include <mrhost/declaration.h>

#include <cmath>

#include "contact_sheet.h"
#include "host_inputs.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "scene.h"
#include "sheet_labels.h"
#include "sheet_layout.h"

namespace preview::serve {

LiveRenderer::LiveRenderer(const DeliverablePaths& deliverables, std::vector<Environment> environments, int threads)
    : deliverables_(deliverables), environments_(std::move(environments)), threads_(threads)
{
    for (int i = 0; i < kHostCount; ++i) {
        buildStage(HostSide(i), SceneChoice());
        // Without a usable font sheets stay unlabelled, as on the command line.
        std::string whyNot;
        slots_[i].font = LabelFont::findSystemFont(whyNot);
    }
    const mayahost::NodeTypeInfo* type = mayahost::findNodeType("glossy");
    if (!type) throw HostError("the Maya plug-in registered no glossy node type");
    inputs_.maya = mayaInputs(*type);
    try {
        inputs_.mentalRay = shaderInputs(mrhost::readDeclaration(deliverables_.shaderDeclaration, "kova_glossy"));
    } catch (const std::exception& e) {
        throw HostError(std::string("cannot load the renderer shader: ") + e.what());
    }
}

LiveRenderer::~LiveRenderer()
{
    stop();
    for (Slot& slot : slots_) {
        std::lock_guard<std::mutex> lock(slot.mutex);
        slot.host.reset();
    }
}

void LiveRenderer::buildStage(HostSide side, const SceneChoice& choice)
{
    Slot& slot = slots_[int(side)];
    // One Maya host at a time: the old one unloads its module first.
    slot.host.reset();
    slot.scene.reset();
    Environment environment = choice.environment == 0 ? Environment() : environments_.at(choice.environment - 1);
    slot.scene = std::make_unique<BallScene>(std::move(environment), choice.areaSamples, choice.lighting);
    if (side == HostSide::Maya)
        slot.host = std::make_unique<MayaHost>(*slot.scene, deliverables_.mayaModule);
    else
        slot.host =
            std::make_unique<MentalRayHost>(*slot.scene, deliverables_.shaderLibrary, deliverables_.shaderDeclaration);
    slot.choice = choice;
}

std::optional<Image> LiveRenderer::render(const LookRequest& request)
{
    Slot& slot = slots_[int(request.host)];
    const std::uint64_t ticket = ++slot.latest;
    slot.cancel = true;
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.cancel = false;
    if (stopped_ || slot.latest != ticket) return std::nullopt;
    if (!slot.host || !(request.scene == slot.choice)) buildStage(request.host, request.scene);

    MaterialHost& host = *slot.host;
    // Every input from its default, so no earlier look lingers.
    for (const DeclaredInput& input : inputs_.of(request.host)) host.setInput(input.name, defaultValue(input));
    for (const MaterialSetting& setting : request.inputs) host.setInput(setting.name, setting.value);

    RenderSettings settings = request.settings;
    settings.threads = threads_;
    settings.cancel = &slot.cancel;
    // The sheet laid out as the command line lays it out: bands for labels
    // only where the picture is labelled.
    const bool labelled = request.labelled && slot.font;
    SheetLabelPlan plan;
    if (labelled && !request.sweeps.empty())
        plan = planSheetLabels(request.sweeps, settings.width, settings.height, *slot.font);
    const SheetLayout layout = layoutSheet(sheetColumns(request.sweeps), sheetRows(request.sweeps), settings.width,
                                           settings.height, plan.top, plan.left);
    slot.done = 0;
    slot.total = std::uint64_t(layout.width - layout.left) * std::uint64_t(layout.height - layout.top) *
                 std::uint64_t(settings.samples);
    slot.busy = true;
    struct Idle {
        std::atomic<bool>& busy;
        ~Idle() { busy = false; }
    } idle{slot.busy};
    Image image = renderContactSheet(*slot.scene, host, request.sweeps, layout, settings, &slot.done);
    if (slot.latest != ticket || slot.cancel) return std::nullopt;
    // Exposure before the labels, so that they read the same at any exposure.
    if (request.exposure != 0.0f) {
        const float scale = std::exp2(request.exposure);
        for (Vec3& pixel : image.pixels) pixel = pixel * scale;
    }
    if (labelled) {
        const char* titles[] = {"Maya", "mental ray"};
        labelContactSheet(image, layout, plan, host, titles[int(request.host)], request.sweeps, *slot.font);
    }
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
    for (Slot& slot : slots_) {
        ++slot.latest;
        slot.cancel = true;
    }
}

}  // namespace preview::serve
