#include "platform/sheet/workbook_loader.hpp"

#include <algorithm>

#include "platform/sheet/formula_binder.hpp"
#include "platform/sheet/workbook.hpp"
#include "platform/sheet/workbook_import.hpp"

namespace keltrov::sheet {
namespace {

bool IsOds(const ZipPackage& package) {
    std::optional<std::string> mimetype = package.ReadSmall("mimetype");
    return mimetype ? mimetype->starts_with("application/vnd.oasis.opendocument.spreadsheet")
                    : package.Has("content.xml") && !package.Has("xl/workbook.xml");
}

bool IsXlsx(const ZipPackage& package) {
    return package.Has("_rels/.rels") || package.Has("xl/workbook.xml");
}

// A sheet name as an ods reference writes it: 'It''s' or plain, maybe after "$".
std::string OdsSheetName(std::string_view name) {
    if (name.starts_with('$')) {
        name.remove_prefix(1);
    }
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
        std::string unquoted;
        for (size_t i = 1; i + 1 < name.size(); ++i) {
            unquoted += name[i];
            i += name[i] == '\'' && name[i + 1] == '\'' ? 1 : 0;
        }
        return unquoted;
    }
    return std::string(name);
}

// The sheet part of "Sheet.A1" / "$'My sheet'.$A$1" / ".A1" (empty), split at the last dot
// outside quotes.
std::pair<std::string, std::string_view> SplitOdsAddress(std::string_view address) {
    bool quoted = false;
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < address.size(); ++i) {
        quoted = address[i] == '\'' ? !quoted : quoted;
        dot = !quoted && address[i] == '.' ? i : dot;
    }
    if (dot == std::string_view::npos) {
        return {"", address};
    }
    return {OdsSheetName(address.substr(0, dot)), address.substr(dot + 1)};
}

std::string QuotedSheet(const std::string& sheet) {
    if (sheet.empty()) {
        return "";
    }
    std::string quoted = "'";
    for (char ch : sheet) {
        quoted += ch == '\'' ? "''" : std::string(1, ch);
    }
    return quoted + "'!";
}

}  // namespace

// "[.A1]" -> "A1", "[$Second.A1:.B2]" -> "'Second'!A1:B2", "[.A:.A]" -> "A:A".
std::string OpenReferenceToA1(std::string_view inner) {
    size_t colon = std::string_view::npos;
    bool quoted = false;
    for (size_t i = 0; i < inner.size(); ++i) {
        quoted = inner[i] == '\'' ? !quoted : quoted;
        colon = !quoted && inner[i] == ':' && colon == std::string_view::npos ? i : colon;
    }
    auto [sheet, first] = SplitOdsAddress(inner.substr(0, colon));
    std::string a1 = QuotedSheet(sheet) + std::string(first);
    if (colon != std::string_view::npos) {
        a1 += ":" + std::string(SplitOdsAddress(inner.substr(colon + 1)).second);
    }
    return a1;
}

std::string OpenFormulaToA1(std::string_view formula) {
    for (std::string_view prefix : {"of:", "msoxl:", "ooow:"}) {
        if (formula.starts_with(prefix)) {
            formula.remove_prefix(prefix.size());
            break;
        }
    }
    if (formula.starts_with("=")) {
        formula.remove_prefix(1);
    }
    std::string out;
    int braces = 0;
    for (size_t i = 0; i < formula.size(); ++i) {
        char ch = formula[i];
        if (ch == '"') {
            size_t close = i + 1;
            while (close < formula.size() &&
                   !(formula[close] == '"' && (close + 1 >= formula.size() || formula[close + 1] != '"'))) {
                close += formula[close] == '"' ? 2 : 1;
            }
            out += formula.substr(i, close - i + 1);
            i = close;
        } else if (ch == '[') {
            size_t close = formula.find(']', i);
            close = close == std::string_view::npos ? formula.size() : close;
            out += OpenReferenceToA1(formula.substr(i + 1, close - i - 1));
            i = close;
        } else {
            braces += ch == '{' ? 1 : ch == '}' ? -1 : 0;
            // OpenFormula separates arguments and array columns with ";" and array rows with "|".
            out += ch == ';' ? ',' : ch == '|' && braces > 0 ? ';' : ch;
        }
    }
    return out;
}

std::optional<std::pair<int, int>> ReadCellAddress(std::string_view address) {
    std::optional<WrittenRef> ref = ReadWrittenRef(address);
    return ref ? std::optional(std::pair{ref->row, ref->column}) : std::nullopt;
}

void WorkbookImport::CountCells(size_t cells) {
    cells_ += cells;
    if (cells_ > kMaxLoadedCells) {
        throw LoadError("模板无法读取: 单元格超过 " + std::to_string(kMaxLoadedCells) + " 个");
    }
}

void WorkbookImport::Warn(const std::string& warning) {
    book_.AddLoadWarning(warning);
}

void WorkbookImport::AddName(std::string name, std::string reference) {
    names_.emplace_back(std::move(name), std::move(reference));
}

void WorkbookImport::Finish() {
    for (auto& [name, reference] : names_) {
        book_.DefineName(name, reference);
    }
    size_t unparsed = 0;
    // Each formula's text is let go once it is in, so the texts and the formulas built from them
    // are not all held at once.
    for (; !formulas_.empty(); formulas_.pop_front()) {
        const PendingFormula& f = formulas_.front();
        book_.SelectSheet(f.sheet);
        bool parsed = f.array ? book_.SetArrayFormula(f.row, f.column, f.lastRow, f.lastColumn, f.text)
                              : book_.SetLoadedFormula(f.row, f.column, f.text);
        unparsed += parsed ? 0 : 1;
    }
    if (unparsed > 0) {
        Warn(std::to_string(unparsed) + " 个公式无法解析, 保留公式文字, 显示 #NAME?");
    }
    book_.SelectSheet(0);
}

std::vector<std::string> LoadWorkbookImage(Workbook& book, std::span<const uint8_t> image) {
    ZipPackage package(image);
    WorkbookImport import(book);
    if (package.Has("xl/workbook.bin")) {
        throw LoadError("模板无法读取: 不支持 xlsb 二进制工作簿, 请另存为 xlsx");
    }
    if (IsOds(package)) {
        ReadOds(package, import);
    } else if (IsXlsx(package)) {
        ReadXlsx(package, import);
    } else {
        throw LoadError("模板无法读取: 不是 xlsx 或 ods 工作簿 (" + std::to_string(image.size()) + " 字节)");
    }
    import.Finish();
    return book.LoadWarnings();
}

}  // namespace keltrov::sheet
