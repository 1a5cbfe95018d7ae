#pragma once

// The grid of an LCD panel window for a layout code: the high nibble is the number of columns,
// the low nibble the number of rows, each clamped to 1..8, and the rows cut so that the grid
// never holds more than the window's 32 cells (a hand-edited 8x8 code gives 8x4).
// Pure; any thread.
struct LcdGrid {
    static constexpr int kMaxCells = 32;
    int columns = 1;
    int rows = 1;

    int cells() const { return columns * rows; }
    static LcdGrid from_code(int code);
};
