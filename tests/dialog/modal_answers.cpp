#include "tests/dialog/modal_answers.hpp"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>

#include "platform/ui/window_text.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::test {

namespace {

void Enter(wxWindow& control, const std::string& text) {
    auto* box = dynamic_cast<wxCheckBox*>(&control);
    if (box == nullptr) {
        SetWindowText(control, text);
        return;
    }
    box->SetValue(text == "1");
    wxCommandEvent tick(wxEVT_CHECKBOX, box->GetId());
    tick.SetEventObject(box);
    tick.SetInt(box->GetValue());
    box->HandleWindowEvent(tick);
}

void Press(wxWindow& button) {
    wxCommandEvent press(wxEVT_BUTTON, button.GetId());
    press.SetEventObject(&button);
    button.HandleWindowEvent(press);
}

}  // namespace

int AnswerModal(wxDialog& dialog, const ModalAnswer& answer) {
    dialog.CallAfter([&dialog, answer] {
        for (const auto& [id, text] : answer.fields) Enter(*dialog.FindWindow(id), text);
        Press(*dialog.FindWindow(answer.button));
    });
    return dialog.ShowModal();
}

std::string TitleOf(const wxDialog& dialog) {
    return FromWx(dialog.GetTitle());
}

int Unexpected(const wxDialog& dialog) {
    ADD_FAILURE() << "the dialog \"" << TitleOf(dialog) << "\" came with no answer queued";
    return 2;
}

ModalAnswer AnswerFor(const std::optional<std::string>& name) {
    if (!name) return {{}, kIdCancel};
    return {{{ids::kNodeNameEdit, *name}}};
}

}  // namespace keltrov::test
