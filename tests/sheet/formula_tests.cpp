#include <gtest/gtest.h>

#include "platform/sheet/number_format.hpp"
#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

struct FormulaCase {
    const char* formula;
    const char* shown;  // what Excel and LibreOffice show for it
};

// Constant formulas: operator precedence, conversions and the built-in functions.
const FormulaCase kConstantCases[] = {
    {"1+2*3", "7"},
    {"(1+2)*3", "9"},
    {"-2^2", "4"},
    {"2^3^2", "64"},
    {"2*-3", "-6"},
    {"2^-1", "0.5"},
    {"50%", "0.5"},
    {"10+50%", "10.5"},
    {"200%%", "0.02"},
    {"1E3+1", "1001"},
    {"0.1+0.2", "0.3"},
    {"1/3", "0.3333333333"},
    {"2^0.5*2^0.5", "2"},
    {"1/0", "#DIV/0!"},
    {"0^0", "#NUM!"},
    {"(-8)^(1/3)", "#NUM!"},
    {"\"a\"&1+2", "a3"},
    {"3&\"\"", "3"},
    {"\"a\"\"b\"", "a\"b"},
    {"1.5&TRUE", "1.5TRUE"},
    {"1+2=3", "TRUE"},
    {"1<\"a\"", "TRUE"},
    {"\"abc\"=\"ABC\"", "TRUE"},
    {"TRUE>1", "TRUE"},
    {"\"b\">=\"A\"", "TRUE"},
    {"2<>2", "FALSE"},
    {"\"3\"+4", "7"},
    {"-\"2\"", "-2"},
    {"\"x\"+1", "#VALUE!"},
    {"TRUE+TRUE", "2"},
    {"SUM(1,\"2\",TRUE)", "4"},
    {"SUM(\"x\",1)", "#VALUE!"},
    {"sum(1,2)", "3"},
    {"SUM(1,1/0)", "#DIV/0!"},
    {"AVERAGE(1,2,3,4)", "2.5"},
    {"MIN(3,1,2)", "1"},
    {"MAX(3,1,2)", "3"},
    {"COUNT(1,\"2\",\"x\",TRUE)", "3"},
    {"COUNTA(1,\"x\",\"\")", "3"},
    {"MOD(-3,2)", "1"},
    {"MOD(3,-2)", "-1"},
    {"MOD(5.5,2)", "1.5"},
    {"MOD(5,0)", "#DIV/0!"},
    {"ROUND(2.5,0)", "3"},
    {"ROUND(-2.5,0)", "-3"},
    {"ROUND(2.675,2)", "2.68"},
    {"ROUND(1234.5,-2)", "1200"},
    {"ROUNDUP(1.21,1)", "1.3"},
    {"ROUNDUP(-1.21,1)", "-1.3"},
    {"ROUNDDOWN(-1.29,1)", "-1.2"},
    {"ROUNDDOWN(1299,-2)", "1200"},
    {"ROUND(1.5,1E300)", "1.5"},
    {"ROUND(1234,-1E300)", "0"},
    {"ROUNDUP(1.5,-400)", "0"},
    {"ROUNDDOWN(2.5,-2147483648)", "0"},
    {"INT(-1.5)", "-2"},
    {"INT(1.9)", "1"},
    {"ABS(-3)", "3"},
    {"IF(1>2,\"y\",\"n\")", "n"},
    {"IF(FALSE,1)", "FALSE"},
    {"IF(TRUE,1,1/0)", "1"},
    {"IF(\"x\",1,2)", "#VALUE!"},
    {"AND(TRUE,1)", "TRUE"},
    {"AND(TRUE,0)", "FALSE"},
    {"OR(FALSE,0)", "FALSE"},
    {"OR(FALSE,2)", "TRUE"},
    {"NOT(0)", "TRUE"},
    {"IFERROR(1/0,\"bad\")", "bad"},
    {"IFERROR(4,\"bad\")", "4"},
    {"FOO(1)", "#NAME?"},
    {"rate*2", "#NAME?"},
    {"#REF!+1", "#REF!"},
};

