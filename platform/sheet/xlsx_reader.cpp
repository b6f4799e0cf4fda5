// Reads .xlsx and .xlsm packages: the workbook's sheets in their order, shared strings, styles.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>

#include "platform/sheet/formula.hpp"
#include "platform/sheet/number_format.hpp"
#include "platform/sheet/workbook_import.hpp"

namespace keltrov::sheet {
namespace {

constexpr std::string_view kOfficeDocument = "/officeDocument";

// Where a relationship's target lies: relative to the part's folder, or from the package root.
std::string ResolveTarget(std::string_view partFolder, std::string_view target) {
    if (target.starts_with('/')) {
        return std::string(target.substr(1));
    }
    std::string path(partFolder);
    while (target.starts_with("../")) {
        target.remove_prefix(3);
        size_t slash = path.find_last_of('/', path.size() >= 2 ? path.size() - 2 : 0);
        path = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    }
    return path + std::string(target);
}

std::string FolderOf(std::string_view part) {
    size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? "" : std::string(part.substr(0, slash + 1));
}

struct Relationship {
    std::string type;  // the last segment of the type URI, as "/worksheet"
    std::string target;
};

class RelationshipsReader : public XmlHandler {
public:
    explicit RelationshipsReader(std::string folder) : folder_(std::move(folder)) {}
    void Start(std::string_view name, const char** a) override {
        if (name != "Relationship") return;
        std::string_view type = AttributeOr(a, "Type", "");
        size_t slash = type.rfind('/');
        rels[std::string(AttributeOr(a, "Id", ""))] = {
            std::string(slash == std::string_view::npos ? type : type.substr(slash)),
            ResolveTarget(folder_, AttributeOr(a, "Target", ""))};
    }
    void End(std::string_view) override {}
    void Text(std::string_view) override {}

    std::map<std::string, Relationship> rels;

private:
    std::string folder_;
};

std::map<std::string, Relationship> ReadRelationships(const ZipPackage& package, std::string_view part) {
    std::string folder = FolderOf(part);
    std::string relsPart = folder + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
    RelationshipsReader reader(folder);
    if (package.Has(relsPart)) {
        package.ParseXml(relsPart, reader);
    }
    return reader.rels;
}

struct SheetEntry {
    std::string name;
    std::string relationship;
};

class WorkbookPartReader : public XmlHandler {
public:
    void Start(std::string_view name, const char** a) override {
        if (name == "sheet") {
            sheets.push_back({std::string(AttributeOr(a, "name", "")), std::string(AttributeOr(a, "id", ""))});
        } else if (name == "definedName") {
            inName_ = true;
            nameText_.clear();
            currentName_ = AttributeOr(a, "name", "");
            localName_ = Attribute(a, "localSheetId") != nullptr;
        } else if (name == "workbookPr") {
            date1904 = AttributeOr(a, "date1904", "0") == "1" || AttributeOr(a, "date1904", "") == "true";
        }
    }
    void End(std::string_view name) override {
        if (name == "definedName") {
            inName_ = false;
            // Excel's own names (print areas, filters) and sheet-local names are no template's business.
            if (!currentName_.starts_with("_xlnm.") && !localName_) {
                names.emplace_back(currentName_, nameText_);
            }
        }
    }
    void Text(std::string_view text) override {
        if (inName_) nameText_ += text;
    }

    std::vector<SheetEntry> sheets;
    std::vector<std::pair<std::string, std::string>> names;
    bool date1904 = false;

private:
    bool inName_ = false;
    bool localName_ = false;
    std::string currentName_;
    std::string nameText_;
};

// Shared strings: the text runs of each item, leaving out phonetic runs (<rPh>).
class SharedStringsReader : public XmlHandler {
public:
    void Start(std::string_view name, const char**) override {
        if (name == "si") {
            current_.clear();
        } else if (name == "rPh") {
            ++phonetic_;
        } else if (name == "t") {
            inText_ = phonetic_ == 0;
        }
    }
    void End(std::string_view name) override {
        if (name == "si") {
            strings.push_back(std::move(current_));
            current_.clear();
        } else if (name == "rPh") {
            --phonetic_;
        } else if (name == "t") {
            inText_ = false;
        }
    }
    void Text(std::string_view text) override {
        if (inText_) current_ += text;
    }

