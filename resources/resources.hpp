#pragma once
// The plug-in's own resources: the dialog templates with menu 8000, icons 8001 and 8002, and the
// drag cursors.
#include <wx/bitmap.h>
#include <wx/cursor.h>

namespace keltrov::resources {

extern const char* const kPayrollXrc;

// Makes the dialog template and the menu loadable by name from wxXmlResource::Get().
void LoadPayrollResources();
wxBitmap LoadIcon(int id);
// The cursors of a tree drag: over the tree, where a drop lands, and outside it.
wxCursor DragCursor(bool overTree);

}  // namespace keltrov::resources
