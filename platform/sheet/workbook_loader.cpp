#include "platform/sheet/workbook_loader.hpp"

#include <cctype>
#include <map>
#include <optional>
#include <orcus/exception.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <unordered_map>
#include <vector>

#include "platform/sheet/formula.hpp"
#include "platform/sheet/number_format.hpp"
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::color_elem_t;
using orcus::spreadsheet::formula_grammar_t;
using orcus::spreadsheet::row_t;

constexpr double kPixelsPerCharacter = 7.0;
constexpr double kPixelsPerInch = 96.0;
// Format ranges bigger than this (whole-column styles) are not spread over cells.
constexpr long long kMaxFormatRangeCells = 65536;

class SharedStrings : public iface::import_shared_strings {
public:
    size_t append(std::string_view s) override {
        strings_.emplace_back(s);
        return strings_.size() - 1;
    }
    size_t add(std::string_view s) override {
        auto [it, inserted] = index_.try_emplace(std::string(s), strings_.size());
        if (inserted) {
            strings_.emplace_back(s);
        }
        return it->second;
    }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void append_segment(std::string_view s) override { segments_ += s; }
    size_t commit_segments() override {
        size_t index = append(segments_);
        segments_.clear();
        return index;
    }

    const std::string& At(size_t index) const {
        static const std::string kNone;
        return index < strings_.size() ? strings_[index] : kNone;
    }

private:
    std::vector<std::string> strings_;
    std::unordered_map<std::string, size_t> index_;
    std::string segments_;
};

// Keeps of the styles only what the control shows: bold fonts and number formats.
class Styles : public iface::import_styles {
public:
    void set_font_count(size_t) override {}
    void set_font_bold(bool b) override { fontBold_ = b; }
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(orcus::spreadsheet::underline_t) override {}
    void set_font_underline_width(orcus::spreadsheet::underline_width_t) override {}
    void set_font_underline_mode(orcus::spreadsheet::underline_mode_t) override {}
    void set_font_underline_type(orcus::spreadsheet::underline_type_t) override {}
    void set_font_underline_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void set_font_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void set_strikethrough_style(orcus::spreadsheet::strikethrough_style_t) override {}
    void set_strikethrough_type(orcus::spreadsheet::strikethrough_type_t) override {}
    void set_strikethrough_width(orcus::spreadsheet::strikethrough_width_t) override {}
    void set_strikethrough_text(orcus::spreadsheet::strikethrough_text_t) override {}
    size_t commit_font() override {
        boldFonts_.push_back(fontBold_);
        fontBold_ = false;
        return boldFonts_.size() - 1;
    }

    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(orcus::spreadsheet::fill_pattern_t) override {}
    void set_fill_fg_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    void set_fill_bg_color(color_elem_t, color_elem_t, color_elem_t, color_elem_t) override {}
    size_t commit_fill() override { return fills_++; }

    void set_border_count(size_t) override {}
    void set_border_style(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::border_style_t) override {}
    void set_border_color(orcus::spreadsheet::border_direction_t, color_elem_t, color_elem_t, color_elem_t,
                          color_elem_t) override {}
    void set_border_width(orcus::spreadsheet::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return borders_++; }

    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return protections_++; }

    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { formatId_ = id; }
    void set_number_format_code(std::string_view s) override { formatCode_ = s; }
    // xlsx names formats by their own ids, ods by the index this returns: keying both the same way serves
    // both.
    size_t commit_number_format() override {
        size_t key = formatId_.value_or(kFirstUnnamedFormat + formatCodes_.size());
        formatCodes_[key] = formatCode_;
        formatId_.reset();
        formatCode_.clear();
        return key;
    }

    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t index) override { xf_.font = index; }
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { xf_.numberFormat = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(orcus::spreadsheet::hor_alignment_t) override {}
    void set_xf_vertical_alignment(orcus::spreadsheet::ver_alignment_t) override {}
    size_t commit_cell_xf() override { return Commit(cellXfs_); }
    size_t commit_cell_style_xf() override { return Commit(styleXfs_); }
    size_t commit_dxf() override { return Commit(dxfs_); }

    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return cellStyles_++; }

    CellStyle CellFormat(size_t xfIndex) const {
        CellStyle style;
        if (xfIndex >= cellXfs_.size()) {
            return style;
        }
        const Xf& xf = cellXfs_[xfIndex];
        style.bold = xf.font < boldFonts_.size() && boldFonts_[xf.font];
        auto custom = formatCodes_.find(xf.numberFormat);
        style.numberFormat =
            custom != formatCodes_.end() ? custom->second : std::string(BuiltinNumberFormat(xf.numberFormat));
        if (style.numberFormat == "General") {
            style.numberFormat.clear();
        }
        return style;
    }

