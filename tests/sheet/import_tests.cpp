// Workbooks as Excel and LibreOffice write them, cell kind by cell kind, and files to refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "platform/sheet/variant.hpp"
#include "platform/sheet/workbook.hpp"
#include "tests/sheet/test_images.hpp"

namespace keltrov::sheet {
namespace {

using testing::OdsImage;
using testing::StoredZip;

constexpr const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Worksheet(const std::string& sheetData, const std::string& after = "") {
    return std::string("<worksheet xmlns=\"") + kMain +
           "\" xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><sheetData>" + sheetData +
           "</sheetData>" + after + "</worksheet>";
}

// A minimal package: sheets in workbook order with the given sheetIds, shared strings, styles, and
// what the workbook part holds after its sheets (names, properties).
std::vector<uint8_t> Xlsx(const std::vector<std::pair<std::string, std::string>>& sheets,
                          const std::string& sharedStrings = "", const std::string& styles = "",
                          const std::string& afterSheets = "") {
    std::string workbook = std::string("<workbook xmlns=\"") + kMain + "\" xmlns:r=\"" + kRels + "\"><sheets>";
    std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    std::vector<std::pair<std::string, std::string>> parts;
    for (size_t i = 0; i < sheets.size(); ++i) {
        std::string n = std::to_string(i + 1);
        // sheetIds run backwards, so that order in the file and id disagree
        workbook += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + std::to_string(sheets.size() - i + 3) +
                    "\" r:id=\"rId" + n + "\"/>";
        rels +=
            "<Relationship Id=\"rId" + n + "\" Type=\"" + kRels + "/worksheet\" Target=\"worksheets/s" + n + ".xml\"/>";
        parts.emplace_back("xl/worksheets/s" + n + ".xml", sheets[i].second);
    }
    workbook += "</sheets>" + afterSheets + "</workbook>";
    if (!sharedStrings.empty()) {
        rels +=
            std::string("<Relationship Id=\"rS\" Type=\"") + kRels + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.emplace_back("xl/sharedStrings.xml",
                           std::string("<sst xmlns=\"") + kMain + "\">" + sharedStrings + "</sst>");
    }
    if (!styles.empty()) {
        rels += std::string("<Relationship Id=\"rT\" Type=\"") + kRels + "/styles\" Target=\"styles.xml\"/>";
        parts.emplace_back("xl/styles.xml",
                           std::string("<styleSheet xmlns=\"") + kMain + "\">" + styles + "</styleSheet>");
    }
    parts.emplace_back("xl/_rels/workbook.xml.rels", rels + "</Relationships>");
    parts.emplace_back("xl/workbook.xml", workbook);
    // Content types declared by extension only, as some writers do.
    parts.emplace_back(
        "[Content_Types].xml",
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"xml\" "
        "ContentType=\"application/xml\"/></Types>");
    parts.emplace_back(
        "_rels/.rels",
        std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"r1\" Type=\"") +
            kRels + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    return StoredZip(parts);
}

struct Shown {
    int row;
    int column;
    const char* text;
    const char* formula;
};

void ExpectCells(const Workbook& book, std::initializer_list<Shown> cells) {
    for (const Shown& c : cells) {
        EXPECT_EQ(book.GetCellText(c.row, c.column), c.text) << c.row << "," << c.column;
        EXPECT_EQ(book.GetCellFormula(c.row, c.column), c.formula) << c.row << "," << c.column;
    }
}

TEST(XlsxCells, EveryKindLoadsAsExcelShowsIt) {
    const std::string strings =
        "<si><t>工资</t></si><si><t/></si>"
        "<si><r><rPr><b/></rPr><t>東</t></r><r><t>京</t></r><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh></si>";
    const std::string data =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><t>inline</t></is></c><c r=\"E1\" t=\"b\"><v>1</v></c>"
        "<c r=\"F1\" t=\"e\"><v>#N/A</v></c><c r=\"G1\"><v>2.5</v></c><c r=\"XFD1\"><v>7</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><f>G1*2</f><v>5</v></c><c r=\"B2\"><f>FOO(G1)+1</f><v>3</v></c>"
        "<c r=\"C2\" t=\"str\"><f>A1&amp;\"!\"</f><v>x</v></c><c r=\"D2\"><f>SUM(1,</f><v>9</v></c>"
        "<c r=\"E2\" t=\"b\"><f>TRUE()</f><v>1</v></c><c r=\"F2\"><f>E1+1</f></c></row>"
        "<row r=\"1048576\"><c r=\"A1048576\"><v>1</v></c></row>";
    Workbook book;
    book.LoadImage(Xlsx({{"工资表", Worksheet(data)}}, strings));
    ExpectCells(book, {{1, 1, "工资", ""},
                       {1, 2, "", ""},
                       {1, 3, "東京", ""},
                       {1, 4, "inline", ""},
                       {1, 5, "TRUE", ""},
                       {1, 6, "#N/A", ""},
                       {1, 16384, "7", ""},
                       {1048576, 1, "1", ""},
                       {2, 1, "5", "G1*2"},
                       {2, 2, "#NAME?", "FOO(G1)+1"},
                       {2, 3, "工资!", "A1&\"!\""},
                       {2, 4, "#NAME?", "SUM(1,"},
                       {2, 5, "TRUE", "TRUE()"},
                       {2, 6, "2", "E1+1"}});
    EXPECT_EQ(book.GetCellKind(1, 5), CellKind::Bool);
    EXPECT_EQ(book.GetUnknownFunctions(2, 2), std::vector<std::string>{"FOO"});
    EXPECT_FALSE(book.LoadWarnings().empty());  // the formula that does not parse is named
}

TEST(XlsxCells, SheetsComeInWorkbookOrderAndFormulasReachEachOther) {
    const std::string first = Worksheet(
        "<row r=\"1\"><c r=\"A1\"><v>10</v></c><c r=\"B1\"><f>Other!A1+'工资 表'!B2+SUM(Other!A:A)</f></c>"
        "<c r=\"C1\"><f>rate*A1</f></c></row>");
    const std::string other =
        Worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"5\"><c r=\"A5\"><v>2</v></c></row>");
    const std::string third = Worksheet("<row r=\"2\"><c r=\"B2\"><v>100</v></c></row>");
    Workbook book;
    book.LoadImage(Xlsx({{"Main", first}, {"Other", other}, {"工资 表", third}}, "", "",
                        "<definedNames><definedName name=\"rate\">Other!$A$5</definedName></definedNames>"));
    ASSERT_EQ(book.SheetCount(), 3);
    EXPECT_EQ(book.SheetName(0), "Main");
    EXPECT_EQ(book.SheetName(2), "工资 表");
    ExpectCells(book,
                {{1, 1, "10", ""}, {1, 2, "104", "Other!A1+'工资 表'!B2+SUM(Other!A:A)"}, {1, 3, "20", "rate*A1"}});
}

// A column's formulas filled down are read once and copied with their rows moved: each must come
// out as its own text parses, whatever in it looks like a cell or stays put.
TEST(XlsxCells, FormulasFilledDownReadAsTheirOwnTextParses) {
    const std::vector<std::function<std::string(int)>> fills = {
        [](int r) { return "SUM(A" + std::to_string(r) + ":B" + std::to_string(r) + ")"; },
        [](int r) { return "A" + std::to_string(r) + "*$A$2+B" + std::to_string(r); },
        [](int r) { return "SUM(A$4:A" + std::to_string(r) + ")"; },  // corners swap above row 4
        [](int r) { return "LOG10(A" + std::to_string(r) + ")"; },
        [](int r) { return "SUM(2:3)+A" + std::to_string(r); },
        [](int r) { return "Other!A" + std::to_string(r) + "+'Other'!$B" + std::to_string(r); },
        [](int r) { return "rate*A" + std::to_string(r); },
        [](int r) { return "A" + std::to_string(r) + " A" + std::to_string(r) + ":B" + std::to_string(r); },
        [](int r) { return "\"A2\"&A" + std::to_string(r); },
        [](int r) { return "A" + std::to_string(r + 1) + "-A" + std::to_string(r - 1); },
    };
    std::string data;
    for (int r = 2; r <= 7; ++r) {
        std::string row = std::to_string(r);
        data += "<row r=\"" + row + "\"><c r=\"A" + row + "\"><v>" + row + "</v></c><c r=\"B" + row + "\"><v>" +
                std::to_string(10 * r) + "</v></c>";
        for (size_t i = 0; i < fills.size(); ++i) {
            std::string cell = ColumnName(static_cast<int>(i) + 3) + row;
            std::string formula = fills[i](r);
            for (auto [from, to] : {std::pair{"&", "&amp;"}, {"\"", "&quot;"}}) {
                for (size_t at = 0; (at = formula.find(from, at)) != std::string::npos; at += std::strlen(to)) {
                    formula.replace(at, 1, to);
                }
            }
            data += "<c r=\"" + cell + "\"><f>" + formula + "</f></c>";
        }
        data += "</row>";
    }
    const std::vector<uint8_t> image =
        Xlsx({{"Main", Worksheet(data)}, {"Other", Worksheet("<row r=\"3\"><c r=\"A3\"><v>7</v></c></row>")}}, "", "",
             "<definedNames><definedName name=\"rate\">Other!$A$3</definedName></definedNames>");
    Workbook loaded;
    loaded.LoadImage(image);
    Workbook parsed;
    parsed.LoadImage(image);
    for (int r = 2; r <= 7; ++r) {
        for (size_t i = 0; i < fills.size(); ++i) parsed.SetCellFormula(r, static_cast<int>(i) + 3, fills[i](r));
    }
    for (int r = 2; r <= 7; ++r) {
        for (size_t i = 0; i < fills.size(); ++i) {
            int column = static_cast<int>(i) + 3;
            EXPECT_EQ(loaded.GetCellFormula(r, column), parsed.GetCellFormula(r, column)) << fills[i](r);
            EXPECT_EQ(loaded.GetCellText(r, column), parsed.GetCellText(r, column)) << fills[i](r);
        }
    }
    EXPECT_EQ(loaded.GetCellText(7, 5), "22");  // SUM(A$4:A7)
    EXPECT_EQ(loaded.GetCellText(3, 5), "7");   // SUM(A3:A$4)
}

TEST(XlsxCells, SharedAndArrayFormulasAreKeptAndComputed) {
    const std::string data =
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:B3\" si=\"0\">A1*10</f><v>10</v></c>"
        "<c r=\"C1\"><f t=\"array\" ref=\"C1:C3\">A1:A3*2</f><v>2</v></c>"
        "<c r=\"D1\"><f t=\"array\" ref=\"D1\">SUM(A1:A3*B1:B3)</f><v>140</v></c>"
        "<c r=\"E1\"><f>ROUND(MAX((E5-5000)*{0.03,0.1,0.2}-{0,210,1410},0),2)</f><v>0</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\"><f t=\"shared\" si=\"0\"/><v>0</v></c><c "
        "r=\"C2\"><v>0</v></c></row>"
        "<row r=\"3\"><c r=\"A3\"><v>3</v></c><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>0</v></c><c "
        "r=\"C3\"><v>0</v></c></row>"
        "<row r=\"5\"><c r=\"E5\"><v>12000</v></c></row>";
    Workbook book;
    book.LoadImage(Xlsx({{"S", Worksheet(data)}}));
    ExpectCells(book, {{2, 2, "20", "A2*10"},
                       {3, 2, "30", "A3*10"},
                       {1, 3, "2", "A1:A3*2"},
                       {2, 3, "4", "A1:A3*2"},
                       {3, 3, "6", "A1:A3*2"},
                       {1, 4, "140", "SUM(A1:A3*B1:B3)"},
                       {1, 5, "490", "ROUND(MAX((E5-5000)*{0.03,0.1,0.2}-{0,210,1410},0),2)"}});
    book.SetCellNumber(2, 1, 5);
    EXPECT_EQ(book.GetCellText(2, 3), "10");
    EXPECT_EQ(book.GetCellText(1, 4), "350");
}

TEST(XlsxCells, AlternateContentTakesTheFirstChoiceAndIgnoredPartsAreNamed) {
    const std::string data = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
    const std::string after =
        "<mc:AlternateContent><mc:Choice Requires=\"x14\"><drawing/></mc:Choice><mc:Fallback><c "
        "r=\"Z9\"><v>9</v></c></mc:Fallback></mc:AlternateContent>";
    Workbook book;
    book.LoadImage(Xlsx({{"S", Worksheet(data, after)}}));
    EXPECT_EQ(book.GetCellText(9, 26), "");
    std::string warnings;
    for (const std::string& w : book.LoadWarnings()) warnings += w + "\n";
    EXPECT_NE(warnings.find("图片和图表"), std::string::npos) << warnings;
}

TEST(XlsxCells, StylesGiveFormatsAndBold) {
    const std::string styles =
        "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.00E+00\"/></numFmts>"
        "<fonts count=\"2\"><font/><font><b/></font></fonts>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"1\"/></cellStyleXfs>"
        "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\"/><xf numFmtId=\"164\" fontId=\"0\"/><xf numFmtId=\"10\" "
        "fontId=\"1\"/></cellXfs>";
    const std::string data =
        "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1234.5</v></c><c r=\"B1\" s=\"2\"><v>0.125</v></c><c "
        "r=\"C1\"><v>3</v></c></row>";
    Workbook book;
    book.LoadImage(Xlsx({{"S", Worksheet(data)}}, "", styles));
    EXPECT_EQ(book.GetStyle(1, 1).numberFormat, "0.00E+00");
    EXPECT_FALSE(book.GetStyle(1, 1).bold);
    EXPECT_TRUE(book.GetStyle(1, 2).bold);
    EXPECT_EQ(book.GetCellText(1, 2), "12.50%");
    EXPECT_FALSE(book.GetStyle(1, 3).bold);
}

TEST(OdsCells, ValueTypesSpansRepeatsAndNames) {
    const std::string tables = R"xml(
<table:table table:name="First">
 <table:table-row table:number-rows-repeated="2">
  <table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>合并</text:p></table:table-cell>
  <table:covered-table-cell/>
  <table:table-cell office:value-type="percentage" office:value="0.25"/>
  <table:table-cell office:value-type="currency" office:currency="CNY" office:value="3.5"/>
  <table:table-cell office:value-type="boolean" office:boolean-value="true"/>
  <table:table-cell office:value-type="time" office:time-value="PT12H30M00S"/>
  <table:table-cell office:value-type="date" office:date-value="2024-03-01T06:00:00"/>
 </table:table-row>
 <table:table-row>
  <table:table-cell table:formula="of:=SUM([.C1:.C2])+[$Second.A1]+rate" office:value-type="float" office:value="0"/>
  <table:table-cell table:formula="of:=TRUE()" office:value-type="boolean" office:boolean-value="true"/>
  <table:table-cell table:number-columns-repeated="3" office:value-type="float" office:value="4"/>
  <table:table-cell table:formula="of:=SUM({1;2|3;4})" office:value-type="float" office:value="10"/>
 </table:table-row>
 <table:table-row table:number-rows-repeated="1048570"><table:table-cell table:style-name="Default" table:number-columns-repeated="16384"/></table:table-row>
</table:table>
<table:table table:name="Second">
 <table:table-row><table:table-cell office:value-type="float" office:value="7"/></table:table-row>
</table:table>
<table:named-expressions><table:named-range table:name="rate" table:base-cell-address="$First.$A$1" table:cell-range-address="$First.$E$3"/></table:named-expressions>)xml";
    Workbook book;
    book.LoadImage(OdsImage(tables));
    ExpectCells(book, {{1, 1, "合并", ""},
                       {1, 2, "", ""},
                       {2, 3, "0.25", ""},
                       {1, 4, "3.5", ""},
                       {1, 5, "TRUE", ""},
                       {1, 6, "0.5208333333", ""},
                       {1, 7, "45352.25", ""},
                       {3, 1, "11.5", "SUM(C1:C2)+Second!A1+rate"},
                       {3, 2, "TRUE", "TRUE()"},
                       {3, 5, "4", ""},
                       {3, 6, "10", "SUM({1,2;3,4})"}});
    EXPECT_EQ(book.UsedRows(), 3);
}

