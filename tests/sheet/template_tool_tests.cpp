#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/template_tool.hpp"
#include "platform/sheet/workbook.hpp"

namespace keltrov {
namespace {

struct Listed {
    std::string text;
    std::string number;
    std::string formula;
};

// Parses CheckTemplate's listing into (row, column) -> fields, checking the row-major order on the way.
std::map<std::pair<int, int>, Listed> ParseListing(const std::string& listing) {
    std::map<std::pair<int, int>, Listed> cells;
    std::istringstream in(listing);
    std::string line;
    std::pair<int, int> previous{0, 0};
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string row, column;
        Listed cell;
        std::getline(fields, row, '\t');
        std::getline(fields, column, '\t');
        std::getline(fields, cell.text, '\t');
        std::getline(fields, cell.number, '\t');
        std::getline(fields, cell.formula, '\t');
        std::pair<int, int> at{std::stoi(row), std::stoi(column)};
        EXPECT_LT(previous, at) << line;
        previous = at;
        cells[at] = cell;
    }
    return cells;
}

class TemplateFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() / ("keltrov-template-" + std::to_string(getpid()) + ".xlsx");
    }
    void TearDown() override { std::filesystem::remove(path_); }

    void Write(const std::vector<unsigned char>& bytes) {
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path path_;
};

TEST_F(TemplateFile, DemoTemplateListsCaptionsDataRowAndTotals) {
    Write(BuildDemoWageTemplate());
    std::ostringstream out, err;
    ASSERT_EQ(CheckTemplate(path_.string(), out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    auto cells = ParseListing(out.str());
    auto cell = [&cells](int row, int column) { return cells[{row, column}]; };

    EXPECT_EQ(cell(1, 1).text, "工资表");
    EXPECT_EQ(cell(5, 1).text, "编号");
    EXPECT_EQ(cell(5, 2).text, "姓名");
    EXPECT_EQ(cell(5, 3).text, "部门");
    EXPECT_EQ(cell(5, 4).text, "内部编号");
    EXPECT_EQ(cell(5, 5).text, "基本工资");
    EXPECT_EQ(cell(5, 14).text, "应发合计");
    EXPECT_EQ(cell(5, 25).text, "扣款合计");
    EXPECT_EQ(cell(5, 26).text, "实发工资");
    EXPECT_EQ(cell(6, 14).formula, "SUM(E6:M6)");
    EXPECT_EQ(cell(6, 14).text, "0.00");
    EXPECT_EQ(cell(6, 25).formula, "SUM(O6:X6)");
    EXPECT_EQ(cell(6, 26).formula, "N6-Y6");
    EXPECT_FALSE((cells.contains({6, 5})));  // data cells are empty
    EXPECT_EQ(cell(50, 2).text, "合计");
    EXPECT_EQ(cell(50, 5).formula, "SUM(E6:E49)");
    EXPECT_EQ(cell(50, 26).formula, "SUM(Z6:Z49)");
    EXPECT_EQ(cell(50, 26).number, "0");
    for (const auto& [at, cell] : cells) {
        EXPECT_TRUE(at.first <= 6 || at.first == 50) << at.first << "," << at.second;
    }
}

TEST_F(TemplateFile, DemoTemplateTotalsGrowWithRowsInsertedAtTheSpareRow) {
    sheet::Workbook book;
    std::vector<unsigned char> bytes = BuildDemoWageTemplate();
    book.LoadImage(std::span<const uint8_t>(bytes.data(), bytes.size()));
    EXPECT_TRUE(book.GetStyle(5, 1).bold);
    EXPECT_EQ(book.GetStyle(6, 5).numberFormat, "0.00");
    EXPECT_NEAR(book.GetColumnWidth(3), 12.0, 1.0);

    book.SetCellNumber(6, 5, 1000);  // E6 base pay
    book.SetCellNumber(6, 15, 80);   // O6 pension
    book.InsertRows(49);
    book.SetCellNumber(49, 5, 500);
    EXPECT_EQ(book.GetCellFormula(51, 5), "SUM(E6:E50)");
    EXPECT_EQ(book.GetCellText(51, 5), "1500.00");
    EXPECT_EQ(book.GetCellText(6, 26), "920.00");
    EXPECT_EQ(book.GetCellText(51, 26), "920.00");
}

TEST_F(TemplateFile, MissingFilesAndNonWorkbooksFailWithAReason) {
    std::ostringstream out, err;
    EXPECT_NE(CheckTemplate(path_.string(), out, err), 0);
    EXPECT_NE(err.str().find(path_.string()), std::string::npos);

    Write({'n', 'o', 't', ' ', 'x', 'l', 's', 'x'});
    std::ostringstream out2, err2;
    EXPECT_NE(CheckTemplate(path_.string(), out2, err2), 0);
    EXPECT_NE(err2.str().find("不是 xlsx 或 ods 工作簿"), std::string::npos) << err2.str();
    EXPECT_EQ(out2.str(), "");

    Write({});
    std::ostringstream out3, err3;
    EXPECT_NE(CheckTemplate(path_.string(), out3, err3), 0);
    EXPECT_NE(err3.str().find("模板无法读取: 文件是空的"), std::string::npos) << err3.str();
}

}  // namespace
}  // namespace keltrov
