// A contact sheet: one ball per combination of the swept values, the first
// sweep across the columns, the second (if any) down the rows.
#pragma once

#include <vector>

#include "image.h"
#include "material_host.h"
#include "render.h"
#include "sheet_layout.h"
#include "sweep.h"

namespace preview {

// The colour of the label bands, in the EXR images too.
constexpr float kSheetBand = 0.02f;

// Renders each cell of the layout at its own size, framed on the ball, with
// the swept inputs this host has set for that cell; the bands are left plain.
// The host keeps the last cell's values.
Image renderContactSheet(const BallScene& scene, MaterialHost& host, const std::vector<Sweep>& sweeps,
                         const SheetLayout& layout, const RenderSettings& settings, SampleCounter* counter = nullptr);

// The columns and rows these sweeps make.
int sheetColumns(const std::vector<Sweep>& sweeps);
int sheetRows(const std::vector<Sweep>& sweeps);

}  // namespace preview
