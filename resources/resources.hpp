#pragma once
// The plug-in's own resources: dialog template 8000 with menu 8000, and icons 8001 and 8002.
#include <wx/bitmap.h>

namespace keltrov::resources {

extern const char* const kPayrollXrc;

// Makes the dialog template and the menu loadable by name from wxXmlResource::Get().
void LoadPayrollResources();
wxBitmap LoadIcon(int id);

}  // namespace keltrov::resources
