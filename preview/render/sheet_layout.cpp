#include "sheet_layout.h"

#include <cstdint>

namespace preview {
namespace {

std::vector<int> edges(int start, int end, int parts)
{
    std::vector<int> result(static_cast<std::size_t>(parts) + 1);
    for (int i = 0; i <= parts; ++i)
        result[static_cast<std::size_t>(i)] = start + static_cast<int>(std::int64_t(end - start) * i / parts);
    return result;
}

}  // namespace

SheetLayout layoutSheet(int columns, int rows, int width, int height, int top, int left)
{
    SheetLayout layout;
    layout.width = width;
    layout.height = height;
    layout.top = top;
    layout.left = left;
    layout.columnEdges = edges(left, width, columns);
    layout.rowEdges = edges(top, height, rows);
    return layout;
}

}  // namespace preview
