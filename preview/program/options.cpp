// Option parsing from one table: a row per option gives its name, its line
// in --help and how its value is read, and both the command line and the live
// page's server read through it. Options take their value as the next
// argument or after '=' ("--samples 4", "--samples=4"). Every check happens
// here, before any file is touched.
#include "options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "look_files.h"
#include "text_file.h"

namespace preview {
namespace {

constexpr int kMaxSize = 16384;
constexpr int kMaxSweepSteps = 64;
constexpr int kMinCellSize = 16;

int parseCount(const std::string& option, const std::string& text, int lowest, int highest)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lowest || value > highest)
        throw UsageError(option + " " + text + ": expected a whole number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest));
    return value;
}

// A number within [lowest, highest], for the lighting options.
float parseAmount(const std::string& option, const std::string& text, float lowest, float highest)
{
    float value = 0.0f;
    if (readNumber(text, value) != NumberRead::Number || value < lowest || value > highest)
        throw UsageError(option + " " + text + ": expected a number from " +
                         formatMaterialValue({InputKind::Scalar, {lowest, 0.0f, 0.0f}}) + " to " +
                         formatMaterialValue({InputKind::Scalar, {highest, 0.0f, 0.0f}}));
    return value;
}

std::string knownInputNames(const HostInputs& inputs)
{
    std::string names;
    for (const std::string& name : inputs.names()) {
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

// "NAME=REST" for --set and --sweep, the input looked up as the host in scope
// declares it (Maya's where both have it).
const DeclaredInput& splitAssignment(const std::string& option, const std::string& text, const char* form,
                                     const HostInputs& inputs, std::string& rest)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) throw UsageError(option + " " + text + ": expected " + form);
    const std::string name = text.substr(0, equals);
    const DeclaredInput* input = inputs.find(name);
    if (!input)
        throw UsageError(option + " " + text + ": unknown material input '" + name + "' (expected one of " +
                         knownInputNames(inputs) + ")");
    rest = text.substr(equals + 1);
    return *input;
}

// "maya:" or "mentalray:" before the name sets one host only.
HostScope takeHostPrefix(const std::string& text, std::string& rest)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon > text.find('=')) {
        rest = text;
        return HostScope::Both;
    }
    const std::string host = text.substr(0, colon);
    rest = text.substr(colon + 1);
    if (host == "maya") return HostScope::Maya;
    if (host == "mentalray") return HostScope::MentalRay;
    throw UsageError("--set " + text + ": unknown host '" + host +
                     "' (expected maya: or mentalray: before the name, or neither)");
}

SettingSource parseSetting(const std::string& text, const HostInputs& inputs)
{
    std::string valueText, assignment;
    const HostScope scope = takeHostPrefix(text, assignment);
    const DeclaredInput* input = &splitAssignment("--set", assignment, "NAME=VALUE", inputs, valueText);
    if (scope != HostScope::Both) {
        const HostSide side = scope == HostScope::Maya ? HostSide::Maya : HostSide::MentalRay;
        input = inputs.find(side, input->name);
        if (!input)
            throw UsageError("--set " + text + ": " + assignment.substr(0, assignment.find('=')) +
                             " is not an input of the " + (scope == HostScope::Maya ? "Maya node" : "renderer shader") +
                             " (expected an input it has)");
    }
    std::string problem;
    const auto value = parseInputValue(*input, valueText, &problem);
    if (!value)
        throw UsageError("--set " + text + ": " + (problem.empty() ? "'" + valueText + "' is not a value" : problem) +
                         " for " + input->name + " (expected " + expectedFormOf(*input) + ")");
    SettingSource source;
    source.setting = {input->name, *value, scope};
    return source;
}

SettingSource fileSource(SettingSource::Kind kind, const std::string& option, const std::string& file,
                         const char* expected)
{
    if (file.empty()) throw UsageError(option + ": expected " + expected);
    SettingSource source;
    source.kind = kind;
    source.file = file;
    return source;
}

// --shader names the block of the --mi just before it.
void nameShaderBlock(PreviewOptions& options, const std::string& name)
{
    if (options.settings.empty() || options.settings.back().kind != SettingSource::Kind::ShaderBlock)
        throw UsageError("--shader " + name + ": expected it right after the --mi FILE it picks a block from");
    if (!options.settings.back().shaderName.empty())
        throw UsageError("--shader " + name + ": the --mi before it already has --shader " +
                         options.settings.back().shaderName + " (expected one per --mi)");
    if (name.empty()) throw UsageError("--shader: expected the name of a shader block");
    options.settings.back().shaderName = name;
}

