#include "display_model/lcd_grid.h"

#include <algorithm>

LcdGrid LcdGrid::from_code(int code) {
    LcdGrid grid;
    grid.columns = std::clamp(code >> 4, 1, 8);
    grid.rows = std::clamp(code & 15, 1, 8);
    grid.rows = std::min(grid.rows, kMaxCells / grid.columns);
    return grid;
}
