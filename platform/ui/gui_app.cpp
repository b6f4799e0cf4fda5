#include "platform/ui/gui_app.hpp"

#include <wx/app.h>
#include <wx/init.h>

namespace keltrov {

namespace {

class PluginGuiApp : public wxApp {
public:
    // The host owns the process: the application must not end it when the dialog closes.
    bool OnInit() override {
        SetExitOnFrameDelete(false);
        return true;
    }
};

}  // namespace

bool EnsureGuiApp() {
    if (wxTheApp != nullptr) return true;
    static int argc = 1;
    static char name[] = "keltrov";
    static char* argv[] = {name, nullptr};
    wxApp::SetInstance(new PluginGuiApp);
    if (!wxEntryStart(argc, argv)) return false;
    return wxTheApp->CallOnInit();
}

}  // namespace keltrov
