// Where the parts of a contact sheet lie: a band across the top for the
// title and the column values, a band down the left for the row values, and
// the cells sharing the rest, so that the sheet is exactly the size asked for.
#pragma once

#include <vector>

namespace preview {

struct SheetLayout {
    int width = 0;
    int height = 0;
    int top = 0;                   // height of the band across the top
    int left = 0;                  // width of the band down the left
    std::vector<int> columnEdges;  // columns + 1 x positions, left of each column and right of the last
    std::vector<int> rowEdges;     // rows + 1 y positions

    int columns() const { return static_cast<int>(columnEdges.size()) - 1; }
    int rows() const { return static_cast<int>(rowEdges.size()) - 1; }
    int cellWidth(int column) const { return columnEdges[column + 1] - columnEdges[column]; }
    int cellHeight(int row) const { return rowEdges[row + 1] - rowEdges[row]; }
};

// Cells differ by at most one pixel each way: what does not divide evenly is
// spread over them rather than cut off the sheet.
SheetLayout layoutSheet(int columns, int rows, int width, int height, int top, int left);

}  // namespace preview
