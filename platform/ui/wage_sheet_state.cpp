#include "platform/ui/wage_sheet_state.hpp"

namespace keltrov {

// Defined here so the interface's type information lives in the shared platform library, where
// the plug-in and the host find the same one.
WageSheetState::~WageSheetState() = default;

}  // namespace keltrov
