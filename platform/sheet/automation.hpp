#pragma once

#include <vector>

#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {

class Workbook;

// Operation ids of the control's automation interface.
namespace dispid {
inline constexpr int kCellFormula = 276;
inline constexpr int kCellNumber = 279;
inline constexpr int kCellText = 281;
inline constexpr int kGetCurrentCell = 169;
inline constexpr int kInsertCells = 178;
inline constexpr int kLoadFromMemory = 203;
// This control's own operations, beyond the call set above, that fill many rows in one call.
inline constexpr int kFillFormulasDown = 0x7001;
inline constexpr int kSetRowValues = 0x7002;
}  // namespace dispid

// The kind argument of InsertCells that inserts whole rows.
inline constexpr int kInsertWholeRows = 3;

struct CellPosition {
    int row = 1;
    int column = 1;
};

// Runs one automation call against the workbook, `current` being the control's current cell.
// Only the operations of the interface with exactly their argument types are accepted; anything
// else throws AutomationError, as does every refusal of the workbook.
Variant InvokeSheet(Workbook& book, CellPosition current, int dispid, InvokeKind kind,
                    const std::vector<Variant>& args);

}  // namespace keltrov::sheet
