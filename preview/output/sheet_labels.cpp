// White text on the sheet's dark bands. The type is as large as the sheet
// allows, down to a size that still reads; below that the sheet goes
// unlabelled rather than covered.
#include "sheet_labels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "contact_sheet.h"

namespace preview {
namespace {

const Vec3 kText{1.0f, 1.0f, 1.0f};
constexpr int kSmallestType = 7;
constexpr int kLargestType = 16;
// Cells no smaller than the command line allows, bands no larger than a
// quarter of the sheet each way.
constexpr int kMinCell = 16;

int padOf(int size) { return std::max(1, size / 5); }
int lineOf(int size) { return size + padOf(size); }

std::string formatChannel(float value, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*g", digits, double(value));
    return text;
}

std::string formatStep(const MaterialValue& value, int digits)
{
    if (value.kind == InputKind::Scalar) return formatChannel(value.values[0], digits);
    return formatChannel(value.values[0], digits) + "," + formatChannel(value.values[1], digits) + "," +
           formatChannel(value.values[2], digits);
}

bool hasInput(const MaterialHost& host, const Sweep& sweep) { return host.hasInput(sweep.name); }

// Text with its baseline placed for a line whose top is `top`.
void drawLine(Image& image, const LabelFont& font, int x, int top, const std::string& text, int size)
{
    font.draw(image, x, top + padOf(size) + (size * 4) / 5, text, size, kText);
}

}  // namespace

std::vector<std::string> stepLabels(const Sweep& sweep)
{
    std::vector<MaterialValue> values;
    for (int step = 0; step < sweep.steps; ++step) values.push_back(sweep.valueAt(step));
    // A label may be off by a tenth of the smallest step, no more: 0.25 in
    // steps of a quarter reads "0.25", not "0.2".
    double tolerance = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < values.size(); ++i)
        for (int c = 0; c < 3; ++c) {
            const double step = std::fabs(double(values[i].values[c]) - double(values[i - 1].values[c]));
            if (step > 0.0) tolerance = std::min(tolerance, step / 10.0);
        }
    std::vector<std::string> labels;
    // Nine significant digits tell any two floats apart and read back exactly.
    for (int digits = 1; digits <= 9; ++digits) {
        labels.clear();
        bool close = true;
        for (const MaterialValue& value : values) {
            labels.push_back(formatStep(value, digits));
            for (int c = 0; c < (value.kind == InputKind::Scalar ? 1 : 3); ++c)
                close = close && std::fabs(std::strtod(formatChannel(value.values[c], digits).c_str(), nullptr) -
                                           double(value.values[c])) <= tolerance;
        }
        bool distinct = true;
        for (std::size_t i = 0; i < values.size() && distinct; ++i)
            for (std::size_t j = i + 1; j < values.size() && distinct; ++j)
                distinct = labels[i] != labels[j] || values[i].values == values[j].values;
        if (distinct && close) break;
    }
    return labels;
}

SheetLabelPlan planSheetLabels(const std::vector<Sweep>& sweeps, int width, int height, const LabelFont& font)
{
    if (sweeps.empty()) return {};
    const int columns = sheetColumns(sweeps), rows = sheetRows(sweeps);
    const std::vector<std::string> columnLabels = stepLabels(sweeps[0]);
    const std::vector<std::string> rowLabels = sweeps.size() > 1 ? stepLabels(sweeps[1]) : std::vector<std::string>();
    for (int size = std::clamp(height / 24, kSmallestType, kLargestType); size >= kSmallestType; --size) {
        const int pad = padOf(size);
        SheetLabelPlan plan{size, 2 * lineOf(size) + pad, 0};
        for (const std::string& label : rowLabels) plan.left = std::max(plan.left, font.width(label, size) + 3 * pad);
        if (plan.top > height / 4 || plan.left > width / 4) continue;
        if ((height - plan.top) / rows < kMinCell || (width - plan.left) / columns < kMinCell) continue;
        const SheetLayout layout = layoutSheet(columns, rows, width, height, plan.top, plan.left);
        bool fits = true;
        for (int column = 0; column < columns && fits; ++column)
            fits = font.width(columnLabels[std::size_t(column)], size) + 2 * pad <= layout.cellWidth(column);
        for (int row = 0; row < rows && fits && !rowLabels.empty(); ++row)
            fits = lineOf(size) <= layout.cellHeight(row);
        if (fits) return plan;
    }
    return {};
}

std::string sheetTitle(const MaterialHost& host, const char* hostTitle, const std::vector<Sweep>& sweeps,
                       const LabelFont& font, int size, int width)
{
    const char* axes[] = {" across", " down"};
    // Names in full, then cut to their first five letters.
    for (const std::size_t cut : {std::string::npos, std::size_t(5)}) {
        std::string title = hostTitle;
        std::string separator = ": ";
        for (std::size_t i = 0; i < sweeps.size() && i < 2; ++i) {
            if (!hasInput(host, sweeps[i])) continue;
            const std::string& name = sweeps[i].name;
            title += separator + (name.size() > cut ? name.substr(0, cut) + "." : name) + axes[i];
            separator = ", ";
        }
        if (font.width(title, size) + 2 * padOf(size) <= width) return title;
    }
    return font.width(hostTitle, size) + 2 * padOf(size) <= width ? hostTitle : "";
}

void labelContactSheet(Image& sheet, const SheetLayout& layout, const SheetLabelPlan& plan, const MaterialHost& host,
                       const char* hostTitle, const std::vector<Sweep>& sweeps, const LabelFont& font)
{
    if (plan.size == 0 || sweeps.empty()) return;
    const int size = plan.size, pad = padOf(size);
    drawLine(sheet, font, pad, 0, sheetTitle(host, hostTitle, sweeps, font, size, layout.width), size);
    // A host without a swept input shows no values for it: its balls do not change along that axis.
    if (hasInput(host, sweeps[0])) {
        const std::vector<std::string> labels = stepLabels(sweeps[0]);
        for (int column = 0; column < layout.columns(); ++column) {
            const std::string& label = labels[std::size_t(column)];
            const int x = layout.columnEdges[column] + (layout.cellWidth(column) - font.width(label, size)) / 2;
            drawLine(sheet, font, x, lineOf(size), label, size);
        }
    }
    if (sweeps.size() > 1 && hasInput(host, sweeps[1])) {
        const std::vector<std::string> labels = stepLabels(sweeps[1]);
        for (int row = 0; row < layout.rows(); ++row) {
            const int top = layout.rowEdges[row] + (layout.cellHeight(row) - lineOf(size)) / 2 - pad / 2;
            drawLine(sheet, font, pad, top, labels[std::size_t(row)], size);
        }
    }
}

void nameHalves(Image& both, int leftWidth, int gap, const char* const (&titles)[2], const LabelFont& font)
{
    const int size = std::clamp(both.height / 24, kSmallestType, 22);
    const int pad = padOf(size);
    const int starts[] = {0, leftWidth + gap};
    for (int i = 0; i < 2; ++i) {
        const int x0 = starts[i], x1 = std::min(both.width, x0 + font.width(titles[i], size) + 2 * pad);
        for (int y = 0; y < std::min(both.height, lineOf(size) + pad); ++y)
            for (int x = x0; x < x1; ++x) {
                // Darkened from what the picture shows, so that it reads however bright the render.
                const Vec3 p = both.at(x, y);
                both.at(x, y) = Vec3{std::min(p.x, 1.0f), std::min(p.y, 1.0f), std::min(p.z, 1.0f)} * 0.35f;
            }
        drawLine(both, font, x0 + pad, 0, titles[i], size);
    }
}

}  // namespace preview
