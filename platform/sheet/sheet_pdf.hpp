#pragma once
// The sheet's printed pages written to a PDF file without any dialog.
#include <stdexcept>
#include <string>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {

// The file could not be written; what() is the reason in words for the user.
class PdfWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes the pages SheetPrintout prints to path. The file appears only when it is complete: on a
// failure nothing is left at path and PdfWriteError says why.
void WriteSheetPdf(const Workbook& book, int captionRows, const std::string& path);

}  // namespace keltrov::sheet