    std::vector<std::string> strings;

private:
    std::string current_;
    int phonetic_ = 0;
    bool inText_ = false;
};

class StylesReader : public XmlHandler {
public:
    void Start(std::string_view name, const char** a) override {
        if (name == "numFmt") {
            formats_[std::atoi(AttributeOr(a, "numFmtId", "0").data())] = AttributeOr(a, "formatCode", "");
        } else if (name == "fonts") {
            inFonts_ = true;
        } else if (name == "font" && inFonts_) {
            bold_.push_back(false);
        } else if (name == "b" && inFonts_ && !bold_.empty()) {
            std::string_view val = AttributeOr(a, "val", "1");
            bold_.back() = val == "1" || val == "true";
        } else if (name == "cellXfs") {
            inCellXfs_ = true;
        } else if (name == "xf" && inCellXfs_) {
            xfs_.push_back({static_cast<size_t>(std::atoi(AttributeOr(a, "numFmtId", "0").data())),
                            static_cast<size_t>(std::atoi(AttributeOr(a, "fontId", "0").data()))});
        }
    }
    void End(std::string_view name) override {
        inFonts_ = name == "fonts" ? false : inFonts_;
        inCellXfs_ = name == "cellXfs" ? false : inCellXfs_;
    }
    void Text(std::string_view) override {}

    CellStyle Style(size_t xf) const {
        CellStyle style;
        if (xf >= xfs_.size()) return style;
        auto [format, font] = xfs_[xf];
        style.bold = font < bold_.size() && bold_[font];
        auto custom = formats_.find(static_cast<int>(format));
        style.numberFormat = custom != formats_.end() ? custom->second : std::string(BuiltinNumberFormat(format));
        if (style.numberFormat == "General") style.numberFormat.clear();
        return style;
    }

private:
    std::map<int, std::string> formats_;
    std::vector<bool> bold_;
    std::vector<std::pair<size_t, size_t>> xfs_;
    bool inFonts_ = false;
    bool inCellXfs_ = false;
};

// What the sheet holds that the control does not show, by element name, with its warning.
constexpr std::pair<std::string_view, std::string_view> kIgnoredSheetParts[] = {
    {"conditionalFormatting", "条件格式"},
    {"dataValidation", "数据有效性"},
    {"drawing", "图片和图表"},
    {"legacyDrawing", "批注"},
    {"hyperlink", "超链接"},
    {"autoFilter", "自动筛选"},
    {"sheetProtection", "工作表保护"},
};

class SheetReader : public XmlHandler {
public:
    SheetReader(WorkbookImport& import, int sheet, const std::vector<std::string>& strings, const StylesReader& styles)
        : import_(import), book_(import.Book()), sheet_(sheet), strings_(strings), styles_(styles) {}

    void Start(std::string_view name, const char** a) override {
        if (fallback_ > 0 || name == "Fallback") {
            ++fallback_;  // of mc:AlternateContent only the first choice counts
            return;
        }
        if (name == "row") {
            const char* r = Attribute(a, "r");
            row_ = r ? std::atoi(r) : row_ + 1;
            column_ = 0;
        } else if (name == "c") {
            StartCell(a);
        } else if (name == "v" || name == "t" || name == "f") {
            text_.clear();
            inText_ = name != "t" || inInline_;
            if (name == "f") StartFormula(a);
        } else if (name == "is") {
            inInline_ = true;
        } else if (name == "rPh") {
            inInline_ = false;
        } else if (name == "col") {
            Width(a);
        } else if (name == "mergeCell") {
            Merge(AttributeOr(a, "ref", ""));
        } else {
            for (auto [part, warning] : kIgnoredSheetParts) {
                if (name == part) ignored_.insert(std::string(warning));
            }
        }
    }

    void End(std::string_view name) override {
        if (fallback_ > 0) {
            --fallback_;
            return;
        }
        if (name == "v") {
            value_ = text_;
            hasValue_ = true;
        } else if (name == "t" && inInline_) {
            inline_ += text_;
        } else if (name == "f") {
            formula_ = text_;
            hasFormula_ = true;
        } else if (name == "is") {
            inInline_ = false;
        } else if (name == "rPh") {
            inInline_ = true;
        } else if (name == "c") {
            EndCell();
        }
        inText_ = false;
    }

