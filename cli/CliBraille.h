// SPDX-License-Identifier: GPL-3.0-or-later
// A raster of dots drawn as Unicode braille characters: every character
// cell holds 2 x 4 dots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class cBrailleRaster {
public:
    cBrailleRaster(int columns, int rows); // in character cells, at least 1 x 1

    int Width() const { return 2 * aColumns; } // in dots
    int Height() const { return 4 * aRows; }

    // Dots outside the raster are left out; (0, 0) is the top left dot.
    void Set(int x, int y);
    void Line(int x0, int y0, int x1, int y1);

    // One row of character cells in UTF-8; an empty cell is U+2800.
    std::string Row(int row) const;

private:
    int aColumns;
    int aRows;
    std::vector<uint8_t> aCells; // dot bits per cell, row by row
};