// Merged blocks show merged from either kind of file, and move with rows inserted above or through
// them as spreadsheet apps move them.
TEST(MergedCells, BothFileKindsMergeAndInsertedRowsMoveTheBlocks) {
    Workbook xlsx;
    xlsx.LoadImage(Xlsx({{"S", Worksheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>编号</t></is></c></row>",
                                         "<mergeCells><mergeCell ref=\"A1:B2\"/><mergeCell ref=\"D5:D3\"/>"
                                         "<mergeCell ref=\"F1:F1\"/></mergeCells>")}}));
    Workbook ods;
    ods.LoadImage(OdsImage(R"xml(<table:table table:name="S">
 <table:table-row><table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="2"
   office:value-type="string"><text:p>编号</text:p></table:table-cell><table:covered-table-cell/></table:table-row>
 <table:table-row><table:covered-table-cell table:number-columns-repeated="2"/></table:table-row>
 <table:table-row><table:table-cell table:number-columns-repeated="3"/><table:table-cell table:number-rows-spanned="3"/></table:table-row>
 <table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-repeated="3"/><table:covered-table-cell/></table:table-row>
</table:table>)xml"));
    for (Workbook* book : {&xlsx, &ods}) {
        EXPECT_EQ(book->MergedBlocks(), (std::vector<CellBlock>{{1, 1, 2, 2}, {3, 4, 5, 4}}));
        EXPECT_EQ(book->GetCellText(1, 1), "编号");
        EXPECT_EQ(book->MergedBlockAt(2, 2), (CellBlock{1, 1, 2, 2}));
        EXPECT_EQ(book->MergedBlockAt(2, 3), std::nullopt);
        EXPECT_TRUE(book->LoadWarnings().empty()) << book->LoadWarnings().front();
        book->InsertRows(2);
        EXPECT_EQ(book->MergedBlocks(), (std::vector<CellBlock>{{1, 1, 3, 2}, {4, 4, 6, 4}}));
        book->InsertRows(1);
        EXPECT_EQ(book->MergedBlocks(), (std::vector<CellBlock>{{2, 1, 4, 2}, {5, 4, 7, 4}}));
    }
}

