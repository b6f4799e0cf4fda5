#pragma once
// The places where the system waits for a person besides message boxes: popup menus, the small
// modal dialogs, and the main dialog once it is on screen. Each goes through one seam.
#include <functional>

class wxDialog;
class wxMenu;
class wxPoint;
class wxWindow;

namespace keltrov {

// Whether a point in screen coordinates lies in the window's client area, every edge counted as inside.
bool InClientArea(const wxWindow& window, const wxPoint& screenPoint);

// Shows a popup menu for owner at a point in screen coordinates; the chosen command reaches
// owner as a menu event before the call returns.
using PopupMenuHandler = std::function<void(wxWindow& owner, wxMenu& menu, const wxPoint& screenPoint)>;
void ShowPopupMenu(wxWindow& owner, wxMenu& menu, const wxPoint& screenPoint);
PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler);

// Runs a small dialog modally and returns the id of the button that ended it.
using ModalHandler = std::function<int(wxDialog& dialog)>;
int RunModalDialog(wxDialog& dialog);
ModalHandler SetModalHandler(ModalHandler handler);

// Called once a main dialog's modal loop runs, from inside that loop.
using DialogShownHandler = std::function<void(wxDialog& dialog)>;
void NotifyDialogShown(wxDialog& dialog);
DialogShownHandler SetDialogShownHandler(DialogShownHandler handler);

}  // namespace keltrov
