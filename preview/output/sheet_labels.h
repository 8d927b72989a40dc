// Labels of a contact sheet: a title naming the host and the swept inputs,
// each column's value above it and each row's value left of it, in bands of
// their own that leave every ball whole.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "label_font.h"
#include "material_host.h"
#include "sheet_layout.h"
#include "sweep.h"

namespace preview {

// What a sweep's steps print as: rounded to the fewest significant digits
// that still tell every two different steps apart, each within a tenth of
// the smallest step of its value.
std::vector<std::string> stepLabels(const Sweep& sweep);

// The type size of a sheet's labels and the bands they need; size 0 when
// nothing fits (the cells too small even for the smallest type), and then no
// bands.
struct SheetLabelPlan {
    int size = 0;
    int top = 0;
    int left = 0;
};
SheetLabelPlan planSheetLabels(const std::vector<Sweep>& sweeps, int width, int height, const LabelFont& font);

// The title line of a host's sheet that fits `width` at the type size: the
// inputs' names written out, abbreviated, or left out; empty when not even
// the host's name fits.
std::string sheetTitle(const MaterialHost& host, const char* hostTitle, const std::vector<Sweep>& sweeps,
                       const LabelFont& font, int size, int width);

// Draws the labels into the bands of a sheet laid out with the plan's bands.
void labelContactSheet(Image& sheet, const SheetLayout& layout, const SheetLabelPlan& plan, const MaterialHost& host,
                       const char* hostTitle, const std::vector<Sweep>& sweeps, const LabelFont& font);

// Names each half of a side-by-side picture in its top-left corner, on a
// darkened box so that it reads on the sky.
void nameHalves(Image& both, int leftWidth, int gap, const char* const (&titles)[2], const LabelFont& font);

}  // namespace preview
