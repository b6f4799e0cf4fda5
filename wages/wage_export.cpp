// "导出…": the wage sheet as it is shown, written to an .xlsx workbook the user names.
#include <wx/datectrl.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "dialog/payroll_dlg.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/sheet/xlsx_writer.hpp"
#include "platform/ui/message.hpp"
#include "platform/ui/save_file.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"

namespace {

constexpr const char* kExportTitle = "导出工资表";
constexpr const char* kXlsxWildcard = "Excel 工作簿 (*.xlsx)|*.xlsx";
constexpr std::string_view kXlsxExtension = ".xlsx";

// "工资表-2026-12.xlsx" for the month in the wage date picker.
std::string DefaultExportName(const keltrov::DateTime& month) {
    return month.Format("工资表-%Y-%m") + std::string(kXlsxExtension);
}

std::string WithXlsxExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::ranges::transform(extension, extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension == kXlsxExtension ? path : path + std::string(kXlsxExtension);
}

}  // namespace

void CPayrollDlg::OnExportSheet(wxCommandEvent&) {
    const keltrov::DateTime month = keltrov::FromWxDateTime(WageDatePicker().GetValue());
    const std::optional<std::string> chosen =
        keltrov::AskSaveFileName(*this, {kExportTitle, DefaultExportName(month), kXlsxWildcard});
    if (!chosen) return;
    try {
        keltrov::sheet::WriteXlsx(m_sheet.GetWindow()->GetWorkbook(), WithXlsxExtension(*chosen));
    } catch (const keltrov::sheet::ExportError& error) {
        keltrov::ShowMessage(error.what());
    }
}
