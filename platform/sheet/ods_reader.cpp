// Reads .ods packages: content.xml's tables with their repeats, spans and covered cells, the
// number styles of styles.xml and content.xml, and named ranges.
#include <cmath>
#include <map>
#include <set>

#include "platform/sheet/workbook_import.hpp"
#include "platform/sheet/workbook_loader.hpp"

namespace keltrov::sheet {
namespace {

constexpr long long kMaxFormatOnlyCells = 65536;

// A repeat count as the file gives it, bounded by what the sheet can hold.
int Repeat(const char** a, std::string_view attribute, int limit) {
    const char* text = Attribute(a, attribute);
    if (!text) return 1;
    long long n = std::atoll(text);
    return static_cast<int>(std::clamp<long long>(n, 1, limit));
}

// "2024-03-01T12:30:00" (year may be signed and long) as a serial date.
std::optional<double> OdsDate(std::string_view text) {
    size_t start = text.starts_with('-') ? 1 : 0;
    size_t dash = text.find('-', start);
    if (dash == std::string_view::npos || dash - start > 10) return std::nullopt;
    long long year = std::atoll(std::string(text.substr(0, dash)).c_str());
    int month = std::atoi(std::string(text.substr(dash + 1, 2)).c_str());
    int day = dash + 4 < text.size() ? std::atoi(std::string(text.substr(dash + 4, 2)).c_str()) : 1;
    double serial = SerialDate(year, month, day);
    size_t t = text.find('T');
    if (t != std::string_view::npos) {
        std::optional<double> time = ParseNumber(text.substr(t + 1, 8));
        serial += time.value_or(0.0);
    }
    return serial;
}

// "PT12H30M15.5S" as a fraction of a day.
double OdsDuration(std::string_view text) {
    double seconds = 0.0, number = 0.0, scale = 0.0;
    bool negative = text.starts_with('-');
    for (char ch : text) {
        if (std::isdigit(static_cast<unsigned char>(ch))) {
            number = scale > 0 ? number + (ch - '0') * scale : number * 10 + (ch - '0');
            scale = scale > 0 ? scale / 10 : 0;
        } else if (ch == '.') {
            scale = 0.1;
        } else {
            seconds += ch == 'D'   ? number * 86400
                       : ch == 'H' ? number * 3600
                       : ch == 'M' ? number * 60
                       : ch == 'S' ? number
                                   : 0;
            number = scale = 0;
        }
    }
    return (negative ? -seconds : seconds) / 86400.0;
}

// A literal of a format code: quoted, with quotes inside written as \".
std::string QuotedLiteral(std::string_view text) {
    std::string code = "\"";
    for (char ch : text) {
        code += ch == '"' ? std::string("\"\\\"\"") : std::string(1, ch);
    }
    return code + "\"";
}

int IntAttribute(const char** a, std::string_view name, int fallback, int low, int high) {
    const char* text = Attribute(a, name);
    return std::clamp(text ? std::atoi(text) : fallback, low, high);
}

// Builds an xlsx-style format code from one ods number style's parts.
class NumberStyleBuilder {
public:
    NumberStyleBuilder() = default;
    explicit NumberStyleBuilder(const char** a)
        : code_(IsChineseLowerCase(a) ? "[DBNum1]" : ""),
          elapsed_(AttributeOr(a, "truncate-on-overflow", "true") == "false") {}

    void Start(std::string_view name, const char** a) {
        if (name == "number" || name == "scientific-number") {
            Digits(name, a);
        } else if (name == "fraction") {
            Fraction(a);
        } else if (name == "year") {
            code_ += Long(a) ? "yyyy" : "yy";
        } else if (name == "month") {
            bool textual = AttributeOr(a, "textual", "false") == "true";
            code_ += textual ? (Long(a) ? "mmmm" : "mmm") : (Long(a) ? "mm" : "m");
        } else if (name == "day") {
            code_ += Long(a) ? "dd" : "d";
        } else if (name == "day-of-week") {
            code_ += Long(a) ? "dddd" : "ddd";
        } else if (name == "hours" || name == "minutes" || name == "seconds") {
            TimeField(name, a);
        } else if (name == "am-pm") {
            code_ += "AM/PM";
        } else if (name == "text-content") {
            code_ += "@";
        } else if (name == "text" || name == "currency-symbol") {
            inText_ = true;
            text_.clear();
        }
    }
    void End(std::string_view name) {
        if ((name == "text" || name == "currency-symbol") && inText_) {
            inText_ = false;
            code_ += text_ == "%" ? "%" : QuotedLiteral(text_);
        }
    }
    void Text(std::string_view text) {
        if (inText_) text_ += text;
    }
    std::string Code() const { return code_; }

private:
    static bool Long(const char** a) { return AttributeOr(a, "style", "short") == "long"; }

