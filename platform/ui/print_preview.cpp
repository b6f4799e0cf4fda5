#include "platform/ui/print_preview.hpp"

#include <wx/cmndata.h>
#include <wx/print.h>

#include "platform/sheet/sheet_printout.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/seam.hpp"
#include "platform/ui/window_text.hpp"

namespace keltrov {

namespace {

constexpr const char* kPreviewFailed = "打印预览无法显示，请检查打印机设置";

Seam<PrintPreviewHandler>& PreviewSeam() {
    static Seam<PrintPreviewHandler> seam;
    return seam;
}

// A frame of its own that keeps the rest of the program waiting until it is closed, so that the
// sheet it shows cannot change meanwhile.
void ShowPreviewFrame(wxWindow& parent, const SheetPrintJob& job) {
    wxPrintDialogData paper;
    paper.GetPrintData().SetPaperId(wxPAPER_A4);
    paper.GetPrintData().SetOrientation(wxLANDSCAPE);
    const wxString title = ToWx(job.title);
    auto* preview = new wxPrintPreview(new sheet::SheetPrintout(job.book, job.captionRows, title),
                                       new sheet::SheetPrintout(job.book, job.captionRows, title), &paper);
    if (!preview->IsOk()) {
        delete preview;
        ShowMessage(kPreviewFailed);
        return;
    }
    auto* frame = new wxPreviewFrame(preview, &parent, title, wxDefaultPosition, wxSize(1000, 720));
    frame->InitializeWithModality(wxPreviewFrame_AppModal);
    frame->Centre();
    frame->Show();
}

}  // namespace

void ShowPrintPreview(wxWindow& parent, const SheetPrintJob& job) {
    if (const PrintPreviewHandler& handler = PreviewSeam().Installed()) {
        handler(parent, job);
        return;
    }
    ShowPreviewFrame(parent, job);
}

PrintPreviewHandler SetPrintPreviewHandler(PrintPreviewHandler handler) {
    return PreviewSeam().Install(std::move(handler));
}

}  // namespace keltrov
