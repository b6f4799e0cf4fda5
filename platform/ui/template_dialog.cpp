#include "platform/ui/template_dialog.hpp"

#include <wx/button.h>
#include <wx/xrc/xmlres.h>

#include <stdexcept>

#include "platform/ui/interaction.hpp"

namespace keltrov {

TemplateDialog::TemplateDialog(wxWindow* parent, int templateId) {
    if (!wxXmlResource::Get()->LoadDialog(this, parent, std::to_string(templateId))) {
        throw std::runtime_error("dialog template " + std::to_string(templateId) + " does not load");
    }
    SetAffirmativeId(kIdOk);
    SetEscapeId(kIdCancel);
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) {
            TransferOnOk();
            EndModal(kIdOk);
        },
        kIdOk);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(kIdCancel); }, kIdCancel);
}

int TemplateDialog::DoModal() {
    return RunModalDialog(*this) == kIdOk ? kIdOk : kIdCancel;
}

wxWindow& TemplateDialog::Control(int id) const {
    wxWindow* control = FindWindow(id);
    if (control == nullptr) throw std::logic_error("the dialog template has no control " + std::to_string(id));
    return *control;
}

}  // namespace keltrov
