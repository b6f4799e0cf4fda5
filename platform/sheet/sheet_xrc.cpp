#include "platform/sheet/sheet_xrc.hpp"

#include "platform/sheet/sheet_control.hpp"

#include <wx/xml/xml.h>

#include <stdexcept>
#include <vector>

namespace keltrov::sheet {

namespace {
constexpr const char* kXrcClass = "keltrovSheet";

// <design><cell row="5" col="1">text</cell>…</design>: the control's design-time workbook.
std::vector<SheetControl::DesignCell> ReadDesignCells(wxXmlNode* design) {
    std::vector<SheetControl::DesignCell> cells;
    for (wxXmlNode* node = design != nullptr ? design->GetChildren() : nullptr; node != nullptr;
         node = node->GetNext()) {
        if (node->GetType() != wxXML_ELEMENT_NODE || node->GetName() != "cell") continue;
        long row = 0;
        long column = 0;
        if (!node->GetAttribute("row").ToLong(&row) || !node->GetAttribute("col").ToLong(&column)) {
            throw std::runtime_error("keltrovSheet: a design cell needs numeric row and col attributes");
        }
        cells.push_back({static_cast<int>(row), static_cast<int>(column), node->GetNodeContent().utf8_string()});
    }
    return cells;
}
}  // namespace

SheetControlXmlHandler::SheetControlXmlHandler() {
    AddWindowStyles();
}

wxObject* SheetControlXmlHandler::DoCreateResource() {
    XRC_MAKE_INSTANCE(control, SheetControl)
    control->Create(m_parentAsWindow, GetID(), GetPosition(), GetSize(), GetStyle(), GetName());
    SetupWindow(control);
    control->SetDesignWorkbook(ReadDesignCells(GetParamNode("design")));
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
