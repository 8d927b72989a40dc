// The order of a run matters: everything a user can get wrong is checked
// before a host is loaded or a file touched, and images are written only
// once every one of them has been rendered.
#include "preview_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "contact_sheet.h"
#include "environment.h"
#include "host_inputs.h"
#include "image_files.h"
#include "look_files.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "options.h"
#include "printable_stream.h"
#include "progress.h"
#include "run_record.h"
#include "setting_sources.h"
#include "sheet_labels.h"
#include "sheet_layout.h"
#include "text_file.h"
#include "unique_file.h"

namespace preview {
namespace {

constexpr int kSideBySideGap = 4;
// The files of a run, in the order they are written.
constexpr const char* kImageNames[] = {"maya.png", "maya.exr", "mentalray.png", "mentalray.exr", "side-by-side.png"};

void applySettings(const HostInputs& inputs, MaterialHost& host, HostSide side,
                   const std::vector<MaterialSetting>& settings)
{
    for (const MaterialSetting& setting : settings)
        if (settingApplies(inputs, setting, side)) host.setInput(setting.name, setting.value);
}

// Inputs only one host has leave the other host's image as it was; say so.
void noteOneSidedInputs(const HostInputs& inputs, const std::vector<MaterialSetting>& settings,
                        const PreviewOptions& options, std::ostream& err)
{
    std::vector<std::string> names;
    for (const MaterialSetting& s : settings) names.push_back(s.name);
    for (const Sweep& s : options.sweeps) names.push_back(s.name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        const bool inMaya = inputs.find(HostSide::Maya, name) != nullptr;
        if (inMaya != (inputs.find(HostSide::MentalRay, name) != nullptr))
            err << "glossy-preview: note: " << name << " exists only in the "
                << (inMaya ? "Maya node" : "renderer shader") << "; the other image ignores it\n";
    }
}

void describeSweeps(const std::vector<Sweep>& sweeps, std::ostream& err)
{
    const char* axes[] = {"columns", "rows"};
    for (std::size_t i = 0; i < sweeps.size(); ++i)
        err << "glossy-preview: " << axes[i] << ": " << sweeps[i].name << " from "
            << formatMaterialValue(sweeps[i].from) << " to " << formatMaterialValue(sweeps[i].to) << " in "
            << sweeps[i].steps << " steps\n";
}

// The system font for labels, looked up before the hosts load and the render
// starts (fontconfig can fail or run long; the sheet's layout needs it too);
// without one the pictures go unlabelled, said once.
std::unique_ptr<LabelFont> labelFont(std::ostream& err)
{
    std::string whyNot;
    std::unique_ptr<LabelFont> font = LabelFont::findSystemFont(whyNot);
    if (!font) err << "glossy-preview: warning: no usable font (" << whyNot << "); the pictures are unlabelled\n";
    return font;
}

// The name a saved shader block takes: the file's, where it is a plain word.
std::string blockNameOf(const std::string& path)
{
    const std::string stem = std::filesystem::path(path).stem().string();
    const bool plain = !stem.empty() && std::all_of(stem.begin(), stem.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
    });
    return plain ? stem : "look";
}

void saveLooks(const HostInputs& inputs, const PreviewOptions& options, const std::vector<MaterialSetting>& settings,
               std::ostream& err)
{
    if (!options.savePreset.empty()) {
        writeTextFile(options.savePreset, attributePresetText(hostLook(inputs, settings, HostSide::Maya)));
        err << "glossy-preview: the Maya look is in " << options.savePreset << '\n';
    }
    if (!options.saveMi.empty()) {
        writeTextFile(options.saveMi, shaderBlockText(hostLook(inputs, settings, HostSide::MentalRay),
                                                      blockNameOf(options.saveMi), inputs.mentalRay));
        err << "glossy-preview: the renderer's look is in " << options.saveMi << '\n';
    }
}

// A pixel that is NaN or infinite shows black in the PNG files and wrong in
// every later use of the EXR: said, per image, however it came about.
void noteNonFinitePixels(const Image& image, const char* hostName, std::ostream& err)
{
    std::size_t count = 0;
    for (const Vec3& p : image.pixels)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) ++count;
    if (count != 0)
        err << "glossy-preview: warning: " << count << " of the " << image.pixels.size() << " pixels of the "
            << hostName
            << " image are NaN or infinite (black in its PNG); an input may be too large for single precision\n";
}

}  // namespace

