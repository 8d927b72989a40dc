// Labels of a contact sheet: each cell's swept values along its bottom edge,
// the host's name in the top-left corner.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "label_font.h"
#include "material_host.h"
#include "options.h"

namespace preview {

// The lines that label a cell: "NAME VALUE" for each sweep the host has.
std::vector<std::string> cellLabels(const MaterialHost& host, const std::vector<Sweep>& sweeps, int column, int row);

// Draws the labels onto a sheet that renderContactSheet made of these sweeps.
void labelContactSheet(Image& sheet, const MaterialHost& host, const char* title, const std::vector<Sweep>& sweeps,
                       const LabelFont& font);

}  // namespace preview
