#include "platform/sheet/sheet_xrc.hpp"

#include "platform/sheet/sheet_control.hpp"

namespace keltrov::sheet {

namespace {
constexpr const char* kXrcClass = "keltrovSheet";
}

SheetControlXmlHandler::SheetControlXmlHandler() {
    AddWindowStyles();
}

wxObject* SheetControlXmlHandler::DoCreateResource() {
    XRC_MAKE_INSTANCE(control, SheetControl)
    control->Create(m_parentAsWindow, GetID(), GetPosition(), GetSize(), GetStyle(), GetName());
    SetupWindow(control);
    return control;
}

bool SheetControlXmlHandler::CanHandle(wxXmlNode* node) {
    return IsOfClass(node, kXrcClass);
}

void RegisterSheetXrcHandler() {
    // wxXmlResource may be replaced, so the check is against the current one, not a flag.
    static wxXmlResource* registeredWith = nullptr;
    if (registeredWith != wxXmlResource::Get()) {
        registeredWith = wxXmlResource::Get();
        registeredWith->AddHandler(new SheetControlXmlHandler);
    }
}

}  // namespace keltrov::sheet