TEST(MergedCells, ANewBlockUndoesTheBlocksItOverlaps) {
    Workbook book;
    EXPECT_TRUE(book.MergeCells({1, 1, 2, 2}));
    EXPECT_TRUE(book.MergeCells({5, 1, 5, 3}));
    EXPECT_TRUE(book.MergeCells({2, 2, 3, 3}));
    EXPECT_EQ(book.MergedBlocks(), (std::vector<CellBlock>{{5, 1, 5, 3}, {2, 2, 3, 3}}));
    EXPECT_THROW(book.MergeCells({3, 3, 2, 2}), SheetError);
}

// A workbook saved with 1904 dates keeps its serial numbers; they show, and date functions count,
// from 1904-01-01, so 43904 is 2024-03-15 there (45366 in a 1900 workbook).
TEST(XlsxDates, A1904WorkbookShowsAndComputesItsOwnSerials) {
    std::string cells =
        "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>43904</v></c></row>"
        "<row r=\"2\"><c r=\"A2\" s=\"1\"><f>A1+1</f></c></row>"
        "<row r=\"3\"><c r=\"A3\"><f>YEAR(A1)*10000+MONTH(A1)*100+DAY(A1)</f></c></row>"
        "<row r=\"4\"><c r=\"A4\"><f>DATE(2024,3,15)</f></c></row>"
        "<row r=\"5\"><c r=\"A5\"><f>TEXT(A1,\"yyyy-mm-dd ddd\")</f></c></row>"
        "<row r=\"6\"><c r=\"A6\"><f>EOMONTH(A1,0)-A1</f></c></row>"
        "<row r=\"7\"><c r=\"A7\"><f>DATE(1903,12,31)</f></c></row>";
    std::string styles = "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs>";
    Workbook book;
    book.LoadImage(Xlsx({{"S", Worksheet(cells)}}, "", styles, "<workbookPr date1904=\"1\"/>"));
    EXPECT_EQ(book.Dates(), DateSystem::From1904);
    ExpectCells(book, {{1, 1, "2024/3/15", ""},
                       {2, 1, "2024/3/16", "A1+1"},
                       {3, 1, "20240315", "YEAR(A1)*10000+MONTH(A1)*100+DAY(A1)"},
                       {4, 1, "43904", "DATE(2024,3,15)"},
                       {5, 1, "2024-03-15 Fri", "TEXT(A1,\"yyyy-mm-dd ddd\")"},
                       {6, 1, "16", "EOMONTH(A1,0)-A1"},
                       {7, 1, "#NUM!", "DATE(1903,12,31)"}});
    EXPECT_TRUE(book.LoadWarnings().empty()) << book.LoadWarnings().front();
    book.Clear();
    EXPECT_EQ(book.Dates(), DateSystem::From1900);
}

