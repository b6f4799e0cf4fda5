#pragma once

#include <wx/xrc/xmlres.h>

namespace keltrov::sheet {

// Lets XRC files declare the spreadsheet control as <object class="keltrovSheet">.
class SheetControlXmlHandler : public wxXmlResourceHandler {
public:
    SheetControlXmlHandler();
    wxObject* DoCreateResource() override;
    bool CanHandle(wxXmlNode* node) override;
};

// Adds the handler to wxXmlResource::Get(); calling it again does nothing.
void RegisterSheetXrcHandler();

}  // namespace keltrov::sheet
