// Each cell is a whole render of its own, so balls never reflect or shadow
// one another; each is framed on its ball, whatever the cell's shape.
#include "contact_sheet.h"

namespace preview {
namespace {

void setSwept(MaterialHost& host, const Sweep& sweep, int step)
{
    if (host.hasInput(sweep.name)) host.setInput(sweep.name, sweep.valueAt(step));
}

}  // namespace

int sheetColumns(const std::vector<Sweep>& sweeps) { return sweeps.empty() ? 1 : sweeps[0].steps; }
int sheetRows(const std::vector<Sweep>& sweeps) { return sweeps.size() < 2 ? 1 : sweeps[1].steps; }

Image renderContactSheet(const BallScene& scene, MaterialHost& host, const std::vector<Sweep>& sweeps,
                         const SheetLayout& layout, const RenderSettings& settings, SampleCounter* counter)
{
    Image sheet(layout.width, layout.height);
    for (Vec3& pixel : sheet.pixels) pixel = {kSheetBand, kSheetBand, kSheetBand};
    for (int row = 0; row < layout.rows(); ++row)
        for (int column = 0; column < layout.columns(); ++column) {
            if (!sweeps.empty()) setSwept(host, sweeps[0], column);
            if (sweeps.size() > 1) setSwept(host, sweeps[1], row);
            RenderSettings cell = settings;
            cell.width = layout.cellWidth(column);
            cell.height = layout.cellHeight(row);
            // A single render keeps the camera's own view.
            if (!sweeps.empty()) cell.window = scene.ballWindow(cell.width, cell.height);
            paste(sheet, render(scene, host, cell, counter), layout.columnEdges[column], layout.rowEdges[row]);
        }
    return sheet;
}

}  // namespace preview
