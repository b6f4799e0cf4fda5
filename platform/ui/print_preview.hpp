#pragma once
// The sheet's print preview, from which the user prints through the toolkit's print dialog. It
// goes through a seam, so that tests and the automation answer it without a window.
#include <functional>
#include <string>

class wxWindow;

namespace keltrov {

namespace sheet {
class Workbook;
}

// What is to be printed: the workbook stays unchanged while the preview is open.
struct SheetPrintJob {
    const sheet::Workbook& book;
    int captionRows;  // the rows heading every page
    std::string title;
};

using PrintPreviewHandler = std::function<void(wxWindow& parent, const SheetPrintJob& job)>;
void ShowPrintPreview(wxWindow& parent, const SheetPrintJob& job);
PrintPreviewHandler SetPrintPreviewHandler(PrintPreviewHandler handler);

}  // namespace keltrov
