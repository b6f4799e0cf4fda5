// Formulas computed and number formats shown by LibreOffice Calc (tests/sheet/data, made by
// scripts/make-oracle.sh), loaded through the reader and recomputed by the engine. Where
// LibreOffice departs from Excel the data says so and holds Excel's value.
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

// The tab-separated fields of each line of a data file, comment lines left out.
std::vector<std::vector<std::string>> ReadTable(const std::string& name) {
    std::ifstream in(std::string(KELTROV_SHEET_DATA_DIR "/") + name);
    std::vector<std::vector<std::string>> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with('#')) continue;
        std::vector<std::string>& fields = lines.emplace_back();
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    }
    return lines;
}

std::vector<OracleRow> ReadOracle(const std::string& name) {
    std::vector<OracleRow> rows;
    for (const std::vector<std::string>& fields : ReadTable(name)) {
        rows.push_back({std::stoi(fields.at(0)), fields.at(1), fields.at(3)});
    }
    return rows;
}

Workbook& Loaded(Workbook& book, const std::string& name) {
    std::ifstream file(std::string(KELTROV_SHEET_DATA_DIR "/") + name, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    book.LoadImage(bytes);
    return book;
}

void ExpectOracle(const std::string& name, size_t minimumRows) {
    Workbook book;
    Loaded(book, name + ".xlsx");
    std::vector<OracleRow> rows = ReadOracle(name + ".tsv");
    ASSERT_GT(rows.size(), minimumRows);
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

TEST(Oracle, EveryFormulaShowsWhatLibreOfficeOrExcelComputes) {
    ExpectOracle("oracle", 100);
}

// Date texts, date functions and date formats of a workbook saved with 1904 dates.
TEST(Oracle, A1904WorkbookCountsEveryDateFromItsOwnDayZero) {
    ExpectOracle("oracle1904", 20);
}

// Texts compared, searched and counted as under a Chinese locale: by pinyin, case ignored, with
// LibreOffice's reading of characters of several syllables and its order within a syllable. Where
// LibreOffice gives no single order, the data says which one the sheet keeps.
TEST(Oracle, ChineseTextsCompareByPinyinAsUnderAChineseLocale) {
    ExpectOracle("collation", 60);
}

// The same formats saved by Excel's rules (.xlsx) and by LibreOffice (.ods, whose sections are
// styles chosen by conditions) show each value alike.
TEST(Oracle, EveryFormatShowsWhatLibreOfficeOrExcelShowsInBothFileKinds) {
    std::vector<std::vector<std::string>> rows = ReadTable("formats.tsv");
    ASSERT_GT(rows.size(), 60u);
    for (const char* file : {"formats.xlsx", "formats.ods"}) {
        Workbook book;
        Loaded(book, file);
        for (const std::vector<std::string>& r : rows) {
            int row = std::stoi(r.at(0));
            EXPECT_EQ(book.GetCellText(row, 2), r.at(4)) << file << ": " << r.at(1) << " with " << r.at(2);
        }
    }
}

}  // namespace
}  // namespace keltrov::sheet