    void Text(std::string_view text) override {
        if (inText_) text_ += text;
    }

    void Finish() {
        for (const std::string& warning : ignored_) import_.Warn("忽略: " + warning);
    }

private:
    void StartCell(const char** a) {
        const char* r = Attribute(a, "r");
        std::optional<std::pair<int, int>> at = r ? ReadCellAddress(r) : std::nullopt;
        if (r && !at) throw LoadError("模板无法读取: 单元格地址不对: " + std::string(r));
        if (at) {
            row_ = at->first;
            column_ = at->second;
        } else {
            ++column_;
        }
        if (row_ < 1 || row_ > kMaxRows || column_ < 1 || column_ > kMaxColumns) {
            throw LoadError("模板无法读取: 单元格超出表的范围");
        }
        type_ = AttributeOr(a, "t", "n");
        const char* style = Attribute(a, "s");
        style_ = style ? static_cast<size_t>(std::atoi(style)) : 0;
        value_.clear();
        inline_.clear();
        formula_.clear();
        hasValue_ = hasFormula_ = false;
        formulaKind_.clear();
        formulaRef_.clear();
        sharedIndex_.reset();
    }

    void StartFormula(const char** a) {
        formulaKind_ = AttributeOr(a, "t", "normal");
        formulaRef_ = AttributeOr(a, "ref", "");
        if (const char* si = Attribute(a, "si")) sharedIndex_ = std::atoi(si);
    }

    void EndCell() {
        import_.CountCells(1);
        if (style_ != 0) {
            CellStyle style = styles_.Style(style_);
            if (style != CellStyle{}) {
                book_.SetNumberFormat(row_, column_, style.numberFormat);
                book_.SetBold(row_, column_, style.bold);
            }
        }
        if (hasFormula_ || sharedIndex_) {
            PutFormula();
            return;
        }
        PutValue();
    }

    void PutFormula() {
        PendingFormula f{sheet_, row_, column_, formula_};
        if (formulaKind_ == "array") {
            std::pair<int, int> last = BlockEnd(formulaRef_);
            f.array = true;
            f.lastRow = last.first;
            f.lastColumn = last.second;
        } else if (formulaKind_ == "shared" && sharedIndex_) {
            if (!formula_.empty()) {
                sharedMasters_[*sharedIndex_] = {row_, column_, formula_};
            } else if (auto master = sharedMasters_.find(*sharedIndex_); master != sharedMasters_.end()) {
                f.text =
                    ShiftFormulaText(master->second.text, {row_ - master->second.row, column_ - master->second.column});
            } else {
                PutValue();  // a shared formula without its master: the value the file holds
                return;
            }
        } else if (formulaKind_ == "dataTable") {
            import_.Warn("忽略: 模拟运算表 (显示文件中的值)");
            PutValue();
            return;
        }
        import_.AddFormula(std::move(f));
    }

    // The far corner of an array formula's block; the other cells of the block hold the file's
    // values until the formula fills them.
    std::pair<int, int> BlockEnd(std::string_view ref) const {
        size_t colon = ref.find(':');
        std::optional<std::pair<int, int>> last =
            colon == std::string_view::npos ? std::nullopt : ReadCellAddress(ref.substr(colon + 1));
        if (!last || last->first < row_ || last->second < column_) return {row_, column_};
        import_.CountCells(static_cast<size_t>(last->first - row_ + 1) * (last->second - column_ + 1));
        return *last;
    }

    void PutValue() {
        if (type_ == "s") {
            size_t index = static_cast<size_t>(std::atoll(value_.c_str()));
            if (!hasValue_ || index >= strings_.size()) throw LoadError("模板无法读取: 共享字符串编号不对");
            PutText(strings_[index]);
        } else if (type_ == "inlineStr") {
            PutText(inline_);
        } else if (type_ == "str") {
            PutText(value_);
        } else if (type_ == "b") {
            if (hasValue_) book_.SetCellBool(row_, column_, value_ == "1" || value_ == "true");
        } else if (type_ == "e") {
            book_.SetCellError(row_, column_, ErrorFromText(value_).value_or(ErrorCode::Value));
        } else if (type_ == "d") {
            if (std::optional<double> date = ParseNumber(value_.substr(0, value_.find('T'))))
                book_.SetCellNumber(row_, column_, *date - DaysBefore(book_.Dates()));
        } else if (hasValue_) {
            std::optional<double> number = ParsePlainNumber(value_);
            if (!number) throw LoadError("模板无法读取: 数值不对: " + value_);
            book_.SetCellNumber(row_, column_, *number);
        }
    }

