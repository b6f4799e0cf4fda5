// Dialog tests run inside a wxWidgets application of their own, as a host with a toolkit does.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 2;
    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
