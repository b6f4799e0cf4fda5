#pragma once

#include <string>
#include <vector>

#include "platform/sheet/variant.hpp"

namespace keltrov::sheet {
class SheetControl;
}

// The plug-in's handle on the spreadsheet control: every operation is one automation call.
class CF1Book {
public:
    void Attach(keltrov::sheet::SheetControl* control) { control_ = control; }
    // The control's window, for its rectangle and focus.
    keltrov::sheet::SheetControl* GetWindow() const { return control_; }

    double GetCellNumber(long row, long col);
    void SetCellNumber(long row, long col, double value);
    std::string GetCellFormula(long row, long col);
    void SetCellFormula(long row, long col, const std::string& formula);
    std::string GetCellText(long row, long col);
    void SetCellText(long row, long col, const std::string& text);
    void GetCurrentCell(long* row, long* col);
    void InsertCells(long row1, long col1, long row2, long col2, long kind);
    void FillFormulasDown(long firstRow, long lastRow, long firstCol, long lastCol);
    // Texts (BSTR) and numbers (R8) into the row's cells from the column on.
    void SetRowValues(long row, long firstCol, std::vector<keltrov::sheet::Variant> values);
    void LoadFromMemory(long handle, short reserved);

private:
    keltrov::sheet::SheetControl* control_ = nullptr;
};