private:
    struct Xf {
        size_t font = 0;
        size_t numberFormat = 0;
    };
    static constexpr size_t kFirstUnnamedFormat = 100000;

    size_t Commit(std::vector<Xf>& list) {
        list.push_back(xf_);
        xf_ = Xf{};
        return list.size() - 1;
    }

    bool fontBold_ = false;
    std::vector<bool> boldFonts_;
    std::optional<size_t> formatId_;
    std::string formatCode_;
    std::map<size_t, std::string> formatCodes_;
    Xf xf_;
    std::vector<Xf> cellXfs_, styleXfs_, dxfs_;
    size_t fills_ = 0, borders_ = 0, protections_ = 0, cellStyles_ = 0;
};

class GlobalSettings : public iface::import_global_settings {
public:
    void set_origin_date(int, int, int) override {}
    void set_default_formula_grammar(formula_grammar_t grammar) override { grammar_ = grammar; }
    formula_grammar_t get_default_formula_grammar() const override { return grammar_; }
    void set_character_set(orcus::character_set_t) override {}

private:
    formula_grammar_t grammar_ = formula_grammar_t::xlsx;
};

// Reads the A1 addresses xlsx puts in its attributes ("B7", "$A$1", "A1:D3"), 0-based for orcus.
class A1ReferenceResolver : public iface::import_reference_resolver {
public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view address) override {
        std::string_view rest = address;
        auto skipDollar = [&rest] {
            if (!rest.empty() && rest.front() == '$') {
                rest.remove_prefix(1);
            }
        };
        skipDollar();
        size_t letters = 0;
        while (letters < rest.size() && std::isalpha(static_cast<unsigned char>(rest[letters]))) {
            ++letters;
        }
        int column = ColumnFromName(rest.substr(0, letters));
        rest.remove_prefix(letters);
        skipDollar();
        std::optional<double> row = ParseNumber(rest);
        if (column == 0 || !row || *row < 1 || *row > kMaxRows ||
            rest.find_first_not_of("0123456789") != std::string_view::npos) {
            throw orcus::invalid_arg_error("not a cell address: " + std::string(address));
        }
        return {0, static_cast<row_t>(*row) - 1, column - 1};
    }

    orcus::spreadsheet::src_range_t resolve_range(std::string_view range) override {
        size_t colon = range.find(':');
        if (colon == std::string_view::npos) {
            auto single = resolve_address(range);
            return {single, single};
        }
        return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
    }
};

// A formula as the file gives it; formulas go in only after every cell is in.
struct PendingFormula {
    int row = 0;
    int column = 0;
    formula_grammar_t grammar = formula_grammar_t::xlsx;
    std::string text;
    std::optional<size_t> sharedIndex;
    std::optional<double> cachedNumber;
    std::optional<std::string> cachedText;
};

class FormulaCollector : public iface::import_formula {
public:
    explicit FormulaCollector(std::vector<PendingFormula>& out) : out_(out) {}

    void set_position(row_t row, col_t col) override {
        current_.row = row + 1;
        current_.column = col + 1;
    }
    void set_formula(formula_grammar_t grammar, std::string_view formula) override {
        current_.grammar = grammar;
        current_.text = formula;
    }
    void set_shared_formula_index(size_t index) override { current_.sharedIndex = index; }
    void set_result_string(std::string_view value) override { current_.cachedText = std::string(value); }
    void set_result_value(double value) override { current_.cachedNumber = value; }
    void set_result_bool(bool value) override { current_.cachedNumber = value ? 1.0 : 0.0; }
    void set_result_empty() override {}
    void commit() override {
        out_.push_back(std::move(current_));
        current_ = PendingFormula{};
    }

private:
    std::vector<PendingFormula>& out_;
    PendingFormula current_;
};

class SheetProperties : public iface::import_sheet_properties {
public:
    explicit SheetProperties(Workbook* book) : book_(book) {}

    void set_column_width(col_t col, double width, orcus::length_unit_t unit) override {
        if (book_ && col >= 0 && col < kMaxColumns) {
            book_->SetColumnWidth(col + 1, ToCharacters(width, unit));
        }
    }
    void set_column_hidden(col_t, bool) override {}
    void set_row_height(row_t, double, orcus::length_unit_t) override {}
    void set_row_hidden(row_t, bool) override {}
    void set_merge_cell_range(const orcus::spreadsheet::range_t&) override {}

private:
    static double ToCharacters(double width, orcus::length_unit_t unit) {
        switch (unit) {
            case orcus::length_unit_t::inch: return width * kPixelsPerInch / kPixelsPerCharacter;
            case orcus::length_unit_t::centimeter: return width / 2.54 * kPixelsPerInch / kPixelsPerCharacter;
            case orcus::length_unit_t::millimeter: return width / 25.4 * kPixelsPerInch / kPixelsPerCharacter;
            case orcus::length_unit_t::point: return width / 72.0 * kPixelsPerInch / kPixelsPerCharacter;
            case orcus::length_unit_t::twip: return width / 1440.0 * kPixelsPerInch / kPixelsPerCharacter;
            case orcus::length_unit_t::pixel: return width / kPixelsPerCharacter;
            default: return width;  // xlsx gives widths in characters already
        }
    }

