#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/image.h>

#include "host/automation/dialog_probe.hpp"
#include "host/automation/dump.hpp"

namespace keltrov::automation {

namespace {

// A capture of one colour throughout means the window's pixels could not be read.
bool IsUniform(const wxImage& image) {
    const unsigned char* data = image.GetData();
    const size_t bytes = static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 3;
    for (size_t i = 3; i < bytes; ++i) {
        if (data[i] != data[i % 3]) return false;
    }
    return true;
}

}  // namespace

void WriteScreenshot(wxDialog& dialog, const std::string& path) {
    dialog.Update();
    const wxSize size = dialog.GetClientSize();
    if (size.x <= 0 || size.y <= 0) throw ActionError("the dialog has no area to take a picture of");
    wxBitmap bitmap(size);
    {
        wxClientDC screen(&dialog);
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, size.x, size.y, &screen, 0, 0);
    }
    const wxImage image = bitmap.ConvertToImage();
    if (IsUniform(image)) throw ActionError("the dialog's picture came out blank");
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
    if (!image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) throw ActionError("cannot write " + path);
}

}  // namespace keltrov::automation
