// The .xlsx export: the demo month written and read back through our own reader, its cached values
// against LibreOffice's recomputation (tests/sheet/data/export_month.tsv, made by
// scripts/make-oracle.sh), and writes that fail without leaving a file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "platform/sheet/workbook.hpp"
#include "platform/sheet/xlsx_writer.hpp"
#include "platform/sheet/zip_xml.hpp"
#include "tests/sheet/export_month.hpp"
#include "tests/support/scratch_folder.hpp"

namespace keltrov::sheet {
namespace {

namespace fs = std::filesystem;
using test::ScratchFolder;
using testing::FillDemoMonth;
using testing::LoadDemoTemplate;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ReadBack(Workbook& book, const fs::path& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    book.LoadImage(bytes);
}

// Every cell of `expected` in `actual`, with its kind, formula, value and style, and nothing more.
void ExpectSameCells(const Workbook& expected, const Workbook& actual) {
    int cells = 0;
    expected.ForEachCell([&](int row, int column) {
        ++cells;
        SCOPED_TRACE(ColumnName(column) + std::to_string(row));
        EXPECT_EQ(actual.GetCellKind(row, column), expected.GetCellKind(row, column));
        EXPECT_EQ(actual.GetCellFormula(row, column), expected.GetCellFormula(row, column));
        EXPECT_EQ(actual.GetCellText(row, column), expected.GetCellText(row, column));
        EXPECT_DOUBLE_EQ(actual.GetCellNumber(row, column), expected.GetCellNumber(row, column));
        EXPECT_EQ(actual.GetStyle(row, column), expected.GetStyle(row, column));
    });
    int actualCells = 0;
    actual.ForEachCell([&](int, int) { ++actualCells; });
    EXPECT_EQ(actualCells, cells);
}

void ExpectSameLayout(const Workbook& expected, const Workbook& actual) {
    EXPECT_EQ(actual.MergedBlocks(), expected.MergedBlocks());
    for (int column = 1; column <= expected.UsedColumns(); ++column) {
        EXPECT_NEAR(actual.GetColumnWidth(column), expected.GetColumnWidth(column), 0.01) << ColumnName(column);
    }
}

TEST(XlsxExport, WorkbooksReadBackAsTheyWereWritten) {
    struct Case {
        const char* name;
        void (*fill)(Workbook&);
        int minimumCells;
    };
    const Case cases[] = {
        {"month", FillDemoMonth, 5 * 26 + 26 + 4},
        {"template of an empty month", LoadDemoTemplate, 26 + 22},
        {"texts, booleans, errors and formula results of every kind",
         [](Workbook& book) {
             book.SetCellText(1, 1, "=不是公式");
             book.SetCellBool(1, 2, true);
             book.SetCellNumber(2, 1, 0.1);
             book.SetNumberFormat(2, 1, "0.0%");
             book.SetCellFormula(2, 2, "A2>0");
             book.SetCellFormula(2, 3, "\"第\"&A2");
             book.SetCellFormula(2, 4, "1/0");
             book.SetBold(3, 1, true);
             book.SetCellText(3, 1, "粗体");
         },
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder("keltrov-export");
        Workbook written;
        c.fill(written);
        WriteXlsx(written, folder.Path() / "out.xlsx");
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.xlsx"});
        Workbook read;
        ReadBack(read, folder.Path() / "out.xlsx");
        int cells = 0;
        written.ForEachCell([&cells](int, int) { ++cells; });
        EXPECT_GE(cells, c.minimumCells);
        ExpectSameCells(written, read);
        ExpectSameLayout(written, read);
    }
}

// The formula cells' values as stored in the sheet part, by address ("N50").
class CachedValues : public XmlHandler {
public:
    void Start(std::string_view name, const char** a) override {
        if (name == "c") {
            cell_ = AttributeOr(a, "r", "");
            hasFormula_ = false;
        }
        hasFormula_ = hasFormula_ || name == "f";
        inValue_ = name == "v";
    }
    void End(std::string_view name) override { inValue_ = inValue_ && name != "v"; }
    void Text(std::string_view text) override {
        if (inValue_ && hasFormula_) values[cell_] += text;
    }

    std::map<std::string, std::string> values;

private:
    std::string cell_;
    bool hasFormula_ = false;
    bool inValue_ = false;
};

std::map<std::string, std::string> CachedFormulaValues(const fs::path& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ZipPackage package(bytes);
    CachedValues handler;
    package.ParseXml("xl/worksheets/sheet1.xml", handler);
    return handler.values;
}

// LibreOffice's values of the month's formula cells: "cell<TAB>value" lines.
std::map<std::string, double> LibreOfficeValues() {
    std::ifstream in(KELTROV_SHEET_DATA_DIR "/export_month.tsv");
    std::map<std::string, double> values;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with('#')) continue;
        std::istringstream fields(line);
        std::string cell;
        double value = 0;
        fields >> cell >> value;
        values[cell] = value;
    }
    return values;
}

TEST(XlsxExport, CachedValuesAreTheOnesLibreOfficeComputes) {
    ScratchFolder folder("keltrov-export");
    Workbook month;
    FillDemoMonth(month);
    WriteXlsx(month, folder.Path() / "month.xlsx");
    const std::map<std::string, std::string> cached = CachedFormulaValues(folder.Path() / "month.xlsx");
    const std::map<std::string, double> oracle = LibreOfficeValues();
    // 3 formulas in each of 5 rows and 22 totals.
    ASSERT_EQ(oracle.size(), 5u * 3 + 22);
    EXPECT_EQ(cached.size(), oracle.size());
    for (const auto& [cell, expected] : oracle) {
        ASSERT_TRUE(cached.contains(cell)) << cell;
        EXPECT_NEAR(std::stod(cached.at(cell)), expected, 1e-6) << cell;
    }
}

// A file cannot hold an error by itself in a cell; it goes out as the formula that gives it.
TEST(XlsxExport, AnErrorConstantReadsBackAsTheSameError) {
    ScratchFolder folder("keltrov-export");
    Workbook written;
    written.SetCellError(1, 1, ErrorCode::NA);
    written.SetCellError(1, 2, ErrorCode::Div0);
    WriteXlsx(written, folder.Path() / "errors.xlsx");
    Workbook read;
    ReadBack(read, folder.Path() / "errors.xlsx");
    EXPECT_EQ(read.GetCellText(1, 1), "#N/A");
    EXPECT_EQ(read.GetCellText(1, 2), "#DIV/0!");
    EXPECT_EQ(CachedFormulaValues(folder.Path() / "errors.xlsx"),
              (std::map<std::string, std::string>{{"A1", "#N/A"}, {"B1", "#DIV/0!"}}));
}

TEST(XlsxExport, ReplacesAnExistingFile) {
    ScratchFolder folder("keltrov-export");
    std::ofstream(folder.Path() / "month.xlsx") << "an older export";
    Workbook month;
    FillDemoMonth(month);
    WriteXlsx(month, folder.Path() / "month.xlsx");
    Workbook read;
    ReadBack(read, folder.Path() / "month.xlsx");
    EXPECT_EQ(read.GetCellText(6, 2), "员工1");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"month.xlsx"});
    EXPECT_EQ(fs::status(folder.Path() / "month.xlsx").permissions() & fs::perms::others_read, fs::perms::others_read);
}

