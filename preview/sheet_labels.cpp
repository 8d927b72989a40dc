// Text is white on a band that halves what lies under it, so it reads on the
// bright sky and on the checkered ground alike; its size follows the cell's.
#include "sheet_labels.h"

#include <algorithm>

namespace preview {
namespace {

const Vec3 kText{1.0f, 1.0f, 1.0f};

void darken(Image& image, int x0, int y0, int x1, int y1)
{
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) image.at(x, y) = image.at(x, y) * 0.35f;
}

// Lines of text top-down from (x, top), each on its band.
void drawLines(Image& image, const LabelFont& font, int x, int top, const std::vector<std::string>& lines, int size)
{
    const int pad = std::max(1, size / 5);
    const int lineHeight = size + pad;
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, font.width(line, size));
    darken(image, x - pad, top, x + widest + pad, top + static_cast<int>(lines.size()) * lineHeight + pad);
    int baseline = top + pad + (size * 4) / 5;
    for (const std::string& line : lines) {
        font.draw(image, x, baseline, line, size, kText);
        baseline += lineHeight;
    }
}

}  // namespace

std::vector<std::string> cellLabels(const MaterialHost& host, const std::vector<Sweep>& sweeps, int column, int row)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < sweeps.size() && i < 2; ++i) {
        const MaterialInput* input = findMaterialInput(sweeps[i].name);
        if (input == nullptr || !host.hasInput(*input)) continue;
        lines.push_back(sweeps[i].name + " " + formatMaterialValue(sweeps[i].valueAt(i == 0 ? column : row)));
    }
    return lines;
}

void labelContactSheet(Image& sheet, const MaterialHost& host, const char* title, const std::vector<Sweep>& sweeps,
                       const LabelFont& font)
{
    if (sweeps.empty()) return;
    const int columns = sweeps[0].steps;
    const int rows = sweeps.size() > 1 ? sweeps[1].steps : 1;
    const int cellWidth = sheet.width / columns;
    const int cellHeight = sheet.height / rows;
    const int size = std::clamp(cellHeight / 8, 8, 15);
    const int pad = std::max(1, size / 5);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const std::vector<std::string> lines = cellLabels(host, sweeps, column, row);
            const int height = static_cast<int>(lines.size()) * (size + pad) + pad;
            drawLines(sheet, font, column * cellWidth + 2 * pad, (row + 1) * cellHeight - height, lines, size);
        }
    const int titleSize = std::clamp(sheet.height / 24, 10, 22);
    drawLines(sheet, font, titleSize / 3, 0, {title}, titleSize);
}

}  // namespace preview
