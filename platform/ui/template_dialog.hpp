#pragma once
// A small modal dialog built from one of the plug-in's dialog templates, whose buttons are the
// Windows ones: 1 accepts ("确认"), 2 cancels ("取消"), and Enter and Escape press them.
#include <wx/dialog.h>

#include <string>

namespace keltrov {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class TemplateDialog : public wxDialog {
public:
    // The template must be loaded into wxXmlResource::Get() already.
    TemplateDialog(wxWindow* parent, int templateId);
    // Runs the dialog through the modal seam; kIdOk or kIdCancel.
    int DoModal();

protected:
    // Moves the controls' values into the dialog's data when the user accepts.
    virtual void TransferOnOk() {}
    wxWindow& Control(int id) const;
};

}  // namespace keltrov