    // Numerals written in Chinese lower-case ("一千二百"), what xlsx codes tag [DBNum1].
    static bool IsChineseLowerCase(const char** a) {
        return AttributeOr(a, "transliteration-format", "1") == "一" &&
               AttributeOr(a, "transliteration-style", "short") == "long";
    }

    // With truncate-on-overflow off the first time field counts on past its unit: "[h]:mm".
    void TimeField(std::string_view name, const char** a) {
        std::string field(Long(a) ? 2 : 1, name[0] == 'h' ? 'h' : name[0] == 'm' ? 'm' : 's');
        code_ += elapsed_ && !timeSeen_ ? "[" + field + "]" : field;
        timeSeen_ = true;
        int decimals = IntAttribute(a, "decimal-places", 0, 0, 9);
        if (name == "seconds" && decimals > 0) code_ += "." + std::string(static_cast<size_t>(decimals), '0');
    }

    static std::string IntegerDigits(const char** a) {
        int integers = IntAttribute(a, "min-integer-digits", 1, 0, 30);
        if (AttributeOr(a, "grouping", "false") != "true") {
            return integers == 0 ? "#" : std::string(static_cast<size_t>(integers), '0');
        }
        return integers < 4 ? "#,##" + std::string(static_cast<size_t>(std::max(integers, 1)), '0')
                            : "#,##" + std::string(static_cast<size_t>(integers), '0');
    }

    void Digits(std::string_view name, const char** a) {
        // A number with no decimal places of its own is LibreOffice's General under a locale or tag.
        if (name == "number" && !Attribute(a, "decimal-places") && !Attribute(a, "grouping") &&
            !Attribute(a, "display-factor")) {
            code_ += "General";
            return;
        }
        int decimals = IntAttribute(a, "decimal-places", 0, 0, 30);
        int required = IntAttribute(a, "min-decimal-places", decimals, 0, decimals);
        code_ += IntegerDigits(a);
        if (decimals > 0) {
            code_ += "." + std::string(static_cast<size_t>(required), '0') +
                     std::string(static_cast<size_t>(decimals - required), '#');
        }
        // A display factor of 1000 per trailing comma: "#,##0," shows thousands.
        for (double factor = std::atof(AttributeOr(a, "display-factor", "1").data()); factor >= 999.5; factor /= 1000) {
            code_ += ",";
        }
        if (name == "scientific-number") {
            code_ += "E+" + std::string(static_cast<size_t>(IntAttribute(a, "min-exponent-digits", 2, 1, 5)), '0');
        }
    }

    // "# ?/?": a whole part only when the style asks for integer digits, then the fraction.
    void Fraction(const char** a) {
        if (Attribute(a, "min-integer-digits")) {
            code_ += IntAttribute(a, "min-integer-digits", 0, 0, 30) == 0 ? "# " : "0 ";
        }
        code_ += std::string(static_cast<size_t>(IntAttribute(a, "min-numerator-digits", 1, 1, 5)), '?') + "/";
        int denominator = IntAttribute(a, "denominator-value", 0, 0, 99999);
        int width = IntAttribute(a, "min-denominator-digits", 1, 1, 5);
        code_ += denominator > 0 ? std::to_string(denominator) : std::string(static_cast<size_t>(width), '?');
    }

