#pragma once
// Tab moves between a dialog's own controls in their creation order, as on Windows. The toolkit's
// own traversal also stops inside composite controls (the drop buttons of the combo box and the
// date picker), which no control id names.
#include <wx/window.h>

namespace keltrov {

// The tab stop after (or before) the dialog's control `from`, wrapping around; `from` itself
// when it is the only one, null when the dialog has none.
wxWindow* NextTabStop(const wxWindow& dialog, const wxWindow& from, bool forward);

// Lets Tab and Shift+Tab move between the dialog's controls; inside the sheet's grid Tab keeps
// moving between cells.
void FollowTabOrderOfControls(wxWindow& dialog);

}  // namespace keltrov
