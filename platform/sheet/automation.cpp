#include "platform/sheet/automation.hpp"

#include <array>
#include <string>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

using Args = std::vector<Variant>;
using Handler = Variant (*)(Workbook&, CellPosition, const Args&);

struct Operation {
    int dispid;
    InvokeKind kind;
    const char* name;
    std::vector<VariantType> arguments;
    Handler handler;
};

constexpr VariantType I4 = VariantType::I4;

int Row(const Args& args) {
    return args[0].AsI4();
}
int Col(const Args& args) {
    return args[1].AsI4();
}

Variant InsertCells(Workbook& book, CellPosition, const Args& args) {
    int r1 = args[0].AsI4(), c1 = args[1].AsI4(), r2 = args[2].AsI4(), c2 = args[3].AsI4(), how = args[4].AsI4();
    if (r1 > r2 || c1 != -1 || c2 != -1 || how != kInsertWholeRows) {
        throw AutomationError(
            "InsertCells supports only (first row, -1, last row, -1, 3), inserting whole rows; got (" +
            std::to_string(r1) + ", " + std::to_string(c1) + ", " + std::to_string(r2) + ", " + std::to_string(c2) +
            ", " + std::to_string(how) + ")");
    }
    book.InsertRows(r1, r2 - r1 + 1);
    return {};
}

Variant FillFormulasDown(Workbook& book, CellPosition, const Args& args) {
    book.FillFormulasDown(args[0].AsI4(), args[1].AsI4(), args[2].AsI4(), args[3].AsI4());
    return {};
}

// A row's values: texts, numbers and empty entries, which leave their cells; texts are read in place.
RowValue ViewOf(const Variant& item) {
    switch (item.Type()) {
        case VariantType::BSTR: return {Value::Kind::String, 0.0, item.AsBstr()};
        case VariantType::R8: return {Value::Kind::Number, item.AsR8(), {}};
        case VariantType::Empty: return {};
        default:
            throw AutomationError(std::string("SetRowValues takes BSTR, R8 or EMPTY values, got ") +
                                  VariantTypeName(item.Type()));
    }
}

Variant SetRowValues(Workbook& book, CellPosition, const Args& args) {
    const std::vector<Variant>& items = args[2].AsArray();
    std::vector<RowValue> values;
    values.reserve(items.size());
    for (const Variant& item : items) {
        values.push_back(ViewOf(item));
    }
    book.SetRowValues(args[0].AsI4(), args[1].AsI4(), values);
    return {};
}

Variant GetCurrentCell(Workbook&, CellPosition current, const Args& args) {
    int32_t* row = args[0].AsPi4();
    int32_t* col = args[1].AsPi4();
    if (!row || !col) {
        throw AutomationError("GetCurrentCell needs two non-null pointers");
    }
    *row = current.row;
    *col = current.column;
    return {};
}

Variant LoadFromMemory(Workbook& book, CellPosition, const Args& args) {
    if (args[1].AsI2() != 0) {
        throw AutomationError("LoadFromMemory: the reserved argument must be 0, got " + std::to_string(args[1].AsI2()));
    }
    book.LoadFromMemory(static_cast<uint32_t>(args[0].AsI4()));
    return {};
}

const std::array<Operation, 11>& Operations() {
    static const std::array<Operation, 11> operations{{
        {dispid::kCellNumber,
         InvokeKind::PropertyGet,
         "GetCellNumber",
         {I4, I4},
         [](Workbook& b, CellPosition, const Args& a) { return Variant::R8(b.GetCellNumber(Row(a), Col(a))); }},
        {dispid::kCellNumber,
         InvokeKind::PropertyPut,
         "SetCellNumber",
         {I4, I4, VariantType::R8},
         [](Workbook& b, CellPosition, const Args& a) {
             b.SetCellNumber(Row(a), Col(a), a[2].AsR8());
             return Variant();
         }},
        {dispid::kCellFormula,
         InvokeKind::PropertyGet,
         "GetCellFormula",
         {I4, I4},
         [](Workbook& b, CellPosition, const Args& a) { return Variant::Bstr(b.GetCellFormula(Row(a), Col(a))); }},
        {dispid::kCellFormula,
         InvokeKind::PropertyPut,
         "SetCellFormula",
         {I4, I4, VariantType::BSTR},
         [](Workbook& b, CellPosition, const Args& a) {
             b.SetCellFormula(Row(a), Col(a), a[2].AsBstr());
             return Variant();
         }},
        {dispid::kCellText,
         InvokeKind::PropertyGet,
         "GetCellText",
         {I4, I4},
         [](Workbook& b, CellPosition, const Args& a) { return Variant::Bstr(b.GetCellText(Row(a), Col(a))); }},
        {dispid::kCellText,
         InvokeKind::PropertyPut,
         "SetCellText",
         {I4, I4, VariantType::BSTR},
         [](Workbook& b, CellPosition, const Args& a) {
             b.SetCellText(Row(a), Col(a), a[2].AsBstr());
             return Variant();
         }},
        {dispid::kGetCurrentCell,
         InvokeKind::Method,
         "GetCurrentCell",
         {VariantType::PI4, VariantType::PI4},
         GetCurrentCell},
        {dispid::kInsertCells, InvokeKind::Method, "InsertCells", {I4, I4, I4, I4, I4}, InsertCells},
        {dispid::kLoadFromMemory, InvokeKind::Method, "LoadFromMemory", {I4, VariantType::I2}, LoadFromMemory},
        {dispid::kFillFormulasDown, InvokeKind::Method, "FillFormulasDown", {I4, I4, I4, I4}, FillFormulasDown},
        {dispid::kSetRowValues, InvokeKind::Method, "SetRowValues", {I4, I4, VariantType::Array}, SetRowValues},
    }};
    return operations;
}

const char* KindName(InvokeKind kind) {
    switch (kind) {
        case InvokeKind::Method: return "method";
        case InvokeKind::PropertyGet: return "property get";
        case InvokeKind::PropertyPut: return "property put";
    }
    return "unknown kind";
}

void CheckArguments(const Operation& op, const Args& args) {
    if (args.size() != op.arguments.size()) {
        throw AutomationError(std::string(op.name) + " takes " + std::to_string(op.arguments.size()) +
                              " arguments, got " + std::to_string(args.size()));
    }
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].Type() != op.arguments[i]) {
            throw AutomationError(std::string(op.name) + ": argument " + std::to_string(i + 1) + " must be " +
                                  VariantTypeName(op.arguments[i]) + ", got " + VariantTypeName(args[i].Type()));
        }
    }
}

}  // namespace

Variant InvokeSheet(Workbook& book, CellPosition current, int dispid, InvokeKind kind, const Args& args) {
    for (const Operation& op : Operations()) {
        if (op.dispid == dispid && op.kind == kind) {
            CheckArguments(op, args);
            try {
                return op.handler(book, current, args);
            } catch (const SheetError& error) {
                throw AutomationError(error.what());  // callers of the control see only its own error
            }
        }
    }
    throw AutomationError("the sheet control has no operation with id " + std::to_string(dispid) + " as " +
                          KindName(kind));
}

}  // namespace keltrov::sheet
