// Renders looks for the page. Each host has a stage of its own (its scene and
// the host) on which one render runs at a time; each request for a host takes
// a ticket, and a newer ticket for the same host cancels the render in flight
// for it, so a moving slider never queues up stale images and a render whose
// client has gone ends with the next change.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "declared_inputs.h"
#include "environment.h"
#include "image.h"
#include "label_font.h"
#include "options.h"
#include "preview_command.h"
#include "render.h"
#include "scene.h"

namespace preview {
class MayaHost;
class MentalRayHost;
class MaterialHost;
}  // namespace preview

namespace preview::serve {

// What the scene is built from; a change rebuilds the stage.
struct SceneChoice {
    int areaSamples = 3;
    int environment = 0;  // 0: the sky gradient; i: the i-th environment file
    Lighting lighting;
    bool operator==(const SceneChoice& other) const
    {
        return areaSamples == other.areaSamples && environment == other.environment &&
               lighting.builtInLights == other.lighting.builtInLights &&
               lighting.environmentTurn == other.lighting.environmentTurn &&
               lighting.environmentIntensity == other.lighting.environmentIntensity &&
               lighting.irradianceRays == other.lighting.irradianceRays;
    }
};

struct LookRequest {
    HostSide host = HostSide::Maya;
    SceneChoice scene;
    RenderSettings settings;              // the sheet's size when sweeping; threads are the renderer's
    std::vector<MaterialSetting> inputs;  // this host's own, over its defaults
    std::vector<Sweep> sweeps;
    bool labelled = false;  // a sheet carries its values, as the command line's PNG sheet does
    float exposure = 0.0f;  // stops, applied to the picture as the command line does to its PNGs
};

struct RenderProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
    bool busy = false;
};

class LiveRenderer {
public:
    // Loads both hosts with the sky; throws HostError as the command
    // line's run would fail.
    LiveRenderer(const DeliverablePaths& deliverables, std::vector<Environment> environments, int threads);
    ~LiveRenderer();

    // The inputs the hosts declare, as loaded.
    const HostInputs& inputs() const { return inputs_; }
    const std::vector<DeclaredInput>& inputs(HostSide host) const { return inputs_.of(host); }

    // The image, or nullopt when a newer request for the same host (or
    // stop()) overtook this one. Throws what rendering or a host throws.
    std::optional<Image> render(const LookRequest& request);
    RenderProgress progress(HostSide host) const;
    // Cancels every render and refuses new ones, for shutting down.
    void stop();

private:
    struct Slot {
        std::atomic<std::uint64_t> latest{0};
        std::atomic<bool> cancel{false};  // the render in flight is overtaken
        SampleCounter done{0};
        std::atomic<std::uint64_t> total{0};
        std::atomic<bool> busy{false};

        std::mutex mutex;  // one render at a time; guards the stage below
        SceneChoice choice;
        // The host refers to the scene: it goes first.
        std::unique_ptr<BallScene> scene;
        std::unique_ptr<MaterialHost> host;
        // Each slot its own: a font face is not to be drawn with by two threads.
        std::unique_ptr<LabelFont> font;
    };
    void buildStage(HostSide side, const SceneChoice& choice);

    const DeliverablePaths deliverables_;
    const std::vector<Environment> environments_;
    const int threads_;
    HostInputs inputs_;
    Slot slots_[kHostCount];
    std::atomic<bool> stopped_{false};
};

}  // namespace preview::serve