// LibreOffice keeps a 1904 workbook's day 0 as its null date; date cells hold calendar dates.
TEST(OdsDates, ANullDateOf1904CountsSerialsFromThere) {
    Workbook book;
    book.LoadImage(OdsImage(R"xml(<table:calculation-settings><table:null-date table:date-value="1904-01-01"/>
</table:calculation-settings><table:table table:name="S"><table:table-row>
<table:table-cell office:value-type="date" office:date-value="2024-03-15"/>
<table:table-cell table:formula="of:=YEAR([.A1])*100+MONTH([.A1])" office:value-type="float" office:value="0"/>
</table:table-row></table:table>)xml"));
    EXPECT_EQ(book.Dates(), DateSystem::From1904);
    EXPECT_EQ(book.GetCellNumber(1, 1), 43904);
    EXPECT_EQ(book.GetCellText(1, 2), "202403");
}

// Files that exhaust a careless reader: each loads or is refused, quickly and with a reason.
TEST(ImportLimits, HugeRepeatsAndDeepNestingAreBounded) {
    const std::string repeated = R"xml(<table:table table:name="T">
 <table:table-row table:number-rows-repeated="1048576"><table:table-cell table:number-columns-repeated="16384" office:value-type="float" office:value="1"/></table:table-row>
</table:table>)xml";
    Workbook book;
    try {
        book.LoadImage(OdsImage(repeated));
        ADD_FAILURE() << "17 billion cells loaded";
    } catch (const LoadError& e) {
        EXPECT_NE(std::string(e.what()).find("单元格超过"), std::string::npos) << e.what();
    }
    std::string deep = std::string(20000, '(') + "1" + std::string(20000, ')');
    book.LoadImage(Xlsx({{"S", Worksheet("<row r=\"1\"><c r=\"A1\"><f>" + deep + "</f></c></row>")}}));
    EXPECT_EQ(book.GetCellText(1, 1), "#NAME?");
    EXPECT_EQ(book.GetCellFormula(1, 1), deep);
    EXPECT_THROW(book.SetCellFormula(2, 1, std::string(300, '(') + "1" + std::string(300, ')')), FormulaError);
    book.SetCellFormula(2, 1, std::string(30000, '-') + "1");
    EXPECT_EQ(book.GetCellText(2, 1), "1");
    EXPECT_THROW(book.SetCellFormula(2, 1, std::string(100000, '-') + "1"), FormulaError);
}

TEST(ImportLimits, RefusedFilesSayWhyInChinese) {
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"xlsb", StoredZip({{"xl/workbook.bin", "x"}, {"_rels/.rels", "<x/>"}})},
        {"no sheets", Xlsx({})},
        {"bad cell address", Xlsx({{"S", Worksheet("<row><c r=\"1A\"><v>1</v></c></row>")}})},
        {"bad shared string",
         Xlsx({{"S", Worksheet("<row><c r=\"A1\" t=\"s\"><v>5</v></c></row>")}}, "<si><t>a</t></si>")},
        {"broken xml", Xlsx({{"S", "<worksheet><sheetData><row>"}})},
    };
    for (const auto& [what, bytes] : files) {
        Workbook book;
        try {
            book.LoadImage(bytes);
            ADD_FAILURE() << what << " loaded";
        } catch (const LoadError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("模板无法读取: ")) << what << ": " << e.what();
        }
        EXPECT_EQ(book.UsedRows(), 0) << what;
    }
}

}  // namespace
}  // namespace keltrov::sheet