    void PutText(const std::string& text) {
        if (!text.empty()) book_.SetCellText(row_, column_, text);
    }

    // "A1:C2"; a block of one cell or with corners off the sheet merges nothing.
    void Merge(std::string_view ref) {
        size_t colon = ref.find(':');
        if (colon == std::string_view::npos) return;
        std::optional<std::pair<int, int>> first = ReadCellAddress(ref.substr(0, colon));
        std::optional<std::pair<int, int>> last = ReadCellAddress(ref.substr(colon + 1));
        if (!first || !last || *first == *last) return;
        if (!book_.MergeCells({std::min(first->first, last->first), std::min(first->second, last->second),
                               std::max(first->first, last->first), std::max(first->second, last->second)})) {
            ignored_.insert(kTooManyMerged);
        }
    }

    void Width(const char** a) {
        int first = std::atoi(AttributeOr(a, "min", "0").data());
        int last = std::min(std::atoi(AttributeOr(a, "max", "0").data()), kMaxColumns);
        const char* width = Attribute(a, "width");
        if (!width || first < 1 || sheet_ != 0) return;
        for (int c = first; c <= last; ++c) book_.SetColumnWidth(c, std::atof(width));
    }

    struct SharedMaster {
        int row;
        int column;
        std::string text;
    };

    WorkbookImport& import_;
    Workbook& book_;
    int sheet_;
    const std::vector<std::string>& strings_;
    const StylesReader& styles_;
    int row_ = 0, column_ = 0, fallback_ = 0;
    std::string type_, value_, inline_, formula_, text_, formulaKind_, formulaRef_;
    size_t style_ = 0;
    bool hasValue_ = false, hasFormula_ = false, inText_ = false, inInline_ = false;
    std::optional<int> sharedIndex_;
    std::unordered_map<int, SharedMaster> sharedMasters_;
    std::set<std::string> ignored_;
};

std::string OfficeDocument(const ZipPackage& package) {
    for (const auto& [id, rel] : ReadRelationships(package, "")) {
        if (rel.type == kOfficeDocument) return rel.target;
    }
    return "xl/workbook.xml";
}

}  // namespace

void ReadXlsx(const ZipPackage& package, WorkbookImport& import) {
    std::string workbookPart = OfficeDocument(package);
    WorkbookPartReader workbook;
    package.ParseXml(workbookPart, workbook);
    std::map<std::string, Relationship> rels = ReadRelationships(package, workbookPart);
    SharedStringsReader strings;
    StylesReader styles;
    for (const auto& [id, rel] : rels) {
        if (rel.type == "/sharedStrings") package.ParseXml(rel.target, strings);
        if (rel.type == "/styles") package.ParseXml(rel.target, styles);
        if (rel.type == "/vbaProject") import.Warn("忽略: 宏 (只读取单元格)");
    }
    if (workbook.sheets.empty()) throw LoadError("模板无法读取: 工作簿中没有工作表");
    Workbook& book = import.Book();
    book.SetDateSystem(workbook.date1904 ? DateSystem::From1904 : DateSystem::From1900);
    for (size_t i = 0; i < workbook.sheets.size(); ++i) {
        const SheetEntry& entry = workbook.sheets[i];
        int sheet = i == 0 ? 0 : book.AddSheet(entry.name);
        if (i == 0) book.RenameSheet(0, entry.name);
        book.SelectSheet(sheet);
        auto rel = rels.find(entry.relationship);
        if (rel == rels.end() || rel->second.type != "/worksheet") {
            import.Warn("忽略: 工作表 " + entry.name + " 不是普通工作表 (图表或对话框)");
            continue;
        }
        SheetReader reader(import, sheet, strings.strings, styles);
        package.ParseXml(rel->second.target, reader);
        reader.Finish();
    }
    for (auto& [name, reference] : workbook.names) import.AddName(name, reference);
}

}  // namespace keltrov::sheet
