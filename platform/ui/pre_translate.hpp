#pragma once
// A window's message pre-translation: it sees the key-down and mouse-button events of its own
// windows before they are dispatched and may consume them, wherever the focus or the pointer is.
// Since the toolkit cannot be asked whether a combo box's list is open, it also follows the
// dropping down and closing up of the lists.
#include <wx/eventfilter.h>

#include <functional>

class wxEvent;
class wxWindow;

namespace keltrov {

class PreTranslateFilter : public wxEventFilter {
public:
    // Returns true when it consumed the event, which came to the window.
    using Handler = std::function<bool(wxEvent& event, wxWindow& window)>;

    // Watches the events of topLevel's windows (its nested dialogs are top-level windows of their own).
    PreTranslateFilter(const wxWindow& topLevel, Handler handler);
    ~PreTranslateFilter() override;
    PreTranslateFilter(const PreTranslateFilter&) = delete;
    PreTranslateFilter& operator=(const PreTranslateFilter&) = delete;

    int FilterEvent(wxEvent& event) override;
    // Whether the combo box's list is open.
    bool IsDroppedDown(const wxWindow& combo) const { return &combo == m_dropped; }

private:
    const wxWindow& m_topLevel;
    Handler m_handler;
    const wxWindow* m_dropped = nullptr;
};

}  // namespace keltrov
