// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliBraille.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Bit of each dot of a cell, by [row][column] within the cell.
constexpr uint8_t kDotBits[4][2] = {{0x01, 0x08}, {0x02, 0x10}, {0x04, 0x20}, {0x40, 0x80}};

} // namespace

cBrailleRaster::cBrailleRaster(int columns, int rows)
    : aColumns(std::max(columns, 1)), aRows(std::max(rows, 1)),
      aCells(static_cast<size_t>(aColumns) * static_cast<size_t>(aRows), 0) {}

void cBrailleRaster::Set(int x, int y) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return;
    aCells[static_cast<size_t>(y / 4) * static_cast<size_t>(aColumns) + static_cast<size_t>(x / 2)] |=
        kDotBits[y % 4][x % 2];
}

void cBrailleRaster::Line(int x0, int y0, int x1, int y1) {
    // Bresenham, every step one dot; ends far outside are pulled in first,
    // so a stray coordinate cannot make a long loop.
    x0 = std::clamp(x0, -1, Width());
    x1 = std::clamp(x1, -1, Width());
    y0 = std::clamp(y0, -1, Height());
    y1 = std::clamp(y1, -1, Height());
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        Set(x0, y0);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

std::string cBrailleRaster::Row(int row) const {
    std::string text;
    if (row < 0 || row >= aRows)
        return text;
    for (int column = 0; column < aColumns; ++column) {
        // U+2800 + bits, as three UTF-8 bytes: E2 A0..A3 80..BF.
        const unsigned code =
            0x2800u + aCells[static_cast<size_t>(row) * static_cast<size_t>(aColumns) + static_cast<size_t>(column)];
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return text;
}
