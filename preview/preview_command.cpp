// The order of a run matters: everything a user can get wrong is checked
// before a host is loaded or a file touched, and images are written only
// once every one of them has been rendered.
#include "preview_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
#include "image_files.h"
#include "maya_adapter.h"
#include "mentalray_adapter.h"
#include "options.h"
#include "printable_stream.h"
#include "progress.h"
#include "setting_sources.h"
#include "sheet_labels.h"
#include "text_file.h"
#include "unique_file.h"

namespace preview {
namespace {

constexpr int kSideBySideGap = 4;
// The files of a run, in the order they are written.
constexpr const char* kImageNames[] = {"maya.png", "maya.exr", "mentalray.png", "mentalray.exr", "side-by-side.png"};

void applySettings(MaterialHost& host, const std::vector<MaterialSetting>& settings)
{
    for (const MaterialSetting& setting : settings)
        if (host.hasInput(*findMaterialInput(setting.name))) host.setInput(setting.name, setting.value);
}

// Inputs only one host has leave the other host's image as it was; say so.
void noteOneSidedInputs(const std::vector<MaterialSetting>& settings, const PreviewOptions& options, std::ostream& err)
{
    std::vector<std::string> names;
    for (const MaterialSetting& s : settings) names.push_back(s.name);
    for (const Sweep& s : options.sweeps) names.push_back(s.name);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) {
        const MaterialInput& input = *findMaterialInput(name);
        if (input.inMaya != input.inMentalRay)
            err << "glossy-preview: note: " << name << " exists only in the "
                << (input.inMaya ? "Maya node" : "renderer shader") << "; the other image ignores it\n";
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

// The font for the sheets' labels, looked up before rendering (fontconfig
// can fail or run long; better before the render than after). Without a
// usable font the sheets stay unlabelled, said once.
std::unique_ptr<LabelFont> labelFont(const std::vector<Sweep>& sweeps, std::ostream& err)
{
    if (sweeps.empty()) return nullptr;
    std::string whyNot;
    std::unique_ptr<LabelFont> font = LabelFont::findSystemFont(whyNot);
    if (!font) err << "glossy-preview: warning: no usable font (" << whyNot << "); the sheets are unlabelled\n";
    return font;
}

void labelSheets(std::vector<Image>& sheets, MaterialHost* const (&hosts)[2], const std::vector<Sweep>& sweeps,
                 const LabelFont* font)
{
    if (font == nullptr) return;
    const char* titles[] = {"Maya", "mental ray"};
    for (int i = 0; i < 2; ++i) labelContactSheet(sheets[i], *hosts[i], titles[i], sweeps, *font);
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

DeliverablePaths builtDeliverables()
{
    return {GLOSSY_MODULE_PATH, KOVA_GLOSSY_LIBRARY_PATH, KOVA_GLOSSY_DECLARATION_PATH, GLOSSY_PRESET_FOLDER};
}

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
    PreviewOptions options;
    try {
        options = parseOptions(args);
    } catch (const UsageError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 2;
    }
    if (options.help) {
        // A full or closed output is a failure to be told, not a success.
        errno = 0;
        out << helpText() << std::flush;
        if (!out) {
            err << "glossy-preview: cannot write the help text"
                << (errno != 0 ? std::string(" (") + std::strerror(errno) + ")" : std::string()) << '\n';
            return 1;
        }
        return 0;
    }
    std::vector<MaterialSetting> materialSettings;
    try {
        materialSettings = resolveSettings(options, {deliverables.presetFolder, deliverables.shaderDeclaration});
    } catch (const SettingSourceError& e) {
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
    if (const auto reason = prepareOutputFolder(options.outDir)) {
        err << "glossy-preview: --out " << printable(options.outDir) << ": " << *reason
            << "; expected a writable folder\n";
        return 2;
    }

    const std::unique_ptr<LabelFont> font = labelFont(options.sweeps, err);

    const Scene scene(std::move(environment), options.areaSamples);
    std::unique_ptr<MayaHost> maya;
    std::unique_ptr<MentalRayHost> mentalRay;
    try {
        maya = std::make_unique<MayaHost>(scene, deliverables.mayaModule);
        mentalRay = std::make_unique<MentalRayHost>(scene, deliverables.shaderLibrary, deliverables.shaderDeclaration);
    } catch (const HostLoadError& e) {
        err << "glossy-preview: " << e.what() << '\n';
        return 1;
    }
    noteOneSidedInputs(materialSettings, options, err);
    describeSweeps(options.sweeps, err);

    RenderSettings settings;
    settings.samples = options.samples;
    settings.threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    settings.width = options.width;
    settings.height = options.height;
    int sheetWidth = 0, sheetHeight = 0;
    contactSheetSize(options.sweeps, options.width, options.height, sheetWidth, sheetHeight);

    MaterialHost* hosts[] = {maya.get(), mentalRay.get()};
    std::vector<Image> images;
    const std::uint64_t perImage =
        std::uint64_t(sheetWidth) * std::uint64_t(sheetHeight) * std::uint64_t(settings.samples);
    const auto start = std::chrono::steady_clock::now();
    const char* rendering = hosts[0]->name();
    try {
        ProgressBar progress(err, perImage * 2, showProgress);
        for (MaterialHost* host : hosts) {
            rendering = host->name();
            applySettings(*host, materialSettings);
            images.push_back(renderContactSheet(scene, *host, options.sweeps, settings, &progress.counter()));
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
        if (!options.sweeps.empty()) labelSheets(pictures, hosts, options.sweeps, font.get());
        both = sideBySide(pictures[0], pictures[1], kSideBySideGap);
    } catch (const std::bad_alloc&) {
        err << "glossy-preview: out of memory making the side-by-side image; no image was written\n";
        return 1;
    }
    try {
        writeImages(options.outDir, {{kImageNames[0], &pictures[0], ImageFormat::Png},
                                     {kImageNames[1], &images[0], ImageFormat::Exr},
                                     {kImageNames[2], &pictures[1], ImageFormat::Png},
                                     {kImageNames[3], &images[1], ImageFormat::Exr},
                                     {kImageNames[4], &both, ImageFormat::Png}});
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
