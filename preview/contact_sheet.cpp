// Each cell is a whole render of its own, so balls never reflect or shadow
// one another and every cell looks like the single preview at a smaller size.
#include "contact_sheet.h"

namespace preview {
namespace {

int columnsOf(const std::vector<Sweep>& sweeps) { return sweeps.empty() ? 1 : sweeps[0].steps; }
int rowsOf(const std::vector<Sweep>& sweeps) { return sweeps.size() < 2 ? 1 : sweeps[1].steps; }

void setSwept(MaterialHost& host, const Sweep& sweep, int step)
{
    const MaterialInput* input = findMaterialInput(sweep.name);
    if (input && host.hasInput(*input)) host.setInput(sweep.name, sweep.valueAt(step));
}

}  // namespace

void contactSheetSize(const std::vector<Sweep>& sweeps, int width, int height, int& sheetWidth, int& sheetHeight)
{
    sheetWidth = width / columnsOf(sweeps) * columnsOf(sweeps);
    sheetHeight = height / rowsOf(sweeps) * rowsOf(sweeps);
}

Image renderContactSheet(const Scene& scene, MaterialHost& host, const std::vector<Sweep>& sweeps,
                         const RenderSettings& settings, SampleCounter* counter)
{
    const int columns = columnsOf(sweeps);
    const int rows = rowsOf(sweeps);
    RenderSettings cell = settings;
    cell.width = settings.width / columns;
    cell.height = settings.height / rows;
    Image sheet(cell.width * columns, cell.height * rows);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            if (!sweeps.empty()) setSwept(host, sweeps[0], column);
            if (sweeps.size() > 1) setSwept(host, sweeps[1], row);
            paste(sheet, render(scene, host, cell, counter), column * cell.width, row * cell.height);
        }
    return sheet;
}

}  // namespace preview
