#include "host/automation/dump.hpp"

#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dialog.h>

#include <fstream>
#include <set>

#include "host/automation/dialog_probe.hpp"
#include "host/automation/json_writer.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/tree_items.hpp"
#include "platform/ui/wage_sheet_state.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov::automation {

namespace {

void WriteItems(JsonWriter& json, const wxTreeCtrl& tree, const std::vector<wxTreeItemId>& items) {
    json.BeginArray();
    for (const wxTreeItemId& item : items) {
        json.BeginObject();
        json.Key("text").String(FromWx(tree.GetItemText(item)));
        json.Key("code").String(GetItemString(tree, item));
        json.Key("expanded").Bool(tree.IsExpanded(item));
        json.Key("children");
        WriteItems(json, tree, ChildItems(tree, item));
        json.EndObject();
    }
    json.EndArray();
}

void WriteTree(JsonWriter& json, wxDialog& dialog) {
    const wxTreeCtrl* tree = FindTree(dialog);
    json.Key("tree");
    if (tree == nullptr) {
        json.BeginArray().EndArray();
    } else {
        WriteItems(json, *tree, TopLevelItems(*tree));
    }
    const wxTreeItemId selected = tree != nullptr ? tree->GetSelection() : wxTreeItemId();
    // A hidden root is no item a person could have chosen.
    const bool hiddenRoot = selected.IsOk() && selected == tree->GetRootItem() && tree->HasFlag(wxTR_HIDE_ROOT);
    json.Key("selected");
    if (selected.IsOk() && !hiddenRoot) {
        json.String(GetItemString(*tree, selected));
    } else {
        json.Null();
    }
}

std::string ControlText(wxWindow& control) {
    if (auto* picker = dynamic_cast<wxDatePickerCtrl*>(&control)) return FromWx(picker->GetValue().FormatISODate());
    return GetWindowText(control);
}

void WriteControl(JsonWriter& json, wxWindow& control) {
    json.Key(std::to_string(control.GetId())).BeginObject();
    json.Key("text").String(ControlText(control));
    json.Key("enabled").Bool(control.IsEnabled());
    if (auto* combo = dynamic_cast<wxComboBox*>(&control)) {
        json.Key("items").BeginArray();
        for (unsigned i = 0; i < combo->GetCount(); ++i) json.String(FromWx(combo->GetString(i)));
        json.EndArray();
    }
    if (auto* picker = dynamic_cast<wxDatePickerCtrl*>(&control)) {
        json.Key("date").String(FromWx(picker->GetValue().Format("%Y-%m-%d %H:%M")));
    }
    json.EndObject();
}

void WriteControls(JsonWriter& json, wxDialog& dialog) {
    json.Key("controls").BeginObject();
    std::set<int> written;
    ForEachDescendant(dialog, [&json, &written](wxWindow& window) {
        if (window.GetId() > 0 && written.insert(window.GetId()).second) WriteControl(json, window);
    });
    json.EndObject();
    json.Key("focus");
    if (const auto focus = FocusedControlId(dialog)) {
        json.Integer(*focus);
    } else {
        json.Null();
    }
}

void WriteCounter(JsonWriter& json, const char* name, const WageSheetState* state, int (WageSheetState::*get)() const) {
    json.Key(name);
    if (state != nullptr) {
        json.Integer((state->*get)());
    } else {
        json.Null();
    }
}

void WriteSheet(JsonWriter& json, wxDialog& dialog) {
    sheet::SheetControl* control = FindSheet(dialog);
    json.Key("sheet");
    if (control == nullptr) {
        json.Null();
        return;
    }
    const auto* state = dynamic_cast<const WageSheetState*>(&dialog);
    json.BeginObject();
    WriteCounter(json, "next_row", state, &WageSheetState::GetNextRow);
    WriteCounter(json, "row_capacity", state, &WageSheetState::GetRowCapacity);
    const sheet::CellPosition current = control->GetCurrentCell();
    json.Key("current").BeginArray().Integer(current.row).Integer(current.column).EndArray();
    json.Key("cells").BeginArray();
    const sheet::Workbook& book = control->GetWorkbook();
    book.ForEachCell([&json, &book](int row, int column) {
        json.BeginObject();
        json.Key("row").Integer(row);
        json.Key("col").Integer(column);
        json.Key("text").String(book.GetCellText(row, column));
        json.Key("number").Number(book.GetCellNumber(row, column));
        json.Key("formula").String(book.GetCellFormula(row, column));
        json.EndObject();
    });
    json.EndArray().EndObject();
}

void WriteMessages(JsonWriter& json, const std::vector<ShownMessage>& messages) {
    json.Key("messages").BeginArray();
    for (const ShownMessage& message : messages) {
        json.BeginObject();
        json.Key("text").String(message.text);
        json.Key("buttons").String(message.buttons == MessageButtons::Ok ? "ok" : "okcancel");
        json.Key("answer").String(message.answer == MessageAnswer::Ok ? "ok" : "cancel");
        json.EndObject();
    }
    json.EndArray();
}

void WriteMenus(JsonWriter& json, const std::vector<ShownMenu>& menus) {
    json.Key("menus").BeginArray();
    for (const ShownMenu& menu : menus) {
        json.BeginArray();
        for (const std::string& entry : menu) json.String(entry);
        json.EndArray();
    }
    json.EndArray();
}

}  // namespace

std::string DumpDialog(wxDialog& dialog, const std::vector<ShownMessage>& messages,
                       const std::vector<ShownMenu>& menus) {
    JsonWriter json;
    json.BeginObject();
    WriteTree(json, dialog);
    WriteControls(json, dialog);
    WriteSheet(json, dialog);
    WriteMessages(json, messages);
    WriteMenus(json, menus);
    json.EndObject();
    return json.Text() + "\n";
}

void WriteDump(const std::string& path, const std::string& json) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << json;
    if (!out.flush()) throw ActionError("cannot write " + path);
}

}  // namespace keltrov::automation