    Workbook* book_;
};

// Writes the first sheet into the workbook; later sheets come through a sheet that keeps nothing.
class ImportSheet : public iface::import_sheet {
public:
    ImportSheet(Workbook* book, const SharedStrings& strings, const Styles& styles,
                std::vector<PendingFormula>& formulas)
        : book_(book), strings_(strings), styles_(styles), formulas_(formulas), properties_(book) {}

    iface::import_sheet_properties* get_sheet_properties() override { return keep() ? &properties_ : nullptr; }
    iface::import_formula* get_formula() override { return keep() ? &formulas_ : nullptr; }

    void set_auto(row_t row, col_t col, std::string_view s) override {
        if (Fits(row, col)) {
            std::optional<double> number = ParseNumber(s);
            number ? book_->SetCellNumber(row + 1, col + 1, *number)
                   : book_->SetCellText(row + 1, col + 1, std::string(s));
        }
    }
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t sindex) override {
        if (Fits(row, col)) {
            book_->SetCellText(row + 1, col + 1, strings_.At(sindex));
        }
    }
    void set_value(row_t row, col_t col, double value) override {
        if (Fits(row, col)) {
            book_->SetCellNumber(row + 1, col + 1, value);
        }
    }
    void set_bool(row_t row, col_t col, bool value) override {
        if (Fits(row, col)) {
            book_->SetCellText(row + 1, col + 1, value ? "TRUE" : "FALSE");
        }
    }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute,
                       double second) override {
        if (Fits(row, col)) {
            book_->SetCellNumber(row + 1, col + 1,
                                 SerialDate(year, month, day) + (hour * 3600 + minute * 60 + second) / 86400.0);
        }
    }
    // xlsx styles may come after the sheets, so formats are applied once everything is read.
    void set_format(row_t row, col_t col, size_t xf_index) override { set_format(row, col, row, col, xf_index); }
    void set_format(row_t row_start, col_t col_start, row_t row_end, col_t col_end, size_t xf_index) override {
        long long cells = (static_cast<long long>(row_end) - row_start + 1) * (col_end - col_start + 1);
        if (keep() && cells <= kMaxFormatRangeCells) {
            formats_.push_back({row_start, col_start, row_end, col_end, xf_index});
        }
    }
    void fill_down_cells(row_t src_row, col_t src_col, row_t range_size) override {
        if (!Fits(src_row + range_size, src_col)) {
            return;
        }
        std::string edit = book_->GetEditText(src_row + 1, src_col + 1);
        for (row_t r = src_row + 1; r <= src_row + range_size; ++r) {
            book_->EnterText(r + 1, src_col + 1, edit);
        }
    }
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {kMaxRows, kMaxColumns}; }

    void ApplyFormats() {
        for (const PendingFormat& f : formats_) {
            CellStyle style = styles_.CellFormat(f.xf);
            for (row_t r = f.firstRow; r <= f.lastRow && style != CellStyle{}; ++r) {
                for (col_t c = f.firstColumn; c <= f.lastColumn && Fits(r, c); ++c) {
                    book_->SetNumberFormat(r + 1, c + 1, style.numberFormat);
                    book_->SetBold(r + 1, c + 1, style.bold);
                }
            }
        }
    }

private:
    struct PendingFormat {
        row_t firstRow;
        col_t firstColumn;
        row_t lastRow;
        col_t lastColumn;
        size_t xf;
    };

    bool keep() const { return book_ != nullptr; }

    bool Fits(row_t row, col_t col) const {
        return keep() && row >= 0 && row < kMaxRows && col >= 0 && col < kMaxColumns;
    }

    // Days since 1899-12-30, the day spreadsheet serial dates count from.
    // 64-bit day counts, so that any year a file may write stays a defined (if useless) number.
    static double SerialDate(int year, int month, int day) {
        auto daysFromCivil = [](long long y, long long m, long long d) {
            y -= m <= 2 ? 1 : 0;
            long long era = (y >= 0 ? y : y - 399) / 400;
            long long yoe = y - era * 400;
            long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
            long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
            return era * 146097 + doe;
        };
        return daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30);
    }

    Workbook* book_;
    const SharedStrings& strings_;
    const Styles& styles_;
    FormulaCollector formulas_;
    SheetProperties properties_;
    std::vector<PendingFormat> formats_;
};

class ImportFactory : public iface::import_factory {
public:
    explicit ImportFactory(Workbook& book)
        : book_(book), first_(&book, strings_, styles_, formulas_), rest_(nullptr, strings_, styles_, formulas_) {}