    std::string code_;
    std::string text_;
    bool inText_ = false;
    bool elapsed_ = false;
    bool timeSeen_ = false;
};

// One ods number style: its own section, and the styles its conditions hand other values to.
struct NumberStyle {
    std::string code;
    std::vector<std::pair<std::string, std::string>> maps;  // condition ("value()>=0"), style name
};

// "value()>=0" as a format condition ">=0"; empty when the condition is of another kind.
std::string FormatCondition(std::string_view condition) {
    constexpr std::string_view kValue = "value()";
    if (!condition.starts_with(kValue)) return "";
    std::string compact;
    for (char ch : condition.substr(kValue.size())) {
        if (ch != ' ') compact += ch;
    }
    return compact.starts_with("!=") ? "<>" + compact.substr(2) : compact;
}

// LibreOffice keeps the sections of a format as conditional styles ("value()>=0" for the first
// of two); they become sections in the order spreadsheet codes place them, so a negative section
// is never taken for the positive one.
std::string ComposeSections(const std::string& own, const std::vector<std::pair<std::string, std::string>>& mapped) {
    std::vector<std::string> conditions;
    for (const auto& [condition, code] : mapped) conditions.push_back(condition);
    auto sections = [&](size_t count) {
        std::string code;
        for (size_t i = 0; i < count; ++i) code += mapped[i].second + ";";
        return code + own;
    };
    using List = std::vector<std::string>;
    if (conditions == List{">=0"} || conditions == List{">0", "<0"} || conditions == List{">0", "<0", "=0"}) {
        return sections(mapped.size());
    }
    if (conditions == List{"<0"}) return own + ";" + mapped[0].second;
    std::string code;
    for (size_t i = 0; i < std::min<size_t>(mapped.size(), 2); ++i) {
        if (!mapped[i].first.empty()) code += "[" + mapped[i].first + "]" + mapped[i].second + ";";
    }
    return code + own;
}

struct CellStyleEntry {
    std::string dataStyle;
    std::string parent;
    bool bold = false;
};

// Number styles and cell styles, from styles.xml and content.xml alike.
class OdsStyles : public XmlHandler {
public:
    void Start(std::string_view name, const char** a) override {
        if (name.ends_with("-style") && name != "default-style" && name != "style" && !inStyle_ &&
            Attribute(a, "name")) {
            builder_ = NumberStyleBuilder(a);
            numberStyle_ = AttributeOr(a, "name", "");
            numberStyles_[numberStyle_] = {};
            inNumberStyle_ = true;
            depth_ = 0;
            return;
        }
        if (inNumberStyle_) {
            ++depth_;
            if (name == "map") {
                numberStyles_[numberStyle_].maps.emplace_back(AttributeOr(a, "condition", ""),
                                                              AttributeOr(a, "apply-style-name", ""));
            }
            builder_.Start(name, a);
            return;
        }
        if (name == "style" && AttributeOr(a, "family", "") == "table-cell") {
            inStyle_ = true;
            styleName_ = AttributeOr(a, "name", "");
            cellStyles_[styleName_] = {std::string(AttributeOr(a, "data-style-name", "")),
                                       std::string(AttributeOr(a, "parent-style-name", "")), false};
        } else if (inStyle_ && name == "text-properties") {
            std::string_view weight = AttributeOr(a, "font-weight", "normal");
            cellStyles_[styleName_].bold = weight == "bold" || std::atoi(weight.data()) >= 600;
        }
    }
    void End(std::string_view name) override {
        if (inNumberStyle_) {
            if (depth_ == 0) {
                numberStyles_[numberStyle_].code = builder_.Code();
                inNumberStyle_ = false;
            } else {
                --depth_;
                builder_.End(name);
            }
            return;
        }
        if (name == "style") inStyle_ = false;
    }
    void Text(std::string_view text) override {
        if (inNumberStyle_) builder_.Text(text);
    }

    CellStyle Style(const std::string& name) const {
        CellStyle style;
        std::string current = name;
        for (int depth = 0; depth < 16 && !current.empty(); ++depth) {
            auto it = cellStyles_.find(current);
            if (it == cellStyles_.end()) break;
            style.bold = style.bold || it->second.bold;
            if (style.numberFormat.empty() && !it->second.dataStyle.empty()) {
                style.numberFormat = FormatCode(it->second.dataStyle);
            }
            current = it->second.parent;
        }
        return style;
    }

private:
    // The style's code with the sections its conditions name; those are taken as they are, as
    // LibreOffice writes them without conditions of their own.
    std::string FormatCode(const std::string& name) const {
        auto it = numberStyles_.find(name);
        if (it == numberStyles_.end()) return "";
        std::vector<std::pair<std::string, std::string>> mapped;
        for (const auto& [condition, target] : it->second.maps) {
            auto section = numberStyles_.find(target);
            if (section != numberStyles_.end()) mapped.emplace_back(FormatCondition(condition), section->second.code);
        }
        return ComposeSections(it->second.code, mapped);
    }

