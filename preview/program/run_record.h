// The record every image of a run carries: the command line that makes the
// same images again.
#pragma once

#include <string>
#include <vector>

#include "declared_inputs.h"
#include "options.h"

namespace preview {

// The settings that made a run's images, as the options that make them
// again: size, samples, environment, every material setting (host by host
// where the hosts differ) and the sweeps.
std::string runRecord(const PreviewOptions& options, const std::vector<MaterialSetting>& settings,
                      const HostInputs& inputs);

}  // namespace preview
