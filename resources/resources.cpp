#include "resources/resources.hpp"

#include <wx/sstream.h>
#include <wx/xml/xml.h>
#include <wx/xrc/xmlres.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/sheet/sheet_xrc.hpp"
#include "resources/control_ids.hpp"
#include "resources/cursor_drop.xpm"
#include "resources/cursor_no_drop.xpm"
#include "resources/icon_8001.xpm"
#include "resources/icon_8002.xpm"

namespace keltrov::resources {

namespace {
constexpr const char* kDocumentName = "keltrov_payroll.xrc";
}

void LoadPayrollResources() {
    // The text never changes, so it is parsed once for each resource object (a host may replace it).
    static wxXmlResource* loadedInto = nullptr;
    wxXmlResource* xrc = wxXmlResource::Get();
    if (loadedInto == xrc) return;
    xrc->InitAllHandlers();
    sheet::RegisterSheetXrcHandler();
    wxStringInputStream stream(wxString::FromUTF8(kPayrollXrc));
    auto document = std::make_unique<wxXmlDocument>();
    if (!document->Load(stream) || !xrc->LoadDocument(document.release(), kDocumentName)) {
        throw std::runtime_error("the dialog template of the plug-in does not load");
    }
    loadedInto = xrc;
}

wxBitmap LoadIcon(int id) {
    switch (id) {
        case ids::kBuildingIcon: return wxBitmap(icon_8001_xpm);
        case ids::kPersonIcon: return wxBitmap(icon_8002_xpm);
        default: throw std::invalid_argument("no icon resource " + std::to_string(id));
    }
}

wxCursor DragCursor(bool overTree) {
    wxImage image(overTree ? cursor_drop_xpm : cursor_no_drop_xpm);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_X, 0);
    image.SetOption(wxIMAGE_OPTION_CUR_HOTSPOT_Y, 0);
    return wxCursor(image);
}

}  // namespace keltrov::resources
