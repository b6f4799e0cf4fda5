#pragma once
// Popup menus of the plug-in's menu resource.
#include <wx/menu.h>

#include <memory>
#include <string>

namespace keltrov {

// The popup at position of the menu resource: this call's own copy, free to be changed and shown.
std::unique_ptr<wxMenu> LoadPopupMenu(const std::string& menuName, size_t position);

}  // namespace keltrov
