// A contact sheet: one ball per combination of the swept values, the first
// sweep across the columns, the second (if any) down the rows.
#pragma once

#include <vector>

#include "image.h"
#include "material_host.h"
#include "options.h"
#include "render.h"

namespace preview {

// Renders each cell at settings.width / columns x settings.height / rows
// pixels, with the swept inputs this host has set for that cell, and pastes
// the cells together. The host keeps the last cell's values.
Image renderContactSheet(const Scene& scene, MaterialHost& host, const std::vector<Sweep>& sweeps,
                         const RenderSettings& settings, SampleCounter* counter = nullptr);

// The size a sheet of these sweeps takes within width x height.
void contactSheetSize(const std::vector<Sweep>& sweeps, int width, int height, int& sheetWidth, int& sheetHeight);

}  // namespace preview
