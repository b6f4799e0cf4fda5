#pragma once
// The logic tells controls apart by the class names of the system it was written for; this maps
// our controls to those names so the comparisons keep their original texts.
#include <string>

class wxWindow;

namespace keltrov {

// "ComboBox", "SysDateTimePick32", "Button", "Edit", "Static", "SysTreeView32", "F1Book",
// or the toolkit's own class name for anything else.
std::string WindowClassName(const wxWindow* window);

}  // namespace keltrov