std::optional<std::string> prepareOutputFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const bool exists = fs::exists(folder, ec);
    if (ec) {
        // A link loop or a folder that cannot be searched: its own reason.
        return "cannot reach it (" + std::string(std::strerror(ec.value())) + ")";
    } else if (exists) {
        if (!fs::is_directory(folder, ec)) return std::string("it exists and is not a folder");
    } else if (fs::is_symlink(fs::symlink_status(folder, ec))) {
        return std::string("it is a link to nothing (its target does not exist)");
    } else if (!fs::create_directories(folder, ec) && ec) {
        return "cannot create it (" + ec.message() + ")";
    }
    // Asking for permission is not enough (root passes every check, a
    // read-only mount passes none of them rightly): make a file and remove it.
    try {
        const SignalsThatEndTheRunHeld held;  // the probe never outlives the run
        const UniqueFile probe = createUniqueFile(folder, ".glossy-preview-probe");
        ::close(probe.fd);
        ::unlink(probe.path.c_str());
    } catch (const std::system_error& e) {
        return "cannot create files in it (" + std::string(std::strerror(e.code().value())) + ")";
    }
    // An image name taken by a folder would stop the run only after rendering.
    for (const char* name : kImageNames) {
        struct stat existing {};
        if (::lstat((fs::path(folder) / name).c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
            return std::string(name) + " in it is a folder, which an image cannot replace";
    }
    return std::nullopt;
}

namespace {

int runSteps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const DeliverablePaths& deliverables, bool showProgress)
{
    // Which inputs there are, and of which kind, the hosts say.
    HostInputs inputs;
    try {
        inputs = readHostInputs(deliverables);
    } catch (const HostError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 1;
    }
    PreviewOptions options;
    try {
        options = parseOptions(args, inputs);
    } catch (const UsageError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 2;
    }
    if (options.help) {
        // A full or closed output is a failure to be told, not a success.
        errno = 0;
        out << helpText(inputs) << std::flush;
        if (!out) {
            err << "glossy-preview: cannot write the help text"
                << (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string()) << '\n';
            return 1;
        }
        return 0;
    }
    std::vector<MaterialSetting> materialSettings;
    try {
        materialSettings =
            resolveSettings(options.settings, {deliverables.presetFolder, deliverables.shaderDeclaration}, inputs);
    } catch (const UsageError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 2;
    }
    Environment environment;
    if (!options.envPath.empty()) {
        try {
            environment = Environment::fromLatLongFile(options.envPath);
        } catch (const std::exception& e) {
            err << "glossy-preview: --env " << printable(options.envPath) << ": cannot read it (" << e.what()
                << "); expected a latitude-longitude OpenEXR image\n";
            return 2;
        }
    }
    // A look is saved after the render: its folder must be there before.
    for (const auto& [option, path] :
         {std::pair{"--save-preset", options.savePreset}, std::pair{"--save-mi", options.saveMi}}) {
        if (path.empty()) continue;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code ec;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
            err << "glossy-preview: " << option << " " << path << ": no folder " << folder.string()
                << " (expected a file in an existing folder)\n";
            return 2;
        }
    }
    if (const auto reason = prepareOutputFolder(options.outDir)) {
        err << "glossy-preview: --out " << printable(options.outDir) << ": " << *reason
            << "; expected a writable folder\n";
        return 2;
    }

    // The labels' bands are part of the sheet's layout, so the font is needed
    // before anything is rendered.
    const std::unique_ptr<LabelFont> font = labelFont(err);
    SheetLabelPlan plan;
    if (font && !options.sweeps.empty()) {
        plan = planSheetLabels(options.sweeps, options.width, options.height, *font);
        if (plan.size == 0)
            err << "glossy-preview: warning: the sheet's cells are too small for labels; the sheets are unlabelled "
                   "(expected larger --width and --height, or fewer steps)\n";
    }
    const SheetLayout layout = layoutSheet(sheetColumns(options.sweeps), sheetRows(options.sweeps), options.width,
                                           options.height, plan.top, plan.left);

    Lighting lighting;
    lighting.builtInLights = options.lights;
    lighting.environmentTurn = options.envTurn;
    lighting.environmentIntensity = options.envIntensity;
    lighting.irradianceRays = options.irradianceRays;
    const BallScene scene(std::move(environment), options.areaSamples, lighting);
    std::unique_ptr<MayaHost> maya;
    std::unique_ptr<MentalRayHost> mentalRay;
    try {
        maya = std::make_unique<MayaHost>(scene, deliverables.mayaModule);
        mentalRay = std::make_unique<MentalRayHost>(scene, deliverables.shaderLibrary, deliverables.shaderDeclaration);
    } catch (const HostError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 1;
    }
    noteOneSidedInputs(inputs, materialSettings, options, err);
    describeSweeps(options.sweeps, err);

    RenderSettings settings;
    settings.samples = options.samples;
    settings.threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    settings.width = options.width;
    settings.height = options.height;
    MaterialHost* hosts[] = {maya.get(), mentalRay.get()};
    static_assert(int(HostSide::Maya) == 0 && int(HostSide::MentalRay) == 1, "hosts[] is indexed by side");
    std::vector<Image> images;
    const std::uint64_t perImage = std::uint64_t(layout.width - layout.left) *
                                   std::uint64_t(layout.height - layout.top) * std::uint64_t(settings.samples);
    const auto start = std::chrono::steady_clock::now();
    const char* rendering = hosts[0]->name();
    try {
        ProgressBar progress(err, perImage * 2, showProgress);
        for (int side = 0; side < kHostCount; ++side) {
            MaterialHost* host = hosts[side];
            rendering = host->name();
            applySettings(inputs, *host, HostSide(side), materialSettings);
            images.push_back(renderContactSheet(scene, *host, options.sweeps, layout, settings, &progress.counter()));
        }
        progress.finish();
    } catch (const std::bad_alloc&) {
        err << "glossy-preview: out of memory rendering the " << rendering << " image; no image was written\n";
        return 1;
    } catch (const std::exception& e) {
        err << "glossy-preview: rendering failed: " << e.what() << '\n';
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (int i = 0; i < 2; ++i) noteNonFinitePixels(images[std::size_t(i)], hosts[i]->name(), err);

    // The PNG pictures of a sheet carry labels; the EXR images keep only the
    // rendered values.
    std::vector<Image> pictures;
    Image both;
    try {
        pictures = images;
        // Exposure is for the eye: the EXR images keep the rendered values.
        if (options.exposure != 0.0f) {
            const float scale = std::exp2(options.exposure);
            for (Image& picture : pictures)
                for (Vec3& pixel : picture.pixels) pixel = pixel * scale;
        }
        const char* titles[] = {"Maya", "mental ray"};
        if (font)
            for (int i = 0; i < 2; ++i)
                labelContactSheet(pictures[i], layout, plan, *hosts[i], titles[i], options.sweeps, *font);
        both = sideBySide(pictures[0], pictures[1], kSideBySideGap);
        if (font && options.sweeps.empty()) nameHalves(both, pictures[0].width, kSideBySideGap, titles, *font);
    } catch (const std::bad_alloc&) {
        err << "glossy-preview: out of memory making the side-by-side image; no image was written\n";
        return 1;
    }
    try {
        // Each image records the settings that made it.
        const std::string record = runRecord(options, materialSettings, inputs);
        writeImages(options.outDir, {{kImageNames[0], &pictures[0], ImageFormat::Png, record},
                                     {kImageNames[1], &images[0], ImageFormat::Exr, record},
                                     {kImageNames[2], &pictures[1], ImageFormat::Png, record},
                                     {kImageNames[3], &images[1], ImageFormat::Exr, record},
                                     {kImageNames[4], &both, ImageFormat::Png, record}});
        saveLooks(inputs, options, materialSettings, err);
    } catch (const std::exception& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 1;
    }
    err << "glossy-preview: " << closingLine(images[0].width, images[0].height, settings.samples, perImage * 2, seconds)
        << "; images in " << printable(options.outDir) << '\n';
    return 0;
}

}  // namespace

int runPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const DeliverablePaths& deliverables, bool showProgress)
{
    // Whatever a step did not foresee still ends in one line and a status;
    // every line reaches the terminal printable, whatever a user typed.
    PrintableStreamBuffer printableBuffer(err.rdbuf());
    std::ostream printableErr(&printableBuffer);
    try {
        return runSteps(args, out, printableErr, deliverables, showProgress);
    } catch (const std::bad_alloc&) {
        printableErr << "glossy-preview: out of memory; no image was written\n";
    } catch (const std::exception& e) {
        printableErr << "glossy-preview: " << e.what() << '\n';
    }
    return 1;
}

}  // namespace preview
