#include "wages/f1book.hpp"

#include "platform/sheet/automation.hpp"
#include "platform/sheet/sheet_control.hpp"

using keltrov::sheet::InvokeKind;
using keltrov::sheet::Variant;
namespace dispid = keltrov::sheet::dispid;

namespace {

// The interface passes rows, columns and handles as 32-bit integers.
Variant I4(long value) {
    return Variant::I4(static_cast<int32_t>(value));
}

}  // namespace

double CF1Book::GetCellNumber(long row, long col) {
    return control_->Invoke(dispid::kCellNumber, InvokeKind::PropertyGet, {I4(row), I4(col)}).AsR8();
}

void CF1Book::SetCellNumber(long row, long col, double value) {
    control_->Invoke(dispid::kCellNumber, InvokeKind::PropertyPut, {I4(row), I4(col), Variant::R8(value)});
}

std::string CF1Book::GetCellFormula(long row, long col) {
    return control_->Invoke(dispid::kCellFormula, InvokeKind::PropertyGet, {I4(row), I4(col)}).AsBstr();
}

void CF1Book::SetCellFormula(long row, long col, const std::string& formula) {
    control_->Invoke(dispid::kCellFormula, InvokeKind::PropertyPut, {I4(row), I4(col), Variant::Bstr(formula)});
}

std::string CF1Book::GetCellText(long row, long col) {
    return control_->Invoke(dispid::kCellText, InvokeKind::PropertyGet, {I4(row), I4(col)}).AsBstr();
}

void CF1Book::SetCellText(long row, long col, const std::string& text) {
    control_->Invoke(dispid::kCellText, InvokeKind::PropertyPut, {I4(row), I4(col), Variant::Bstr(text)});
}

void CF1Book::GetCurrentCell(long* row, long* col) {
    int32_t r = 0;
    int32_t c = 0;
    control_->Invoke(dispid::kGetCurrentCell, InvokeKind::Method, {Variant::Pi4(&r), Variant::Pi4(&c)});
    *row = r;
    *col = c;
}

void CF1Book::InsertCells(long row1, long col1, long row2, long col2, long kind) {
    control_->Invoke(dispid::kInsertCells, InvokeKind::Method, {I4(row1), I4(col1), I4(row2), I4(col2), I4(kind)});
}

void CF1Book::FillFormulasDown(long firstRow, long lastRow, long firstCol, long lastCol) {
    control_->Invoke(dispid::kFillFormulasDown, InvokeKind::Method,
                     {I4(firstRow), I4(lastRow), I4(firstCol), I4(lastCol)});
}

// The arguments are moved in one by one: a braced list would copy the row's values.
void CF1Book::SetRowValues(long row, long firstCol, std::vector<Variant> values) {
    std::vector<Variant> args;
    args.reserve(3);
    args.push_back(I4(row));
    args.push_back(I4(firstCol));
    args.push_back(Variant::Array(std::move(values)));
    control_->Invoke(dispid::kSetRowValues, InvokeKind::Method, args);
}

void CF1Book::LoadFromMemory(long handle, short reserved) {
    control_->Invoke(dispid::kLoadFromMemory, InvokeKind::Method, {I4(handle), Variant::I2(reserved)});
}
