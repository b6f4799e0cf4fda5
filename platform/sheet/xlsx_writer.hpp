#pragma once

#include <filesystem>

#include "platform/sheet/errors.hpp"

namespace keltrov::sheet {

class Workbook;

// Writing a workbook failed; the text says why in the user's language.
class ExportError : public SheetError {
public:
    using SheetError::SheetError;
};

// Writes the current sheet as it is shown to an .xlsx file: every cell's value, formulas with the
// values they show cached, number formats, bold, column widths and merged blocks. The file is
// written beside the target under a temporary name and takes the target's place only once it is
// complete; on failure no new file is left behind and ExportError gives the reason.
void WriteXlsx(const Workbook& book, const std::filesystem::path& target);

}  // namespace keltrov::sheet
