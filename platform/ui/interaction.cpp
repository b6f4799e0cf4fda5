#include "platform/ui/interaction.hpp"

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/window.h>

#include "platform/ui/seam.hpp"

namespace keltrov {

namespace {

Seam<PopupMenuHandler>& PopupSeam() {
    static Seam<PopupMenuHandler> seam;
    return seam;
}

Seam<ModalHandler>& ModalSeam() {
    static Seam<ModalHandler> seam;
    return seam;
}

Seam<DialogShownHandler>& ShownSeam() {
    static Seam<DialogShownHandler> seam;
    return seam;
}

}  // namespace

bool InClientArea(const wxWindow& window, const wxPoint& screenPoint) {
    const wxPoint origin = window.ClientToScreen(wxPoint(0, 0));
    const wxSize size = window.GetClientSize();
    return screenPoint.x >= origin.x && screenPoint.x <= origin.x + size.x && screenPoint.y >= origin.y &&
           screenPoint.y <= origin.y + size.y;
}

void ShowPopupMenu(wxWindow& owner, wxMenu& menu, const wxPoint& screenPoint) {
    if (const auto& handler = PopupSeam().Installed()) {
        handler(owner, menu, screenPoint);
        return;
    }
    owner.PopupMenu(&menu, owner.ScreenToClient(screenPoint));
}

PopupMenuHandler SetPopupMenuHandler(PopupMenuHandler handler) {
    return PopupSeam().Install(std::move(handler));
}

int RunModalDialog(wxDialog& dialog) {
    if (const auto& handler = ModalSeam().Installed()) return handler(dialog);
    return dialog.ShowModal();
}

ModalHandler SetModalHandler(ModalHandler handler) {
    return ModalSeam().Install(std::move(handler));
}

void NotifyDialogShown(wxDialog& dialog) {
    if (const auto& handler = ShownSeam().Installed()) handler(dialog);
}

DialogShownHandler SetDialogShownHandler(DialogShownHandler handler) {
    return ShownSeam().Install(std::move(handler));
}

}  // namespace keltrov
