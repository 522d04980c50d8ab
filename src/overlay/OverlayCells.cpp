#include "overlay/OverlayCells.h"

#include <algorithm>

#include "core/Errors.h"

namespace orv {

namespace {

// An index outside 0-31 is a programming error: report it and use cell 0
// rather than touch memory that is not a cell.
size_t CheckedOffset(int k) {
    if (!ORV_CHECK(k >= 0 && k < OverlayCellCount)) {
        return 0;
    }
    return static_cast<size_t>(k) * OverlayCellSize;
}

}  // namespace

OverlayCell OverlayCells::Cell(int k) {
    return OverlayCell(m_bytes.data() + CheckedOffset(k), OverlayCellSize);
}

ConstOverlayCell OverlayCells::Cell(int k) const {
    return ConstOverlayCell(m_bytes.data() + CheckedOffset(k), OverlayCellSize);
}

int OverlayCells::TextLength(int k) const {
    ConstOverlayCell cell = Cell(k);
    return static_cast<int>(std::find(cell.begin(), cell.end(), uint8_t{0}) - cell.begin());
}

std::string OverlayCells::Text(int k) const {
    ConstOverlayCell cell = Cell(k);
    return std::string(cell.begin(), cell.begin() + TextLength(k));
}

uint8_t CellAddress(int k) {
    int row = (k >> 3) & 3;
    int column = k & 7;
    return static_cast<uint8_t>(0x80 | (row << 4) | column);
}

int CellIndexFromAddress(uint8_t address) {
    return ((address >> 1) & 0x18) | (address & 7);
}

std::string CellLabel(int k) {
    std::string label;
    label += static_cast<char>('A' + (k & 7));
    label += static_cast<char>('1' + ((k >> 3) & 3));
    return label;
}

}  // namespace orv
