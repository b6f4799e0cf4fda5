#include "host/automation/actions.hpp"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <optional>

#include "platform/sheet/sheet_control.hpp"
#include "platform/sheet/sheet_pdf.hpp"
#include "platform/ui/menu_ids.hpp"
#include "platform/ui/print_preview.hpp"
#include "platform/ui/save_file.hpp"
#include "platform/ui/seam.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::automation {

namespace {

std::string Describe(int id) {
    return "control " + std::to_string(id);
}

// A control a person can reach: shown and enabled.
wxWindow& UsableControl(wxDialog& dialog, int id) {
    wxWindow& control = ControlById(dialog, id);
    if (!control.IsShown()) throw ActionError(Describe(id) + " is hidden");
    if (!control.IsEnabled()) throw ActionError(Describe(id) + " is disabled");
    return control;
}

template <class Control>
Control& UsableControlOf(wxDialog& dialog, int id, const char* kind) {
    auto* control = dynamic_cast<Control*>(&UsableControl(dialog, id));
    if (control == nullptr) throw ActionError(Describe(id) + " is not " + kind);
    return *control;
}

// The dialog's one control of a kind, found by its class.
template <class Control>
Control& Usable(Control* control, const std::string& name) {
    if (control == nullptr) throw ActionError("the dialog has no " + name);
    if (!control->IsEnabled()) throw ActionError("the " + name + " is disabled");
    return *control;
}

wxTreeCtrl& UsableTree(wxDialog& dialog) {
    return Usable(FindTree(dialog), "tree");
}

sheet::SheetControl& UsableSheet(wxDialog& dialog) {
    return Usable(FindSheet(dialog), "sheet");
}

wxPoint Middle(const wxWindow& window) {
    const wxSize size = window.GetClientSize();
    return {size.x / 2, size.y / 2};
}

// The window a click at the screen point inside the control reaches: the innermost one there (the
// sheet's cell area rather than its frame).
wxWindow& InnermostWindowAt(wxWindow& control, const wxPoint& screenPoint) {
    wxWindow* found = wxFindWindowAtPoint(screenPoint);
    for (wxWindow* window = found; window != nullptr; window = window->GetParent()) {
        if (window == &control) return *found;
    }
    return control;
}

bool SendMouseEvent(wxWindow& window, wxEventType type, const wxPoint& clientPoint, bool leftDown) {
    wxMouseEvent event(type);
    event.SetPosition(clientPoint);
    event.m_leftDown = leftDown;
    event.m_rightDown = type == wxEVT_RIGHT_DOWN;
    event.SetEventObject(&window);
    event.SetId(window.GetId());
    return window.HandleWindowEvent(event);
}

int KeyCode(const std::string& key) {
    if (key == "enter") return WXK_RETURN;
    if (key == "down") return WXK_DOWN;
    if (key == "up") return WXK_UP;
    return WXK_TAB;
}

// The focused window inside the control (a composite control's inner edit), else the control.
wxWindow& KeyTarget(wxWindow& control) {
    for (wxWindow* window = wxWindow::FindFocus(); window != nullptr; window = window->GetParent()) {
        if (window == &control) return *wxWindow::FindFocus();
    }
    return control;
}

// What the toolkit does with a key nobody handled.
void DefaultKeyAction(wxWindow& target, int code) {
    if (code == WXK_TAB) {
        target.Navigate(wxNavigationKeyEvent::IsForward);
    } else if (auto* button = dynamic_cast<wxButton*>(&target); button != nullptr && code == WXK_RETURN) {
        PressButton(*button);
    }
}

// The middle of a tree item in screen coordinates; the item must be on view, as for a person.
wxPoint ItemPoint(wxTreeCtrl& tree, const std::string& node) {
    const wxTreeItemId item = FindNode(tree, node);
    for (wxTreeItemId parent = tree.GetItemParent(item); parent.IsOk(); parent = tree.GetItemParent(parent)) {
        const bool hiddenRoot = parent == tree.GetRootItem() && tree.HasFlag(wxTR_HIDE_ROOT);
        if (!hiddenRoot && !tree.IsExpanded(parent))
            throw ActionError("the item " + node + " is inside a collapsed item");
    }
    tree.ScrollTo(item);
    wxRect rect;
    if (!tree.GetBoundingRect(item, rect, true)) throw ActionError("the item " + node + " is not on view");
    return tree.ClientToScreen(rect.GetPosition() + rect.GetSize() / 2);
}

}  // namespace

