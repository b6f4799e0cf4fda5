#include "resources/resources.hpp"

#include <wx/sstream.h>
#include <wx/xml/xml.h>
#include <wx/xrc/xmlres.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/sheet/sheet_xrc.hpp"
#include "resources/icon_8001.xpm"
#include "resources/icon_8002.xpm"

namespace keltrov::resources {

namespace {
constexpr const char* kDocumentName = "keltrov_payroll.xrc";
}

void LoadPayrollResources() {
    wxXmlResource* xrc = wxXmlResource::Get();
    static bool handlersAdded = false;
    if (!handlersAdded) {
        xrc->InitAllHandlers();
        handlersAdded = true;
    }
    sheet::RegisterSheetXrcHandler();
    // Loading again replaces the earlier copy, so each dialog is built from the current text.
    xrc->Unload(kDocumentName);
    wxStringInputStream stream(wxString::FromUTF8(kPayrollXrc));
    auto document = std::make_unique<wxXmlDocument>();
    if (!document->Load(stream) || !xrc->LoadDocument(document.release(), kDocumentName)) {
        throw std::runtime_error("the dialog template of the plug-in does not load");
    }
}

wxBitmap LoadIcon(int id) {
    switch (id) {
        case 8001: return wxBitmap(icon_8001_xpm);
        case 8002: return wxBitmap(icon_8002_xpm);
        default: throw std::invalid_argument("no icon resource " + std::to_string(id));
    }
}

}  // namespace keltrov::resources
