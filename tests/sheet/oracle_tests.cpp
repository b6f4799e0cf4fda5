// Formulas computed by LibreOffice Calc (tests/sheet/data, made by scripts/make-oracle.sh), loaded
// through the reader and recomputed by the engine. Where LibreOffice departs from Excel the data
// says so and holds Excel's value.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

constexpr int kFormulaColumn = 6;  // F

struct OracleRow {
    int row = 0;
    std::string formula;
    std::string expected;
};

std::vector<OracleRow> ReadOracle() {
    std::ifstream in(KELTROV_SHEET_DATA_DIR "/oracle.tsv");
    std::vector<OracleRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with('#')) continue;
        std::istringstream fields(line);
        std::string row, lo;
        OracleRow r;
        std::getline(fields, row, '\t');
        std::getline(fields, r.formula, '\t');
        std::getline(fields, lo, '\t');
        std::getline(fields, r.expected, '\t');
        r.row = std::stoi(row);
        rows.push_back(std::move(r));
    }
    return rows;
}

TEST(Oracle, EveryFormulaShowsWhatLibreOfficeOrExcelComputes) {
    std::ifstream file(KELTROV_SHEET_DATA_DIR "/oracle.xlsx", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    Workbook book;
    book.LoadImage(bytes);
    std::vector<OracleRow> rows = ReadOracle();
    ASSERT_GT(rows.size(), 100u);
    for (const OracleRow& r : rows) {
        Value v = book.GetCellValue(r.row, kFormulaColumn);
        std::optional<double> expectedNumber = r.expected.find_first_not_of("0123456789.-E+") == std::string::npos
                                                   ? ParseNumber(r.expected)
                                                   : std::nullopt;
        if (expectedNumber && v.kind == Value::Kind::Number) {
            EXPECT_NEAR(v.number, *expectedNumber, 1e-9 * std::max(1.0, std::fabs(*expectedNumber))) << r.formula;
        } else {
            EXPECT_EQ(book.GetCellText(r.row, kFormulaColumn), r.expected) << r.formula;
        }
        EXPECT_EQ(book.GetCellFormula(r.row, kFormulaColumn), r.formula);
    }
}

}  // namespace
}  // namespace keltrov::sheet
