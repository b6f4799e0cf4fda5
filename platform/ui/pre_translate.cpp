#include "platform/ui/pre_translate.hpp"

#include <wx/combobox.h>
#include <wx/toplevel.h>

namespace keltrov {

namespace {

bool IsPreTranslated(wxEventType type) {
    // The dialog's char hook is the first the toolkit sends of a key; the key down follows when
    // nobody took the hook.
    return type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_LEFT_DCLICK;
}

}  // namespace

PreTranslateFilter::PreTranslateFilter(const wxWindow& topLevel, Handler handler)
    : m_topLevel(topLevel), m_handler(std::move(handler)) {
    wxEvtHandler::AddFilter(this);
}

PreTranslateFilter::~PreTranslateFilter() {
    wxEvtHandler::RemoveFilter(this);
}

int PreTranslateFilter::FilterEvent(wxEvent& event) {
    // Every event of the program comes here: the type is the cheap test, so it goes first.
    const wxEventType type = event.GetEventType();
    const bool listEvent = type == wxEVT_COMBOBOX_DROPDOWN || type == wxEVT_COMBOBOX_CLOSEUP;
    if (!listEvent && !IsPreTranslated(type)) return Event_Skip;
    auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (window == nullptr || wxGetTopLevelParent(window) != &m_topLevel) return Event_Skip;
    if (type == wxEVT_COMBOBOX_DROPDOWN) m_dropped = window;
    if (type == wxEVT_COMBOBOX_CLOSEUP && m_dropped == window) m_dropped = nullptr;
    if (listEvent) return Event_Skip;
    return m_handler(event, *window) ? Event_Processed : Event_Skip;
}

}  // namespace keltrov
