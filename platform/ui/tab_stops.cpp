#include "platform/ui/tab_stops.hpp"

#include <wx/grid.h>

#include <algorithm>
#include <vector>

namespace keltrov {

namespace {

bool IsTabStop(const wxWindow& window) {
    return window.IsEnabled() && window.IsShown() && window.CanAcceptFocusFromKeyboard();
}

// The dialog's control that holds `window`, or null when `window` lies outside the dialog.
wxWindow* ControlHolding(const wxWindow& dialog, wxWindow* window) {
    while (window != nullptr && window->GetParent() != &dialog) window = window->GetParent();
    return window;
}

// A grid moves between its cells with Tab.
bool HandlesTabItself(const wxWindow& dialog, wxWindow* window) {
    for (; window != nullptr && window != &dialog; window = window->GetParent()) {
        if (dynamic_cast<wxGrid*>(window) != nullptr) return true;
    }
    return false;
}

void OnCharHook(wxWindow& dialog, wxKeyEvent& event) {
    event.Skip();
    const bool plainTab = event.GetKeyCode() == WXK_TAB && (event.GetModifiers() & ~wxMOD_SHIFT) == 0;
    if (!plainTab) return;
    wxWindow* focus = wxWindow::FindFocus();
    wxWindow* control = ControlHolding(dialog, focus);
    if (control == nullptr || HandlesTabItself(dialog, focus)) return;
    wxWindow* next = NextTabStop(dialog, *control, !event.ShiftDown());
    if (next == nullptr) return;
    next->SetFocus();
    event.Skip(false);
}

}  // namespace

wxWindow* NextTabStop(const wxWindow& dialog, const wxWindow& from, bool forward) {
    const wxWindowList& children = dialog.GetChildren();
    std::vector<wxWindow*> order(children.begin(), children.end());
    if (!forward) std::reverse(order.begin(), order.end());
    const auto start = std::find(order.begin(), order.end(), &from);
    if (start == order.end()) return nullptr;
    // Walk once round from the control after `from`, ending at `from` itself.
    const auto offset = start - order.begin();
    for (size_t step = 1; step <= order.size(); ++step) {
        wxWindow* candidate = order[(offset + step) % order.size()];
        if (IsTabStop(*candidate)) return candidate;
    }
    return nullptr;
}

void FollowTabOrderOfControls(wxWindow& dialog) {
    dialog.Bind(wxEVT_CHAR_HOOK, [&dialog](wxKeyEvent& event) { OnCharHook(dialog, event); });
}

}  // namespace keltrov
