#pragma once
// The plug-in's own resources: the dialog templates with the menu, the icons and the drag cursors
// (their ids are in control_ids.hpp).
#include <wx/bitmap.h>
#include <wx/cursor.h>

namespace keltrov::resources {

extern const char* const kPayrollXrc;

// Makes the dialog template and the menu loadable by name from wxXmlResource::Get().
void LoadPayrollResources();
// id is ids::kBuildingIcon or ids::kPersonIcon.
wxBitmap LoadIcon(int id);
// The cursors of a tree drag: over the tree, where a drop lands, and outside it.
wxCursor DragCursor(bool overTree);

}  // namespace keltrov::resources