Sweep parseSweep(const std::string& text, const HostInputs& inputs)
{
    std::string range;
    const DeclaredInput& input = splitAssignment("--sweep", text, "NAME=FROM:TO:STEPS", inputs, range);
    if (input.kind == DeclaredKind::Boolean || input.kind == DeclaredKind::Integer)
        throw UsageError("--sweep " + text + ": " + input.name + " is " +
                         (input.kind == DeclaredKind::Boolean ? "on or off" : "a whole number") +
                         " and cannot be swept (expected a number or colour input)");
    const std::size_t first = range.find(':');
    const std::size_t second = first == std::string::npos ? first : range.find(':', first + 1);
    if (second == std::string::npos || range.find(':', second + 1) != std::string::npos)
        throw UsageError("--sweep " + text + ": expected NAME=FROM:TO:STEPS");
    Sweep sweep;
    sweep.name = input.name;
    std::string problem;
    const auto from = parseInputValue(input, range.substr(0, first), &problem);
    const auto to = from ? parseInputValue(input, range.substr(first + 1, second - first - 1), &problem) : std::nullopt;
    if (!from || !to)
        throw UsageError("--sweep " + text + ": " + (problem.empty() ? "" : problem + "; ") +
                         "FROM and TO must each be " + expectedFormOf(input));
    sweep.from = *from;
    sweep.to = *to;
    // The steps lie at FROM + (TO - FROM) t, so the span itself must be a float.
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(sweep.to.values[i] - sweep.from.values[i]))
            throw UsageError("--sweep " + text +
                             ": FROM and TO are too far apart (expected TO - FROM within the range of a float)");
    }
    const std::string steps = range.substr(second + 1);
    int count = 0;
    const auto [ptr, ec] = std::from_chars(steps.data(), steps.data() + steps.size(), count);
    if (steps.empty() || ec != std::errc() || ptr != steps.data() + steps.size() || count < 2 || count > kMaxSweepSteps)
        throw UsageError("--sweep " + text + ": STEPS is '" + steps + "' (expected a whole number from 2 to " +
                         std::to_string(kMaxSweepSteps) + ")");
    sweep.steps = count;
    return sweep;
}

void checkSweeps(const PreviewOptions& options)
{
    if (options.sweeps.size() > 2)
        throw UsageError("--sweep given " + std::to_string(options.sweeps.size()) +
                         " times (expected once or twice: columns, then rows)");
    if (options.sweeps.size() == 2 && options.sweeps[0].name == options.sweeps[1].name)
        throw UsageError("--sweep " + options.sweeps[0].name + " given twice (expected two different inputs)");
    for (const Sweep& sweep : options.sweeps)
        for (const SettingSource& source : options.settings)
            if (source.kind == SettingSource::Kind::Set && source.setting.name == sweep.name)
                throw UsageError("--sweep " + sweep.name + ": " + sweep.name + " is also set by " +
                                 describeSource(source) + " (expected a swept input to be set only by its sweep)");
    if (options.sweeps.empty()) return;
    const int columns = options.sweeps[0].steps;
    const int rows = options.sweeps.size() == 2 ? options.sweeps[1].steps : 1;
    if (options.width / columns < kMinCellSize || options.height / rows < kMinCellSize)
        throw UsageError("--width " + std::to_string(options.width) + " --height " + std::to_string(options.height) +
                         " is too small for a sheet of " + std::to_string(columns) + " x " + std::to_string(rows) +
                         " balls (expected at least " + std::to_string(kMinCellSize) + " pixels per ball each way)");
}

}  // namespace

