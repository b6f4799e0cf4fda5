// Dialog tests run inside a wxWidgets application of their own, as a host with a toolkit does.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A failed toolkit assertion fails the test instead of waiting for a person to dismiss it.
    wxSetAssertHandler(
        [](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
            ADD_FAILURE() << file << ":" << line << " " << func << ": " << cond << " " << msg;
        });
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 2;
    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