TEST(FormulaEvaluation, ConstantFormulasShowWhatSpreadsheetAppsShow) {
    Workbook book;
    for (const FormulaCase& c : kConstantCases) {
        book.SetCellFormula(1, 1, c.formula);
        EXPECT_EQ(book.GetCellText(1, 1), c.shown) << "=" << c.formula;
    }
}

// A1=1, A2="5" (text), A3="x", A4 empty, A5=4.
const FormulaCase kReferenceCases[] = {
    {"SUM(A1:A5)", "5"},
    {"SUM(A1,A2)", "1"},
    {"SUM(A5:A1)", "5"},
    {"COUNT(A1:A5)", "2"},
    {"COUNTA(A1:A5)", "4"},
    {"AVERAGE(A1:A5)", "2.5"},
    {"MIN(A1:A5)", "1"},
    {"MAX(A1:A5)", "4"},
    {"AVERAGE(A4)", "#DIV/0!"},
    {"A1+A4", "1"},
    {"A4&\"z\"", "z"},
    {"A4", "0"},
    {"A2+1", "6"},
    {"A3+1", "#VALUE!"},
    {"A1:A5", "1"},
    {"A2:A5", "#VALUE!"},
    {"$A$1+A$5*$A5", "17"},
    {"AND(A1:A5)", "TRUE"},
    {"IF(A1=1,A3,A5)", "x"},
    // reference operators; the formula sits in row 1, where a range in arithmetic meets it
    {"A1:A5 A5:B9", "4"},
    {"A1 A5", "#NULL!"},
    {"SUM((A1,A5))", "5"},
    {"COUNT((A1:A2,A5))", "2"},
    {"(A1,A5)", "#VALUE!"},
    {"SUM(-A1:A5)", "-1"},
    {"SUM(-A2:A5)", "#VALUE!"},
    {"SUMPRODUCT(-A1:A2)", "-6"},
    {"ROWS(INDEX(A1:A5,0,1))", "5"},
};

TEST(FormulaEvaluation, ReferencesFollowSpreadsheetRulesForTextAndBlanks) {
    Workbook book;
    book.SetCellNumber(1, 1, 1);
    book.SetCellText(2, 1, "5");
    book.SetCellText(3, 1, "x");
    book.SetCellNumber(5, 1, 4);
    for (const FormulaCase& c : kReferenceCases) {
        book.SetCellFormula(1, 2, c.formula);
        EXPECT_EQ(book.GetCellText(1, 2), c.shown) << "=" << c.formula;
    }
}

TEST(FormulaText, IsKeptInA1FormWithoutEqualsSign) {
    const std::pair<const char*, const char*> cases[] = {
        {"=sum(a1:b2)", "SUM(A1:B2)"},
        {"$a$1 + b$2 * $C3", "$A$1+B$2*$C3"},
        {"-(1+2)%", "-(1+2)%"},
        {"IF(A1,,1)", "IF(A1,,1)"},
        {"\"say \"\"hi\"\"\"&ZZ1048576", "\"say \"\"hi\"\"\"&ZZ1048576"},
        {"B5:A1", "A1:B5"},
        {"1.50+1e3", "1.50+1e3"},
        {"SUM(A1:B3  B2:C4)", "SUM(A1:B3 B2:C4)"},  // blanks between references intersect them
        {"SUM((A1, B2:C3),D4)", "SUM((A1,B2:C3),D4)"},
        {"SUM (A1) + A2 ", "SUM(A1)+A2"},
        {"-A1:A3 B2", "-A1:A3 B2"},
        {"sum(index(a1:a5,2):a4)", "SUM(INDEX(A1:A5,2):A4)"},  // a block between computed corners
        {"A1:INDEX(B1:B5,3) B2", "A1:INDEX(B1:B5,3) B2"},
        {"A1:INDEX (B1:B5,3)", "A1:INDEX(B1:B5,3)"},
    };
    Workbook book;
    for (const auto& [entered, kept] : cases) {
        book.SetCellFormula(3, 3, entered);
        EXPECT_EQ(book.GetCellFormula(3, 3), kept) << entered;
    }
}

