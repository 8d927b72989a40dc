// Every number is written with the fewest digits that read back to the same
// float, so the record renders the same bits.
#include "run_record.h"

#include "look_files.h"

namespace preview {
namespace {

const char* hostPrefix(HostScope scope)
{
    switch (scope) {
    case HostScope::Maya: return "maya:";
    case HostScope::MentalRay: return "mentalray:";
    case HostScope::Both: break;
    }
    return "";
}

}  // namespace

std::string runRecord(const PreviewOptions& options, const std::vector<MaterialSetting>& settings,
                      const HostInputs& inputs)
{
    std::string text = "glossy-preview " + recordedOptions(options);
    // Host by host, so that what each host took reads off directly.
    const std::vector<MaterialSetting> maya = hostLook(inputs, settings, HostSide::Maya);
    const std::vector<MaterialSetting> mentalRay = hostLook(inputs, settings, HostSide::MentalRay);
    for (const std::string& name : inputs.names()) {
        const MaterialSetting* inMaya = nullptr;
        const MaterialSetting* inMentalRay = nullptr;
        for (const MaterialSetting& s : maya)
            if (s.name == name) inMaya = &s;
        for (const MaterialSetting& s : mentalRay)
            if (s.name == name) inMentalRay = &s;
        // Without a host's name where both took the same or only one host has the input.
        const bool same = inMaya && inMentalRay && inMaya->value.values == inMentalRay->value.values;
        const bool oneHost = !inputs.find(HostSide::Maya, name) || !inputs.find(HostSide::MentalRay, name);
        if (same || oneHost) {
            const MaterialSetting* either = inMaya ? inMaya : inMentalRay;
            if (either) text += " --set " + name + "=" + exactValue(either->value);
            continue;
        }
        if (inMaya)
            text += " --set " + std::string(hostPrefix(HostScope::Maya)) + name + "=" + exactValue(inMaya->value);
        if (inMentalRay)
            text +=
                " --set " + std::string(hostPrefix(HostScope::MentalRay)) + name + "=" + exactValue(inMentalRay->value);
    }
    for (const Sweep& sweep : options.sweeps)
        text += " --sweep " + sweep.name + "=" + exactValue(sweep.from) + ":" + exactValue(sweep.to) + ":" +
                std::to_string(sweep.steps);
    return text;
}

}  // namespace preview