    iface::import_global_settings* get_global_settings() override { return &settings_; }
    iface::import_shared_strings* get_shared_strings() override { return &strings_; }
    iface::import_styles* get_styles() override { return &styles_; }
    iface::import_reference_resolver* get_reference_resolver(orcus::spreadsheet::formula_ref_context_t) override {
        return &resolver_;
    }
    iface::import_sheet* append_sheet(orcus::spreadsheet::sheet_t index, std::string_view name) override {
        if (index == 0) {
            firstName_ = name;
        }
        return index == 0 ? &first_ : &rest_;
    }
    iface::import_sheet* get_sheet(std::string_view name) override { return name == firstName_ ? &first_ : &rest_; }
    iface::import_sheet* get_sheet(orcus::spreadsheet::sheet_t index) override { return index == 0 ? &first_ : &rest_; }
    void finalize() override {}

    // The second phase: every cell is in, now the formats and formulas.
    void Finish() {
        first_.ApplyFormats();
        std::unordered_map<size_t, const PendingFormula*> sharedMasters;
        for (const PendingFormula& f : formulas_) {
            if (f.sharedIndex && !f.text.empty()) {
                sharedMasters.emplace(*f.sharedIndex, &f);
            }
        }
        for (const PendingFormula& f : formulas_) {
            PutFormula(f, sharedMasters);
        }
    }

private:
    void PutFormula(const PendingFormula& f, const std::unordered_map<size_t, const PendingFormula*>& masters) {
        try {
            if (!f.text.empty()) {
                book_.SetCellFormula(f.row, f.column,
                                     f.grammar == formula_grammar_t::ods ? OpenFormulaToA1(f.text) : f.text);
                return;
            }
            auto master = f.sharedIndex ? masters.find(*f.sharedIndex) : masters.end();
            if (master != masters.end()) {
                const PendingFormula& m = *master->second;
                book_.SetCellFormula(f.row, f.column, ShiftFormulaText(m.text, {f.row - m.row, f.column - m.column}));
                return;
            }
        } catch (const AutomationError&) {
            // A formula the engine cannot read keeps the value the file last computed for it.
        }
        if (f.cachedNumber) {
            book_.SetCellNumber(f.row, f.column, *f.cachedNumber);
        } else if (f.cachedText) {
            book_.SetCellText(f.row, f.column, *f.cachedText);
        }
    }

    Workbook& book_;
    SharedStrings strings_;
    Styles styles_;
    GlobalSettings settings_;
    A1ReferenceResolver resolver_;
    std::vector<PendingFormula> formulas_;
    ImportSheet first_;
    ImportSheet rest_;
    std::string firstName_;
};

// A sheet name ahead of a cell address ("Sheet1.A1", "$Sheet1.$A$1", ".A1") is dropped.
std::string StripSheetName(std::string_view address) {
    size_t dot = address.rfind('.');
    return std::string(dot == std::string_view::npos ? address : address.substr(dot + 1));
}

std::string OpenReferenceToA1(std::string_view inner) {
    size_t colon = inner.find(':');
    if (colon == std::string_view::npos) {
        return StripSheetName(inner);
    }
    return StripSheetName(inner.substr(0, colon)) + ":" + StripSheetName(inner.substr(colon + 1));
}

}  // namespace

std::string OpenFormulaToA1(std::string_view formula) {
    if (formula.starts_with("of:")) {
        formula.remove_prefix(3);
    }
    if (formula.starts_with("=")) {
        formula.remove_prefix(1);
    }
    std::string out;
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
            out += ch == ';' ? ',' : ch;
        }
    }
    return out;
}

void LoadWorkbookImage(Workbook& book, std::span<const uint8_t> image) {
    const unsigned char* bytes = image.data();
    bool isXlsx = false;
    bool isOds = false;
    try {
        isXlsx = orcus::orcus_xlsx::detect(bytes, image.size());
        isOds = !isXlsx && orcus::orcus_ods::detect(bytes, image.size());
    } catch (const std::exception&) {
        // Detection opens the bytes as a zip archive; bytes that are no archive are simply neither.
    }
    if (!isXlsx && !isOds) {
        throw AutomationError("模板无法读取: 不是 xlsx 或 ods 工作簿 (" + std::to_string(image.size()) + " 字节)");
    }
    ImportFactory factory(book);
    std::string_view stream(reinterpret_cast<const char*>(bytes), image.size());
    try {
        if (isXlsx) {
            orcus::orcus_xlsx(&factory).read_stream(stream);
        } else {
            orcus::orcus_ods(&factory).read_stream(stream);
        }
        factory.Finish();
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& e) {
        throw AutomationError(std::string("模板无法读取: ") + e.what());
    }
}

}  // namespace keltrov::sheet
