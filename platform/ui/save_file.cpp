#include "platform/ui/save_file.hpp"

#include <wx/filedlg.h>

#include "platform/ui/seam.hpp"

namespace keltrov {

namespace {

Seam<SaveFileHandler>& SaveFileSeam() {
    static Seam<SaveFileHandler> seam;
    return seam;
}

}  // namespace

std::optional<std::string> AskSaveFileName(wxWindow& parent, const SaveFileRequest& request) {
    if (const auto& handler = SaveFileSeam().Installed()) return handler(parent, request);
    wxFileDialog dialog(&parent, wxString::FromUTF8(request.title), wxEmptyString,
                        wxString::FromUTF8(request.defaultName), wxString::FromUTF8(request.wildcard),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetPath().utf8_string();
}

SaveFileHandler SetSaveFileHandler(SaveFileHandler handler) {
    return SaveFileSeam().Install(std::move(handler));
}

}  // namespace keltrov
