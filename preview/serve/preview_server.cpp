// Every request is checked by the access rules before any route sees it.
// Requests are parsed into the command line's own options, so a bad value
// gets the line the command line would print for it.
#include "preview_server.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <new>

#include "access_rules.h"
#include "attribute_preset.h"
#include "image_files.h"
#include "look_files.h"
#include "page_files.h"
#include "run_record.h"
#include "safe_name.h"
#include "setting_sources.h"
#include "text_file.h"

namespace preview::serve {
namespace {

using nlohmann::json;

// A request the server will not carry out; what() is the line the page shows.
struct Refused {
    int status;
    std::string message;
};

void answerError(httplib::Response& res, int status, const std::string& message)
{
    res.status = status;
    // A message quotes what the request sent: never let a stray byte break the answer.
    res.set_content(json{{"error", message}}.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

const char* const kHostNames[kHostCount] = {"maya", "mentalray"};
const char* const kHostTitles[kHostCount] = {"Maya", "mental ray"};

const char* kindName(DeclaredKind kind)
{
    switch (kind) {
    case DeclaredKind::Scalar: return "scalar";
    case DeclaredKind::Color: return "colour";
    case DeclaredKind::Vector: return "vector";
    case DeclaredKind::Boolean: return "boolean";
    case DeclaredKind::Integer: return "integer";
    }
    return "";
}

json settingsJson(const std::vector<MaterialSetting>& settings)
{
    json list = json::array();
    for (const MaterialSetting& s : settings) list.push_back({{"name", s.name}, {"value", exactValue(s.value)}});
    return list;
}

json parseBody(const httplib::Request& req)
{
    if (req.body.size() > kMaxJsonBody)
        throw Refused{413, "the request is larger than " + std::to_string(kMaxJsonBody) + " bytes"};
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) throw Refused{400, "expected a JSON object"};
    return body;
}

HostSide hostOf(const json& body)
{
    const json host = body.value("host", json());
    for (int i = 0; i < kHostCount; ++i)
        if (host == kHostNames[i]) return HostSide(i);
    throw Refused{400, "host: expected \"maya\" or \"mentalray\""};
}

int wholeNumber(const json& body, const char* key, int fallback, int lowest, int highest)
{
    if (!body.contains(key)) return fallback;
    const json& value = body[key];
    if (!value.is_number_integer() || value.get<long long>() < lowest || value.get<long long>() > highest)
        throw Refused{400, std::string(key) + ": expected a whole number from " + std::to_string(lowest) + " to " +
                               std::to_string(highest)};
    return value.get<int>();
}

// The inputs object {"name": "value as --set takes it"} of one host, each for
// that host alone (--set maya:NAME=VALUE) when `scoped`.
std::vector<std::string> setArguments(const json& inputs, const std::vector<DeclaredInput>& declared,
                                      const char* hostName, bool scoped = false, const std::vector<Sweep>& sweeps = {})
{
    std::vector<std::string> args;
    if (inputs.is_null()) return args;
    if (!inputs.is_object()) throw Refused{400, "inputs: expected an object of NAME: VALUE"};
    for (const auto& [name, value] : inputs.items()) {
        if (!findInput(declared, name))
            throw Refused{400, std::string(hostName) + " has no input '" + printable(name) + "'"};
        if (!value.is_string()) throw Refused{400, name + ": expected the value as text, such as \"0.3\""};
        // A swept input takes the sweep's values, as on the command line.
        const std::string& input = name;  // a lambda cannot capture a structured binding before C++20
        if (std::any_of(sweeps.begin(), sweeps.end(), [&](const Sweep& s) { return s.name == input; })) continue;
        args.push_back("--set");
        args.push_back((scoped ? std::string(hostName) + ":" : std::string()) + name + "=" + value.get<std::string>());
    }
    return args;
}

// A scene option given as text or as a number, passed on as the command
// line's option would take it.
void addSceneOption(std::vector<std::string>& args, const json& body, const char* key, const char* option)
{
    if (!body.contains(key)) return;
    const json& value = body[key];
    if (value.is_string())
        args.insert(args.end(), {option, value.get<std::string>()});
    else if (value.is_number())
        args.insert(args.end(), {option, value.dump()});
    else if (value.is_boolean())
        args.insert(args.end(), {option, value.get<bool>() ? "on" : "off"});
    else
        throw Refused{400, std::string(key) + ": expected a value such as \"1\""};
}

LookRequest lookRequest(const json& body, const LiveRenderer& renderer, const std::vector<std::string>& environments,
                        std::string& record)
{
    LookRequest request;
    request.host = hostOf(body);
    const int side = int(request.host), other = 1 - side;
    const std::string quality = body.value("quality", std::string("full"));
    if (quality != "full" && quality != "coarse") throw Refused{400, "quality: expected \"coarse\" or \"full\""};
    const PreviewOptions defaults;
    std::vector<std::string> args = {
        "--width",        std::to_string(wholeNumber(body, "width", defaults.width, 1, kMaxImageSize)),
        "--height",       std::to_string(wholeNumber(body, "height", defaults.height, 1, kMaxImageSize)),
        "--samples",      std::to_string(wholeNumber(body, "samples", defaults.samples, 1, kMaxSamples)),
        "--area-samples", std::to_string(wholeNumber(body, "areaSamples", defaults.areaSamples, 1, 16))};
    request.scene.environment = wholeNumber(body, "environment", 0, 0, int(environments.size()));
    addSceneOption(args, body, "lights", "--lights");
    addSceneOption(args, body, "envTurn", "--env-turn");
    addSceneOption(args, body, "envIntensity", "--env-intensity");
    addSceneOption(args, body, "exposure", "--exposure");
    addSceneOption(args, body, "irradianceRays", "--irradiance-rays");
    const json sweeps = body.value("sweeps", json::array());
    if (!sweeps.is_array() || sweeps.size() > 2) throw Refused{400, "sweeps: expected at most two NAME=FROM:TO:STEPS"};
    std::vector<std::string> sweepArgs;
    for (const json& sweep : sweeps) {
        if (!sweep.is_string()) throw Refused{400, "sweeps: expected each as text NAME=FROM:TO:STEPS"};
        sweepArgs.push_back("--sweep");
        sweepArgs.push_back(sweep.get<std::string>());
    }
    PreviewOptions options;
    try {
        options = parseOptions(sweepArgs, renderer.inputs());
    } catch (const UsageError& e) {
        throw Refused{400, e.what()};
    }
    // Each host's values for that host alone: the image renders this host's,
    // and its record names both, as the command line's record does.
    for (int i : {side, other}) {
        const std::vector<std::string> sets =
            setArguments(body.value(i == side ? "inputs" : "otherInputs", json()), renderer.inputs(HostSide(i)),
                         kHostNames[i], true, options.sweeps);
        args.insert(args.end(), sets.begin(), sets.end());
    }
    args.insert(args.end(), sweepArgs.begin(), sweepArgs.end());
    try {
        options = parseOptions(args, renderer.inputs());
    } catch (const UsageError& e) {
        throw Refused{400, e.what()};
    }
    if (request.scene.environment > 0) options.envPath = environments[std::size_t(request.scene.environment - 1)];
    request.scene.areaSamples = options.areaSamples;
    request.scene.lighting.builtInLights = options.lights;
    request.scene.lighting.environmentTurn = options.envTurn;
    request.scene.lighting.environmentIntensity = options.envIntensity;
    request.scene.lighting.irradianceRays = options.irradianceRays;
    request.exposure = options.exposure;
    request.sweeps = options.sweeps;
    std::vector<MaterialSetting> settings;
    for (const SettingSource& source : options.settings) settings.push_back(source.setting);
    for (const MaterialSetting& setting : settings)
        if (settingApplies(renderer.inputs(), setting, request.host)) request.inputs.push_back(setting);
    request.settings.width = options.width;
    request.settings.height = options.height;
    request.settings.samples = options.samples;
    request.labelled = quality == "full";
    // The full image is the command line's picture and carries its record; the
    // coarse one, a quarter of the size each way at one sample a pixel, neither.
    if (quality == "full") {
        record = runRecord(options, settings, renderer.inputs());
    } else {
        record.clear();
        request.settings.width = std::max(1, options.width / 4);
        request.settings.height = std::max(1, options.height / 4);
        request.settings.samples = 1;
    }
    return request;
}

// The whole look a host ends with: every declared input, the page's value
// where it sends one, else the default, in the order --help lists them.
std::vector<MaterialSetting> lookOf(const json& body, const HostInputs& inputs, HostSide side)
{
    const std::vector<DeclaredInput>& declared = inputs.of(side);
    PreviewOptions options;
    try {
        options = parseOptions(setArguments(body.value("inputs", json()), declared, hostName(side)), inputs);
    } catch (const UsageError& e) {
        throw Refused{400, e.what()};
    }
    std::vector<MaterialSetting> settings;
    for (const DeclaredInput& input : declared) settings.push_back({input.name, defaultValue(input), HostScope::Both});
    for (const SettingSource& source : options.settings) settings.push_back(source.setting);
    return hostLook(inputs, settings, side);
}

// Runs a route, turning what it refuses or fails at into one line.
template <typename Route>
httplib::Server::Handler guarded(Route route)
{
    return [route](const httplib::Request& req, httplib::Response& res) {
        try {
            route(req, res);
        } catch (const Refused& refused) {
            answerError(res, refused.status, refused.message);
        } catch (const UsageError& e) {
            answerError(res, 400, e.what());
        } catch (const std::bad_alloc&) {
            answerError(res, 503, "out of memory");
        } catch (const std::exception& e) {
            answerError(res, 500, e.what());
        }
    };
}

}  // namespace

PreviewServer::PreviewServer(LiveRenderer& renderer, const UploadReader& uploads, std::string presetFolder,
                             std::vector<std::string> environmentPaths)
    : renderer_(renderer),
      uploads_(uploads),
      presetFolder_(std::move(presetFolder)),
      environmentPaths_(std::move(environmentPaths))
{
    server_.set_payload_max_length(kMaxUpload);
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        std::optional<std::string> origin;
        if (req.has_header("Origin")) origin = req.get_header_value("Origin");
        if (const auto why = refusal(req.get_header_value("Host"), origin, port_)) {
            answerError(res, 403, *why);
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server_.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Content-Type-Options", "nosniff");
    });
    addRoutes();
}

int PreviewServer::bind(int port)
{
    port_ = port == 0 ? server_.bind_to_any_port("127.0.0.1") : (server_.bind_to_port("127.0.0.1", port) ? port : -1);
    return port_;
}

bool PreviewServer::run() { return server_.listen_after_bind(); }

void PreviewServer::stop() { server_.stop(); }

void PreviewServer::addRoutes()
{
    server_.Get(R"(/|/app\.js|/style\.css)", [](const httplib::Request& req, httplib::Response& res) {
        const PageFile* file = findPageFile(req.path);
        res.set_content(std::string(file->content), std::string(file->contentType).c_str());
    });

    server_.Get("/api/model", guarded([this](const httplib::Request&, httplib::Response& res) {
                    json hosts = json::array();
                    for (int i = 0; i < kHostCount; ++i) {
                        json inputs = json::array();
                        for (const DeclaredInput& input : renderer_.inputs(HostSide(i))) {
                            json entry = {{"name", input.name},
                                          {"kind", kindName(input.kind)},
                                          {"default", exactValue(defaultValue(input))}};
                            if (input.hasSoftRange) {
                                entry["softMin"] = input.softMin;
                                entry["softMax"] = input.softMax;
                            }
                            inputs.push_back(entry);
                        }
                        hosts.push_back({{"name", kHostNames[i]}, {"title", kHostTitles[i]}, {"inputs", inputs}});
                    }
                    json environments = json::array({"sky gradient"});
                    for (const std::string& path : environmentPaths_)
                        environments.push_back(std::filesystem::path(path).filename().string());
                    const PreviewOptions d;
                    res.set_content(
                        json{{"hosts", hosts},
                             {"presets", shippedPresetNames(presetFolder_)},
                             {"environments", environments},
                             {"defaults",
                              {{"width", d.width},
                               {"height", d.height},
                               {"samples", d.samples},
                               {"areaSamples", d.areaSamples},
                               {"lights", d.lights ? "on" : "off"},
                               {"envTurn", exactNumber(d.envTurn)},
                               {"envIntensity", exactNumber(d.envIntensity)},
                               {"exposure", exactNumber(d.exposure)},
                               {"irradianceRays", std::to_string(d.irradianceRays)}}},
                             {"limits", {{"size", kMaxImageSize}, {"samples", kMaxSamples}, {"upload", kMaxUpload}}}}
                            .dump(),
                        "application/json");
                }));

    server_.Post("/api/render", guarded([this](const httplib::Request& req, httplib::Response& res) {
                     std::string record;
                     const LookRequest request = lookRequest(parseBody(req), renderer_, environmentPaths_, record);
                     const std::optional<Image> image = renderer_.render(request);
                     if (!image) throw Refused{409, "overtaken by a newer change"};
                     res.set_content(pngFileBytes(*image, record), "image/png");
                 }));

    server_.Get("/api/progress", [this](const httplib::Request&, httplib::Response& res) {
        json progress = json::object();
        for (int i = 0; i < kHostCount; ++i) {
            const RenderProgress p = renderer_.progress(HostSide(i));
            progress[kHostNames[i]] = {{"done", p.done}, {"total", p.total}, {"busy", p.busy}};
        }
        res.set_content(progress.dump(), "application/json");
    });

    // Only a shipped preset, by its name: the request never names a path.
    server_.Get(
        "/api/preset", guarded([this](const httplib::Request& req, httplib::Response& res) {
            const std::string name = req.get_param_value("name");
            const std::vector<std::string> names = shippedPresetNames(presetFolder_);
            if (std::find(names.begin(), names.end(), name) == names.end())
                throw Refused{404, "no shipped preset '" + printable(name) + "'"};
            std::vector<MaterialSetting> settings;
            try {
                settings = readAttributePreset(presetFolder_ + "/" + name + ".mel", renderer_.inputs().maya);
            } catch (const UsageError& e) {
                throw Refused{500, e.what()};
            }
            res.set_content(json{{"name", name}, {"settings", settingsJson(settings)}}.dump(), "application/json");
        }));

    server_.Post("/api/read", guarded([this](const httplib::Request& req, httplib::Response& res) {
                     const std::string kind = req.get_param_value("kind");
                     const std::string file = req.get_param_value("file");
                     json answer;
                     if (kind == "preset") {
                         answer = {{"settings", settingsJson(uploads_.readPreset(file, req.body))}};
                     } else if (kind == "shader") {
                         json blocks = json::array();
                         for (const NamedLook& look : uploads_.readShaderBlocks(file, req.body))
                             blocks.push_back({{"name", look.name}, {"settings", settingsJson(look.settings)}});
                         answer = {{"blocks", blocks}};
                     } else {
                         throw Refused{400, "kind: expected preset or shader"};
                     }
                     res.set_content(answer.dump(), "application/json");
                 }));

    server_.Post("/api/save", guarded([this](const httplib::Request& req, httplib::Response& res) {
                     const std::string kind = req.get_param_value("kind");
                     const json body = parseBody(req);
                     const std::string name = safeName(
                         body.value("name", json()).is_string() ? body.value("name", std::string()) : std::string(),
                         "look");
                     std::string text, file;
                     if (kind == "preset") {
                         text = attributePresetText(lookOf(body, renderer_.inputs(), HostSide::Maya));
                         file = name + ".mel";
                     } else if (kind == "shader") {
                         text = shaderBlockText(lookOf(body, renderer_.inputs(), HostSide::MentalRay), name,
                                                renderer_.inputs().mentalRay);
                         file = name + ".mi";
                     } else {
                         throw Refused{400, "kind: expected preset or shader"};
                     }
                     res.set_header("Content-Disposition", "attachment; filename=\"" + file + "\"");
                     res.set_content(text, "text/plain; charset=utf-8");
                 }));
}

}  // namespace preview::serve