TEST(FormulaText, MalformedFormulasAreRefusedAndLeaveTheCellAsItWas) {
    const char* malformed[] = {"",           "=",
                               "1+",         "(1",
                               "SUM(1",      "1 2",
                               "\"abc",      "A1:",
                               "ROUND(1)",   "IF(1)",
                               "#FOO!",      "$1A",
                               "1+)",        "A1:B",
                               "NOT(1,2)",   "*2",
                               "A1,B1",      "(A1,)",
                               "'x'A1",      "{1,}",
                               "A1:SUM(B1)", "INDEX(A1:A5,1):",
                               "A1:2",       "1:INDEX(A1:A5,1)"};
    Workbook book;
    book.SetCellNumber(1, 1, 42);
    for (const char* text : malformed) {
        EXPECT_THROW(book.SetCellFormula(1, 1, text), FormulaError) << text;
        EXPECT_EQ(book.GetCellText(1, 1), "42") << text;
    }
}

TEST(NumberFormat, RendersTheCommonXlsxCodes) {
    struct Case {
        double number;
        const char* code;
        const char* shown;
    };
    const Case cases[] = {
        {1234.5, "", "1234.5"},
        {0.1 + 0.2, "General", "0.3"},
        {-5, "", "-5"},
        {1e20, "", "1E+20"},
        {123456789012.5, "", "1.23456789E+11"},
        {1234.567, "0.00", "1234.57"},
        {1234.567, "#,##0.00", "1,234.57"},
        {1234567, "#,##0", "1,234,567"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {-1234.5, "#,##0.00;(#,##0.00)", "(1,234.50)"},
        {0, "0.00;-0.00;\"-\"", "-"},
        {0.256, "0%", "26%"},
        {0.256, "0.0%", "25.6%"},
        {2.5, "0", "3"},
        {0.5, "#.00", ".50"},
        {12, "0.00\"元\"", "12.00元"},
        {7, "[Red]0.0", "7.0"},
        {3.14159, "0.0##", "3.142"},
        {3.1, "0.0##", "3.1"},
        {45000, "yyyy-mm-dd", "2023-03-15"},
        {45366.5208333333, "yyyy\"年\"m\"月\"d\"日\"", "2024年3月15日"},
        {45366.5208333333, "[$-804]yyyy/m/d h:mm", "2024/3/15 12:30"},
        {45366.5208333333, "h:mm:ss AM/PM", "12:30:00 PM"},
        {1.5, "[h]:mm", "36:00"},
        {0.0006944444, "mm:ss.0", "01:00.0"},
        {1234.5, "0.00E+00", "1.23E+03"},
        {0.00012, "0.0E+0", "1.2E-4"},
        {1.25, "# ?/?", "1 1/4"},
        {0.3333333, "?/?\?", "1/3 "},  // the denominator keeps its width
        {2.5, "# ?/8", "2 4/8"},
        {5.5, "# ?/99999999999", "5 50000/99999"},
        {1234.5, "[$¥-804]#,##0.00", "¥1,234.50"},
        {-3, "[$CNY] 0", "-CNY 3"},
        {150, "[>100]\"big\";[<0]\"neg\";0", "big"},
        {50, "[>100]\"big\";[<0]\"neg\";0", "50"},
        {-5, "[>100]\"big\";[<0]\"neg\";0", "neg"},
        {5, "0;-0;0;@", "5"},
        {1234567, "#,##0,", "1,235"},
        // Chinese numerals without a locale tag, as Excel shows them on a Chinese system.
        {1234, "[DBNum1]General", "一千二百三十四"},
        {56, "[DBNum1]0", "五十六"},
        {1234567, "[dbnum1]#,##0", "一百二十三万四千五百六十七"},
        {100001, "[DBNum1]0", "一十万零一"},
        {1.25, "[DBNum1]0.00", "一.二五"},
        {-7, "[DBNum1]0;[DBNum1](0)", "(七)"},
        {7, "[Red][$-804]General", "7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatNumber(c.number, c.code), c.shown) << c.number << " as " << c.code;
    }
}

}  // namespace
}  // namespace keltrov::sheet