    NumberStyleBuilder builder_;
    std::string numberStyle_, styleName_;
    bool inNumberStyle_ = false, inStyle_ = false;
    int depth_ = 0;
    std::map<std::string, NumberStyle> numberStyles_;
    std::map<std::string, CellStyleEntry> cellStyles_;
};

// One cell as read, before its repeats are laid down.
struct OdsCell {
    int column = 0;
    int repeat = 1;
    int rowsSpanned = 1;
    int columnsSpanned = 1;
    std::string style;
    std::string valueType;
    std::string value;  // office:value, date-value, time-value or boolean-value
    std::string formula;
    std::optional<std::string> stringValue;
    std::string text;
    bool hasText = false;
};

class ContentReader : public XmlHandler {
public:
    ContentReader(WorkbookImport& import, OdsStyles& styles) : import_(import), book_(import.Book()), styles_(styles) {}

    void Start(std::string_view name, const char** a) override {
        if (skip_ > 0 || name == "annotation" || name == "shapes" || name == "table-source") {
            ++skip_;
            return;
        }
        if (inStyles_) {
            styles_.Start(name, a);
            ++stylesDepth_;
            return;
        }
        if (name == "automatic-styles") {
            inStyles_ = true;
            stylesDepth_ = 0;
        } else if (name == "table") {
            StartTable(AttributeOr(a, "name", ""));
        } else if (name == "table-row") {
            rowRepeat_ = Repeat(a, "number-rows-repeated", kMaxRows);
            cells_.clear();
            column_ = 1;
        } else if (name == "table-cell" || name == "covered-table-cell") {
            StartCell(a);
        } else if (name == "p" && inCell_) {
            if (cell_.hasText) cell_.text += "\n";
            cell_.hasText = true;
        } else if (name == "s" && inCell_) {
            cell_.text += std::string(static_cast<size_t>(Repeat(a, "c", 1024)), ' ');
        } else if (name == "tab" && inCell_) {
            cell_.text += "\t";
        } else if (name == "line-break" && inCell_) {
            cell_.text += "\n";
        } else if (name == "null-date") {
            // Day 0 of 1904-01-01, as in a workbook that came from Excel's 1904 dates.
            bool from1904 = AttributeOr(a, "date-value", "1899-12-30").starts_with("1904-01-01");
            book_.SetDateSystem(from1904 ? DateSystem::From1904 : DateSystem::From1900);
        } else if (name == "named-range" || name == "named-expression") {
            NamedRange(a);
        }
    }

    void End(std::string_view name) override {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (inStyles_) {
            if (stylesDepth_ == 0) {
                inStyles_ = false;
            } else {
                --stylesDepth_;
                styles_.End(name);
            }
            return;
        }
        if (name == "table-cell" || name == "covered-table-cell") {
            inCell_ = false;
            if (column_ > kMaxColumns) return;
            if (Meaningful(cell_)) cells_.push_back(cell_);
            column_ = std::min(column_ + cell_.repeat, kMaxColumns + 1);
        } else if (name == "table-row") {
            EndRow();
        }
    }

    void Text(std::string_view text) override {
        if (skip_ > 0) return;
        if (inStyles_) {
            styles_.Text(text);
        } else if (inCell_) {
            cell_.text += text;
        }
    }

private:
    void StartTable(std::string_view name) {
        ++sheets_;
        if (sheets_ == 1) {
            book_.RenameSheet(0, std::string(name));
        } else {
            book_.AddSheet(std::string(name));
        }
        book_.SelectSheet(sheets_ - 1);
        row_ = 1;
    }

    void StartCell(const char** a) {
        inCell_ = true;
        cell_ = OdsCell{};
        cell_.column = column_;
        cell_.repeat = Repeat(a, "number-columns-repeated", kMaxColumns);
        cell_.rowsSpanned = Repeat(a, "number-rows-spanned", kMaxRows);
        cell_.columnsSpanned = Repeat(a, "number-columns-spanned", kMaxColumns);
        cell_.style = AttributeOr(a, "style-name", "");
        cell_.valueType = AttributeOr(a, "value-type", "");
        for (std::string_view attribute : {"value", "date-value", "time-value", "boolean-value"}) {
            if (const char* v = Attribute(a, attribute)) cell_.value = v;
        }
        if (const char* s = Attribute(a, "string-value")) cell_.stringValue = s;
        cell_.formula = AttributeOr(a, "formula", "");
    }

    static bool Meaningful(const OdsCell& cell) {
        return !cell.valueType.empty() || !cell.formula.empty() || cell.hasText || !cell.style.empty() ||
               cell.rowsSpanned > 1 || cell.columnsSpanned > 1;
    }