namespace {

// Reads an option's value into the options.
using Apply = void (*)(PreviewOptions& options, const std::string& option, const std::string& value,
                       const HostInputs& inputs);

template <auto Field, int Lowest, int Highest>
void count(PreviewOptions& options, const std::string& option, const std::string& value, const HostInputs&)
{
    options.*Field = parseCount(option, value, Lowest, Highest);
}

template <auto Field, int Lowest, int Highest>
void amount(PreviewOptions& options, const std::string& option, const std::string& value, const HostInputs&)
{
    options.*Field = parseAmount(option, value, float(Lowest), float(Highest));
}

template <auto Field>
void fileName(PreviewOptions& options, const std::string& option, const std::string& value, const HostInputs&)
{
    if (value.empty() || value.back() == '/') throw UsageError(option + " " + value + ": expected a file name");
    options.*Field = value;
}

template <SettingSource::Kind Kind>
void settingFile(PreviewOptions& options, const std::string& option, const std::string& value, const HostInputs&)
{
    options.settings.push_back(fileSource(Kind, option, value,
                                          Kind == SettingSource::Kind::Preset
                                              ? "a shipped preset's name or a .mel preset file"
                                              : "a .mi file of shader blocks"));
}

// Which runs' records name the option, so that the record makes the same images.
enum class Record { Never, Always, WhenChanged };

struct Option {
    const char* name;
    const char* value;  // what follows the name in --help; null: the option takes none
    // Its lines in --help; "[*]" stands for the default, as `shown` writes it.
    const char* help;
    // The option's value as it is typed, for --help and the record.
    std::string (*shown)(const PreviewOptions& options);
    Apply apply;
    bool serveOnly;  // taken with --serve alone
    Record record;
};

// A number as the record writes it, the shortest that reads back the same;
// -0 as 0, as it lights the scene alike.
std::string exactAmount(float value) { return exactNumber(value + 0.0f); }

// Every option, in the order --help lists them and an unknown one names them.
const Option kOptions[] = {
    {"--width", "N", "image width in pixels [*]", [](const PreviewOptions& o) { return std::to_string(o.width); },
     count<&PreviewOptions::width, 1, kMaxSize>, false, Record::Always},
    {"--height", "N", "image height in pixels [*]", [](const PreviewOptions& o) { return std::to_string(o.height); },
     count<&PreviewOptions::height, 1, kMaxSize>, false, Record::Always},
    {"--samples", "N", "samples per pixel, for anti-aliasing [*]",
     [](const PreviewOptions& o) { return std::to_string(o.samples); }, count<&PreviewOptions::samples, 1, 4096>, false,
     Record::Always},
    {"--threads", "N", "render threads [all cores]", nullptr, count<&PreviewOptions::threads, 1, 1024>, false,
     Record::Never},
    {"--area-samples", "N", "samples per side of the area light on the renderer [*]",
     [](const PreviewOptions& o) { return std::to_string(o.areaSamples); }, count<&PreviewOptions::areaSamples, 1, 16>,
     false, Record::Always},
    {"--out", "DIR", "folder for the images, created if missing [*]", [](const PreviewOptions& o) { return o.outDir; },
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs&) {
         if (value.empty()) throw UsageError("--out: expected a folder name");
         o.outDir = value;
     },
     false, Record::Never},
    {"--env", "FILE.exr", "latitude-longitude OpenEXR environment [a sky gradient]",
     [](const PreviewOptions& o) { return o.envPath; },
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs&) {
         if (value.empty()) throw UsageError("--env: expected an OpenEXR file name");
         o.envPath = value;
         o.environments.push_back(value);
     },
     false, Record::WhenChanged},
    {"--set", "NAME=VALUE",
     "set a material input on every host that has it (repeatable);\n"
     "colours and vectors as r,g,b [each host's own defaults];\n"
     "maya:NAME=VALUE or mentalray:NAME=VALUE sets one host only",
     nullptr,
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs& inputs) {
         o.settings.push_back(parseSetting(value, inputs));
     },
     false, Record::Never},
    {"--preset", "NAME|FILE",
     "apply a Maya attribute preset of the glossy node: a shipped\n"
     "preset by name, or a .mel preset file (repeatable)",
     nullptr, settingFile<SettingSource::Kind::Preset>, false, Record::Never},
    {"--mi", "FILE", "apply a kova_glossy shader block of a .mi file (repeatable)", nullptr,
     settingFile<SettingSource::Kind::ShaderBlock>, false, Record::Never},
    {"--shader", "NAME",
     "after --mi: the shader block to take [the file's only one]\n"
     "Settings apply in the order given; a later one wins.",
     nullptr,
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs&) {
         nameShaderBlock(o, value);
     },
     false, Record::Never},
    {"--sweep", "NAME=FROM:TO:STEPS",
     "a contact sheet varying NAME over STEPS (at least 2) balls;\n"
     "once for columns, a second time for rows; the sweep wins\n"
     "over a preset or shader block, --set NAME is refused [no sweep]",
     nullptr,
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs& inputs) {
         o.sweeps.push_back(parseSweep(value, inputs));
     },
     false, Record::Never},
    {"--save-preset", "FILE.mel", "save the Maya node's settings as an attribute preset", nullptr,
     fileName<&PreviewOptions::savePreset>, false, Record::Never},
    {"--save-mi", "FILE.mi",
     "save the renderer's settings as a kova_glossy shader block\n"
     "(settings only: sweeps are not part of a look) [none]",
     nullptr, fileName<&PreviewOptions::saveMi>, false, Record::Never},
    {"--lights", "on|off", "the built-in key, fill and area lights [*]",
     [](const PreviewOptions& o) { return std::string(o.lights ? "on" : "off"); },
     [](PreviewOptions& o, const std::string&, const std::string& value, const HostInputs&) {
         if (value != "on" && value != "off") throw UsageError("--lights " + value + ": expected on or off");
         o.lights = value == "on";
     },
     false, Record::WhenChanged},
    {"--env-turn", "DEGREES",
     "turn the environment about the vertical axis; positive\n"
     "carries what is straight ahead to the right [*]",
     [](const PreviewOptions& o) { return exactAmount(o.envTurn); }, amount<&PreviewOptions::envTurn, -360, 360>, false,
     Record::WhenChanged},
    {"--env-intensity", "X", "scale the environment's light [*]",
     [](const PreviewOptions& o) { return exactAmount(o.envIntensity); },
     amount<&PreviewOptions::envIntensity, 0, 1000000>, false, Record::WhenChanged},
    {"--exposure", "STOPS",
     "brighten (or darken) the PNG pictures; the EXR images keep\n"
     "the rendered values [*]",
     [](const PreviewOptions& o) { return exactAmount(o.exposure); }, amount<&PreviewOptions::exposure, -20, 20>, false,
     Record::WhenChanged},
    {"--irradiance-rays", "N", "rays per irradiance gathering on the renderer [*]",
     [](const PreviewOptions& o) { return std::to_string(o.irradianceRays); },
     count<&PreviewOptions::irradianceRays, 1, 4096>, false, Record::WhenChanged},
    {"--serve", "[--port N]",
     "serve a live page on http://127.0.0.1:N/ instead [*];\n"
     "only --env (repeatable) and --threads apply then",
     [](const PreviewOptions& o) { return std::to_string(o.port); }, nullptr, true, Record::Never},
    {"--port", "N", nullptr, nullptr, count<&PreviewOptions::port, 0, 65535>, true, Record::Never},
    {"--help", nullptr, "this text", nullptr, nullptr, false, Record::Never},
};