void PressButton(wxButton& button) {
    wxCommandEvent event(wxEVT_BUTTON, button.GetId());
    event.SetEventObject(&button);
    button.HandleWindowEvent(event);
}

void TypeInto(wxWindow& control, const std::string& text) {
    auto* entry = dynamic_cast<wxTextEntry*>(&control);
    if (entry == nullptr || !(dynamic_cast<wxTextCtrl*>(&control) || dynamic_cast<wxComboBox*>(&control)))
        throw ActionError(Describe(control.GetId()) + " is no edit or combo box");
    if (!entry->IsEditable()) throw ActionError(Describe(control.GetId()) + " is read-only");
    control.SetFocus();
    entry->ChangeValue(wxString::FromUTF8(text));
    wxCommandEvent event(wxEVT_TEXT, control.GetId());
    event.SetEventObject(&control);
    event.SetString(entry->GetValue());
    control.HandleWindowEvent(event);
}

void SelectNode(wxDialog& dialog, const std::string& node) {
    wxTreeCtrl& tree = UsableTree(dialog);
    const wxTreeItemId item = FindNode(tree, node);
    tree.SetFocus();
    tree.SelectItem(item);
}

void ExpandNode(wxDialog& dialog, const std::string& node, bool expand) {
    wxTreeCtrl& tree = UsableTree(dialog);
    const wxTreeItemId item = FindNode(tree, node);
    if (expand) {
        tree.Expand(item);
    } else {
        tree.Collapse(item);
    }
}

void ClickButton(wxDialog& dialog, int id) {
    PressButton(UsableControlOf<wxButton>(dialog, id, "a button"));
}

void ChooseCommand(wxDialog& dialog, int id) {
    wxCommandEvent event(wxEVT_MENU, MenuItemId(id));
    event.SetEventObject(&dialog);
    if (!dialog.HandleWindowEvent(event)) throw ActionError("the dialog has no command " + std::to_string(id));
}

void TypeText(wxDialog& dialog, int id, const std::string& text) {
    TypeInto(UsableControl(dialog, id), text);
}

void SetWageDate(wxDialog& dialog, const ScriptDate& date) {
    auto& picker = UsableControlOf<wxDatePickerCtrl>(dialog, ids::kWageDatePicker, "a date picker");
    picker.SetValue(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(date.day),
                               static_cast<wxDateTime::Month>(date.month - 1), date.year));
    wxDateEvent event(&picker, picker.GetValue(), wxEVT_DATE_CHANGED);
    picker.HandleWindowEvent(event);
}

void PressKey(wxDialog& dialog, int id, const std::string& key) {
    wxWindow& control = UsableControl(dialog, id);
    control.SetFocus();
    wxWindow& target = KeyTarget(control);
    const int code = KeyCode(key);
    wxKeyEvent down(wxEVT_KEY_DOWN);
    down.m_keyCode = code;
    down.m_uniChar = code == WXK_RETURN || code == WXK_TAB ? code : WXK_NONE;
    down.SetEventObject(&target);
    down.SetId(target.GetId());
    // The order of the toolkit: the dialog's hook first, then key down, then the character.
    wxKeyEvent hook(wxEVT_CHAR_HOOK, down);
    if (target.HandleWindowEvent(hook) && !hook.IsNextEventAllowed()) return;
    if (target.HandleWindowEvent(down)) return;
    wxKeyEvent character(wxEVT_CHAR, down);
    if (target.HandleWindowEvent(character)) return;
    DefaultKeyAction(target, code);
}