    // The row's cells go down once per repeat, as far as the sheet reaches. A format alone over a
    // huge block (the rest of the sheet, as LibreOffice writes it) shows nothing and is left out.
    void EndRow() {
        int repeat = std::min(rowRepeat_, kMaxRows - row_ + 1);
        for (int r = 0; r < repeat; ++r) {
            for (const OdsCell& cell : cells_) {
                bool formatOnly = cell.valueType.empty() && cell.formula.empty() && !cell.hasText;
                if (!formatOnly || static_cast<long long>(repeat) * cell.repeat <= kMaxFormatOnlyCells) {
                    PutCell(row_ + r, cell);
                }
            }
        }
        row_ = std::min(row_ + rowRepeat_, kMaxRows + 1);
    }

    void PutCell(int row, const OdsCell& cell) {
        int last = std::min(cell.column + cell.repeat - 1, kMaxColumns);
        import_.CountCells(static_cast<size_t>(last - cell.column + 1));
        CellStyle style = cell.style.empty() ? CellStyle{} : styles_.Style(cell.style);
        for (int c = cell.column; c <= last; ++c) {
            if (style != CellStyle{}) {
                book_.SetNumberFormat(row, c, style.numberFormat);
                book_.SetBold(row, c, style.bold);
            }
            if (!cell.formula.empty()) {
                import_.AddFormula({sheets_ - 1, row, c, OpenFormulaToA1(cell.formula)});
            } else {
                PutValue(row, c, cell);
            }
            if (cell.rowsSpanned > 1 || cell.columnsSpanned > 1) {
                bool merged = book_.MergeCells({row, c, std::min(row + cell.rowsSpanned - 1, kMaxRows),
                                                std::min(c + cell.columnsSpanned - 1, kMaxColumns)});
                if (!merged) import_.Warn(std::string("忽略: ") + kTooManyMerged);
            }
        }
    }

    void PutValue(int row, int column, const OdsCell& cell) {
        const std::string& type = cell.valueType;
        if (type == "float" || type == "percentage" || type == "currency") {
            std::optional<double> n = ParsePlainNumber(cell.value);
            if (n) book_.SetCellNumber(row, column, *n);
        } else if (type == "date") {
            if (std::optional<double> d = OdsDate(cell.value)) {
                book_.SetCellNumber(row, column, *d - DaysBefore(book_.Dates()));
            }
        } else if (type == "time") {
            book_.SetCellNumber(row, column, OdsDuration(cell.value));
        } else if (type == "boolean") {
            book_.SetCellBool(row, column, cell.value == "true" || cell.value == "1");
        } else if (type == "string" || (type.empty() && cell.hasText)) {
            std::string text = cell.stringValue.value_or(cell.text);
            if (!text.empty()) book_.SetCellText(row, column, text);
        }
    }

    void NamedRange(const char** a) {
        std::string name(AttributeOr(a, "name", ""));
        if (const char* range = Attribute(a, "cell-range-address")) {
            import_.AddName(name, OpenFormulaToA1("[" + std::string(range) + "]"));
        } else if (const char* expression = Attribute(a, "expression")) {
            import_.AddName(name, OpenFormulaToA1(expression));
        }
    }

    WorkbookImport& import_;
    Workbook& book_;
    OdsStyles& styles_;
    int sheets_ = 0, row_ = 1, column_ = 1, rowRepeat_ = 1, skip_ = 0, stylesDepth_ = 0;
    bool inCell_ = false, inStyles_ = false;
    OdsCell cell_;
    std::vector<OdsCell> cells_;
};

// styles.xml holds the common styles; only its office:styles part matters here.
class StylesPartReader : public XmlHandler {
public:
    explicit StylesPartReader(OdsStyles& styles) : styles_(styles) {}
    void Start(std::string_view name, const char** a) override { styles_.Start(name, a); }
    void End(std::string_view name) override { styles_.End(name); }
    void Text(std::string_view text) override { styles_.Text(text); }

private:
    OdsStyles& styles_;
};

}  // namespace

void ReadOds(const ZipPackage& package, WorkbookImport& import) {
    OdsStyles styles;
    if (package.Has("styles.xml")) {
        StylesPartReader reader(styles);
        package.ParseXml("styles.xml", reader);
    }
    ContentReader content(import, styles);
    package.ParseXml("content.xml", content);
}

}  // namespace keltrov::sheet