// The options the live page's server takes; the page sets the rest.
const char* const kServeOptions[] = {"--port", "--env", "--threads"};

const Option* findOption(const std::string& name)
{
    for (const Option& option : kOptions)
        if (name == option.name) return &option;
    return nullptr;
}

// "--port, --env or --threads"
std::string serveOptionNames()
{
    std::string names;
    const std::size_t count = std::size(kServeOptions);
    for (std::size_t i = 0; i < count; ++i)
        names += std::string(i == 0 ? "" : i + 1 == count ? " or " : ", ") + kServeOptions[i];
    return names;
}

std::string renderOptionNames()
{
    std::string names;
    for (const Option& option : kOptions)
        if (!option.serveOnly) names += (names.empty() ? "" : ", ") + std::string(option.name);
    return names;
}

PreviewOptions parseArguments(const std::vector<std::string>& args, const HostInputs& inputs, bool serving)
{
    PreviewOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        bool hasValue = false;
        const std::size_t equals = option.find('=');
        if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
            hasValue = true;
        }
        if (!serving && (option == "--help" || option == "-h")) {
            options.help = true;
            continue;
        }
        if (serving && option == "--serve") continue;
        const Option* row = findOption(option);
        const bool taken =
            row && (serving ? std::find_if(std::begin(kServeOptions), std::end(kServeOptions),
                                           [&](const char* name) { return option == name; }) != std::end(kServeOptions)
                            : !row->serveOnly && row->apply);
        if (!taken && serving)
            throw UsageError("unknown option '" + args[i] + "' with --serve (expected " + serveOptionNames() +
                             "; the page sets the rest)");
        if (!taken) throw UsageError("unknown option '" + args[i] + "' (expected one of " + renderOptionNames() + ")");
        if (!hasValue) {
            if (i + 1 == args.size()) throw UsageError(option + ": missing value (see --help)");
            value = args[++i];
        }
        row->apply(options, option, value, inputs);
    }
    if (!serving) checkSweeps(options);
    return options;
}

