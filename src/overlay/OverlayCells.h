// The keyboard overlay in memory: 4 rows (1-4) by 8 columns (A-H) of text cells.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace orv {

constexpr int OverlayRowCount = 4;
constexpr int OverlayColumnCount = 8;
constexpr int OverlayCellCount = OverlayRowCount * OverlayColumnCount;
constexpr int OverlayCellSize = 63;

// The byte a line break inside a cell is stored as.
constexpr uint8_t kCellLineBreak = 0x0D;

using OverlayCell = std::span<uint8_t, OverlayCellSize>;
using ConstOverlayCell = std::span<const uint8_t, OverlayCellSize>;

// 32 cells of 63 bytes, cell k = row * 8 + column. A cell's text ends at its
// first zero byte (a cell without one holds 63 text bytes).
class OverlayCells {
public:
    // All cells empty.
    void Clear() { m_bytes.fill(0); }

    OverlayCell Cell(int k);
    ConstOverlayCell Cell(int k) const;

    // The number of bytes before the cell's first zero byte, 0 to 63.
    int TextLength(int k) const;
    // The cell's text bytes.
    std::string Text(int k) const;

    bool operator==(const OverlayCells&) const = default;

private:
    std::array<uint8_t, OverlayCellCount * OverlayCellSize> m_bytes{};
};

// The byte that names cell k in the file: 0x80 | row << 4 | column.
uint8_t CellAddress(int k);
// The cell an address byte names, 0 to 31 (the reader's rule; every byte
// value maps to some cell).
int CellIndexFromAddress(uint8_t address);
// "A1" for cell 0, "H4" for cell 31.
std::string CellLabel(int k);

}  // namespace orv
