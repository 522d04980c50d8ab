// Helpers shared by the overlay tests.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "overlay/OverlayCells.h"
#include "overlay/OverlayFile.h"

namespace orv::test {

inline void SetCellText(OverlayCells& cells, int k, std::string_view text) {
    OverlayCell cell = cells.Cell(k);
    std::fill(cell.begin(), cell.end(), 0);
    std::copy(text.begin(), text.end(), cell.begin());
}

// The file the writer makes of cells.
inline std::string OverlayFileBytes(const OverlayCells& cells) {
    std::string bytes;
    for (int k = 0; k < OverlayCellCount; ++k) {
        bytes += FormatOverlayRecord(cells, k);
    }
    return bytes;
}

// Cells with text in every cell: the label, a CR, then the cell number's byte
// pattern, so that swapped or shifted cells show.
inline OverlayCells SampleCells() {
    OverlayCells cells;
    for (int k = 0; k < OverlayCellCount; ++k) {
        std::string text = CellLabel(k) + "\r";
        text += static_cast<char>(0x80 + k);
        SetCellText(cells, k, text);
    }
    return cells;
}

}  // namespace orv::test
