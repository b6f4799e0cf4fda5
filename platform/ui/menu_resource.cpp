#include "platform/ui/menu_resource.hpp"

#include <wx/xrc/xmlres.h>

#include <stdexcept>

namespace keltrov {

std::unique_ptr<wxMenu> LoadPopupMenu(const std::string& menuName, size_t position) {
    const std::unique_ptr<wxMenuBar> menu(wxXmlResource::Get()->LoadMenuBar(menuName));
    if (menu == nullptr || position >= menu->GetMenuCount())
        throw std::logic_error("menu " + menuName + " has no popup " + std::to_string(position));
    return std::unique_ptr<wxMenu>(menu->Remove(position));
}

}  // namespace keltrov