void RightClick(wxDialog& dialog, int id) {
    wxWindow& control = UsableControl(dialog, id);
    const wxPoint point = control.ClientToScreen(Middle(control));
    wxWindow& target = InnermostWindowAt(control, point);
    // As the toolkit does it: a right button down that nobody took becomes a context-menu request.
    if (SendMouseEvent(target, wxEVT_RIGHT_DOWN, target.ScreenToClient(point), false)) return;
    wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, target.GetId(), point);
    menu.SetEventObject(&target);
    target.HandleWindowEvent(menu);
}

void DoubleClick(wxDialog& dialog, int id) {
    wxWindow& control = UsableControl(dialog, id);
    const wxPoint point = control.ClientToScreen(Middle(control));
    wxWindow& target = InnermostWindowAt(control, point);
    SendMouseEvent(target, wxEVT_LEFT_DCLICK, target.ScreenToClient(point), true);
}

void TypeIntoCell(wxDialog& dialog, int row, int column, const std::string& text) {
    sheet::SheetControl& sheet = UsableSheet(dialog);
    sheet.SetFocus();
    sheet.EnterCellText(row, column, text);
}

void MakeCellCurrent(wxDialog& dialog, int row, int column) {
    UsableSheet(dialog).SetCurrentCell(row, column);
}

void ExportSheet(wxDialog& dialog, const std::string& path) {
    const ScopedHandler answer(SetSaveFileHandler,
                               [path](wxWindow&, const SaveFileRequest&) { return std::optional<std::string>(path); });
    ChooseCommand(dialog, ids::kExportSheetCommand);
}

void PrintSheetToPdf(wxDialog& dialog, const std::string& path) {
    std::optional<std::string> failure = "the print command showed no preview";
    const ScopedHandler answer(SetPrintPreviewHandler, [&](wxWindow&, const SheetPrintJob& job) {
        try {
            sheet::WriteSheetPdf(job.book, job.captionRows, path);
            failure.reset();
        } catch (const sheet::PdfWriteError& error) {
            failure = error.what();
        }
    });
    ChooseCommand(dialog, ids::kPrintSheetCommand);
    if (failure) throw ActionError(*failure);
}

TreeDrag::TreeDrag(wxDialog& dialog, const std::string& node)
    : dialog_(dialog), tree_(UsableTree(dialog)), screenPoint_(ItemPoint(tree_, node)) {
    wxTreeEvent event(wxEVT_TREE_BEGIN_DRAG, &tree_, FindNode(tree_, node));
    event.SetPoint(tree_.ScreenToClient(screenPoint_));
    tree_.HandleWindowEvent(event);
}

void TreeDrag::MoveOver(const std::string& node) {
    screenPoint_ = ItemPoint(tree_, node);
    SendMouse(wxEVT_MOTION);
}

void TreeDrag::MoveOutside() {
    const wxRect tree = tree_.GetScreenRect();
    screenPoint_ = wxPoint(tree.GetRight() + 20, tree.GetTop() + tree.GetHeight() / 2);
    SendMouse(wxEVT_MOTION);
}

void TreeDrag::Release() {
    SendMouse(wxEVT_LEFT_UP);
    if (wxWindow* captured = wxWindow::GetCapture()) {
        // Left captured, the mouse would stay locked to the window after the drop.
        captured->ReleaseMouse();
        throw ActionError("the mouse is still captured after the button went up");
    }
}

// Mouse events go to the window that captured the mouse, as the toolkit sends them, or else to
// the window under the pointer.
void TreeDrag::SendMouse(int eventType) {
    wxWindow* target = wxWindow::GetCapture();
    if (target == nullptr) target = wxFindWindowAtPoint(screenPoint_);
    if (target == nullptr) target = &dialog_;
    SendMouseEvent(*target, eventType, target->ScreenToClient(screenPoint_), eventType == wxEVT_MOTION);
}

}  // namespace keltrov::automation