TEST(XlsxExport, AFailedWriteSaysWhyAndLeavesNoFile) {
    ScratchFolder folder("keltrov-export");
    fs::create_directories(folder.Path() / "taken.xlsx" / "inside");
    struct Case {
        fs::path target;
        const char* message;
    };
    // /sys takes no new files, not even from root.
    const Case cases[] = {
        {"/sys/month.xlsx", "导出失败：无法写入该文件夹"},
        {folder.Path() / "missing" / "month.xlsx", "导出失败：文件夹不存在"},
        {folder.Path() / "taken.xlsx", "导出失败：同名的文件夹已存在"},
    };
    Workbook month;
    FillDemoMonth(month);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.string());
        try {
            WriteXlsx(month, c.target);
            ADD_FAILURE() << "no error";
        } catch (const ExportError& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
        EXPECT_FALSE(fs::is_regular_file(c.target));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"taken.xlsx"});
    }
}

// The file's dates count from 1900: a workbook counting from 1904 would have its dates moved.
TEST(XlsxExport, AWorkbookWith1904DatesIsRefused) {
    ScratchFolder folder("keltrov-export");
    Workbook book;
    book.SetDateSystem(DateSystem::From1904);
    book.SetCellNumber(1, 1, 45000);
    book.SetNumberFormat(1, 1, "yyyy-mm-dd");
    EXPECT_THROW(WriteXlsx(book, folder.Path() / "dates.xlsx"), ExportError);
    EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace keltrov::sheet
