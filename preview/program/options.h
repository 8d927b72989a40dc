// The command line of glossy-preview: every option, its default, and the
// checks that turn a bad input into one line naming the problem and what was
// expected.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"
#include "setting_sources.h"
#include "sweep.h"
#include "usage_error.h"

namespace preview {

constexpr int kDefaultPort = 8023;

struct PreviewOptions {
    int width = 480;
    int height = 360;
    int samples = 8;      // per pixel
    int threads = 0;      // 0: one per core
    int areaSamples = 3;  // per side of the area light, on the renderer
    std::string outDir = "out";
    std::string envPath;                    // empty: the gradient sky (the last --env given)
    std::vector<std::string> environments;  // every --env, in order: those the live page offers
    bool lights = true;                     // the built-in lights
    float envTurn = 0.0f;                   // degrees about the vertical axis
    float envIntensity = 1.0f;
    float exposure = 0.0f;  // stops, for the PNG pictures
    int irradianceRays = 16;
    std::vector<SettingSource> settings;  // applied in this order
    std::vector<Sweep> sweeps;
    std::string savePreset;  // the Maya node's look as an attribute preset; empty: none
    std::string saveMi;      // the renderer's look as a kova_glossy shader block; empty: none
    bool help = false;
    int port = kDefaultPort;  // of the live page
};

// Parses the arguments after the program name, with the inputs the hosts
// declare. Throws UsageError.
PreviewOptions parseOptions(const std::vector<std::string>& args, const HostInputs& inputs);
// The same for the live page (--serve): only --port, --env and --threads,
// the page sets the rest. Throws UsageError.
PreviewOptions parseServeOptions(const std::vector<std::string>& args);

// The options a run's record names, as they are typed: those that shape
// the image (size, samples, environment and lighting), where they differ from
// their defaults or always; "--width 480 --height 360 ...".
std::string recordedOptions(const PreviewOptions& options);

// The --help text: every option with its default, and the inputs the hosts
// declare.
std::string helpText(const HostInputs& inputs);

}  // namespace preview