// Messages quote what was typed; it reaches the terminal printable (an
// escape sequence in a value would otherwise act on the screen).
PreviewOptions parsePrintably(const std::vector<std::string>& args, const HostInputs& inputs, bool serving)
{
    try {
        return parseArguments(args, inputs, serving);
    } catch (const UsageError& e) {
        throw UsageError(printable(e.what()));
    }
}

}  // namespace

std::string recordedOptions(const PreviewOptions& options)
{
    const PreviewOptions defaults;
    std::string text;
    for (const Option& option : kOptions) {
        if (option.record == Record::Never) continue;
        const std::string value = option.shown(options);
        if (option.record == Record::Always || value != option.shown(defaults))
            text += std::string(text.empty() ? "" : " ") + option.name + " " + value;
    }
    return text;
}

PreviewOptions parseOptions(const std::vector<std::string>& args, const HostInputs& inputs)
{
    return parsePrintably(args, inputs, false);
}

PreviewOptions parseServeOptions(const std::vector<std::string>& args)
{
    return parsePrintably(args, HostInputs(), true);
}

namespace {

const char* kindWord(DeclaredKind kind)
{
    switch (kind) {
    case DeclaredKind::Scalar: return "number";
    case DeclaredKind::Color: return "colour r,g,b";
    case DeclaredKind::Vector: return "vector x,y,z";
    case DeclaredKind::Boolean: return "on|off";
    case DeclaredKind::Integer: return "whole number";
    }
    return "";
}

// "number, slider 0 to 1, default 0.5 (M), 1 (R)": a host's kind, range and
// default, both hosts' defaults where they differ.
std::string describeInput(const DeclaredInput* maya, const DeclaredInput* mentalRay)
{
    const DeclaredInput& input = maya ? *maya : *mentalRay;
    std::string text = kindWord(input.kind);
    if (input.hasSoftRange)
        text += ", slider " + formatMaterialValue({InputKind::Scalar, {input.softMin, 0.0f, 0.0f}}) + " to " +
                formatMaterialValue({InputKind::Scalar, {input.softMax, 0.0f, 0.0f}});
    const std::string mayaDefault = maya ? formatMaterialValue(defaultValue(*maya)) : "";
    const std::string mentalRayDefault = mentalRay ? formatMaterialValue(defaultValue(*mentalRay)) : "";
    if (maya && mentalRay && mayaDefault != mentalRayDefault)
        return text + ", default " + mayaDefault + " (M), " + mentalRayDefault + " (R)";
    return text + ", default " + (maya ? mayaDefault : mentalRayDefault);
}

}  // namespace

std::string helpText(const HostInputs& inputs)
{
    const PreviewOptions d;
    std::ostringstream text;
    text << "Usage: glossy-preview [options]\n"
            "Renders a material ball through both hosts (the Maya node `glossy` and the\n"
            "renderer shader `kova_glossy`) and writes for each an sRGB PNG and a linear\n"
            "OpenEXR image, plus a side-by-side PNG: maya.png, maya.exr, mentalray.png,\n"
            "mentalray.exr, side-by-side.png.\n\n"
            "Options (default in brackets):\n";
    constexpr std::size_t kColumn = 23;
    for (const Option& option : kOptions) {
        if (!option.help) continue;
        std::string head = std::string(option.name) + (option.value ? std::string(" ") + option.value : "");
        head += head.size() < kColumn ? std::string(kColumn - head.size(), ' ') : "\n" + std::string(kColumn + 2, ' ');
        std::string help = option.help;
        if (const std::size_t at = help.find("[*]"); at != std::string::npos && option.shown)
            help.replace(at, 3, "[" + option.shown(d) + "]");
        for (std::size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
            help.insert(at + 1, std::string(kColumn + 2, ' '));
        text << "  " << head << help << '\n';
    }
    text << "\n"
            "Material inputs, as the hosts declare them (M: an attribute of the Maya node,\n"
            "R: a parameter of the renderer shader), with each host's default:\n";
    for (const std::string& name : inputs.names()) {
        const DeclaredInput* maya = inputs.find(HostSide::Maya, name);
        const DeclaredInput* mentalRay = inputs.find(HostSide::MentalRay, name);
        std::string shown = name;
        shown.resize(std::max<std::size_t>(shown.size(), 17), ' ');
        text << "  " << shown << (maya ? 'M' : ' ') << (mentalRay ? 'R' : ' ') << "  " << describeInput(maya, mentalRay)
             << '\n';
    }
    return text.str();
}

}  // namespace preview
