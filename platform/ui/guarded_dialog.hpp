#pragma once
// The base of the system's main dialog. A database exception that escapes an event handler is
// shown with the driver's text and the dialog keeps running, as the framework's standard
// reporting did; readers of the database rely on this and catch nothing themselves. A failed
// call on the spreadsheet control is reported the same way. Tab moves between the dialog's
// controls as on Windows.
#include <wx/dialog.h>

namespace keltrov {

class GuardedDialog : public wxDialog {
public:
    GuardedDialog();
    bool ProcessEvent(wxEvent& event) override;
    // Runs the dialog modally; the shown seam hears of it from inside the modal loop.
    int DoModal();
};

}  // namespace keltrov
