#include "platform/sheet/xlsx_writer.hpp"

#include <xlsxwriter.h>

#include <cerrno>
#include <string>
#include <unordered_map>

#include "platform/sheet/workbook.hpp"
#include "platform/util/file_replacement.hpp"

namespace keltrov::sheet {
namespace {

[[noreturn]] void Fail(const std::string& reason) {
    throw ExportError("导出失败：" + reason);
}

// The model keeps a column's width as files store it, the cell padding of 5 pixels of 7 included;
// libxlsxwriter adds that padding itself to widths above one character and cuts to 1/256.
double WidthToWrite(double storedWidth) {
    constexpr double kPadding = 5.0 / 7.0;
    constexpr double kAgainstCutting = 1e-9;
    return storedWidth > 1 + kPadding ? storedWidth - kPadding + kAgainstCutting : storedWidth;
}

class SheetWriter {
public:
    SheetWriter(const Workbook& book, lxw_workbook* file) : book_(book), file_(file) {}

    void Write() {
        sheet_ = workbook_add_worksheet(file_, SheetNameFor().c_str());
        if (sheet_ == nullptr) Fail("工作表无法建立");
        WriteColumnWidths();
        WriteMergedBlocks();
        book_.ForEachCell([this](int row, int column) { WriteCell(row, column); });
    }

private:
    // Excel refuses some names our sheets may carry; such a sheet goes out under its default name.
    std::string SheetNameFor() const {
        std::string name = book_.SheetName(book_.CurrentSheet());
        return workbook_validate_sheet_name(file_, name.c_str()) == LXW_NO_ERROR ? name : "Sheet1";
    }

    void WriteColumnWidths() {
        for (int column = 1; column <= book_.UsedColumns(); ++column) {
            const double width = book_.GetColumnWidth(column);
            if (width > 0) worksheet_set_column(sheet_, column - 1, column - 1, WidthToWrite(width), nullptr);
        }
    }

    void WriteMergedBlocks() {
        for (const CellBlock& block : book_.MergedBlocks()) {
            // The block's first cell is written with its content afterwards, as the cells are.
            Check(worksheet_merge_range(sheet_, block.firstRow - 1, block.firstColumn - 1, block.lastRow - 1,
                                        block.lastColumn - 1, "",
                                        FormatFor(book_.GetStyle(block.firstRow, block.firstColumn))));
        }
    }

    void WriteCell(int row, int column) {
        const lxw_row_t r = row - 1;
        const lxw_col_t c = column - 1;
        lxw_format* format = FormatFor(book_.GetStyle(row, column));
        const Value value = book_.GetCellValue(row, column);
        if (book_.GetCellKind(row, column) == CellKind::Formula) {
            WriteFormula(r, c, "=" + book_.GetCellFormula(row, column), value, format);
            return;
        }
        switch (value.kind) {
            case Value::Kind::Number: Check(worksheet_write_number(sheet_, r, c, value.number, format)); break;
            case Value::Kind::String: Check(worksheet_write_string(sheet_, r, c, value.text.c_str(), format)); break;
            case Value::Kind::Bool: Check(worksheet_write_boolean(sheet_, r, c, value.boolean, format)); break;
            case Value::Kind::Error: WriteError(r, c, value.error, format); break;
            default: break;
        }
    }

    // The value the formula shows goes with it, so that a viewer that does not recalculate shows it.
    void WriteFormula(lxw_row_t r, lxw_col_t c, const std::string& formula, const Value& value, lxw_format* format) {
        switch (value.kind) {
            case Value::Kind::Number:
                Check(worksheet_write_formula_num(sheet_, r, c, formula.c_str(), format, value.number));
                break;
            case Value::Kind::Bool:
                Check(worksheet_write_formula_num(sheet_, r, c, formula.c_str(), format, value.boolean ? 1 : 0));
                break;
            case Value::Kind::String:
                Check(worksheet_write_formula_str(sheet_, r, c, formula.c_str(), format, value.text.c_str()));
                break;
            case Value::Kind::Error:
                Check(worksheet_write_formula_str(sheet_, r, c, formula.c_str(), format,
                                                  std::string(ErrorText(value.error)).c_str()));
                break;
            default: Check(worksheet_write_formula_num(sheet_, r, c, formula.c_str(), format, 0)); break;
        }
    }

    // An error constant is kept as the formula that gives it.
    void WriteError(lxw_row_t r, lxw_col_t c, ErrorCode error, lxw_format* format) {
        const std::string text(ErrorText(error));
        Check(worksheet_write_formula_str(sheet_, r, c, ("=" + text).c_str(), format, text.c_str()));
    }

    lxw_format* FormatFor(const CellStyle& style) {
        if (style == CellStyle{}) return nullptr;
        auto [at, added] = formats_.try_emplace(style, nullptr);
        if (added) {
            at->second = workbook_add_format(file_);
            if (!style.numberFormat.empty()) format_set_num_format(at->second, style.numberFormat.c_str());
            if (style.bold) format_set_bold(at->second);
        }
        return at->second;
    }

    static void Check(lxw_error error) {
        if (error != LXW_NO_ERROR) Fail("单元格无法写入 (错误 " + std::to_string(error) + ")");
    }

    const Workbook& book_;
    lxw_workbook* file_;
    lxw_worksheet* sheet_ = nullptr;
    std::unordered_map<CellStyle, lxw_format*, CellStyleHash> formats_;
};

void WriteTemporary(const Workbook& book, const std::filesystem::path& temporary) {
    // libxlsxwriter's own scratch files go beside the target too, not onto another disk.
    std::string scratch = temporary.parent_path().string();
    lxw_workbook_options options{};
    options.tmpdir = scratch.data();
    lxw_workbook* file = workbook_new_opt(temporary.c_str(), &options);
    if (file == nullptr) Fail("内存不足");
    try {
        SheetWriter(book, file).Write();
    } catch (...) {
        workbook_close(file);
        throw;
    }
    errno = 0;
    if (workbook_close(file) != LXW_NO_ERROR) throw FileWriteError(errno == 0 ? EIO : errno);
}

}  // namespace

void WriteXlsx(const Workbook& book, const std::filesystem::path& target) {
    // The writer counts dates from 1900 only; a 1904 workbook's dates would move by four years.
    if (book.Dates() == DateSystem::From1904) Fail("工作簿的日期从 1904 年起算, 无法导出");
    try {
        FileReplacement file(target);
        WriteTemporary(book, file.TemporaryPath());
        file.Complete();
    } catch (const FileWriteError& error) {
        Fail(error.what());
    }
}

}  // namespace keltrov::sheet
