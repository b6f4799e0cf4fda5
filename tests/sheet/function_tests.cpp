// The formula language by function group, over a small sheet of data. Expected values are what
// Excel shows; tests/sheet/data/oracle.tsv holds the LibreOffice-computed ones.
#include <gtest/gtest.h>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

struct Case {
    const char* formula;
    const char* shown;
};

// A1:A5 = 1, 2, 3, "x", (blank); B1:B5 = 10, 20, 30, 40, 50; C1:C3 = "a", "b", "a"; D1 = 2024-03-15 12:30.
Workbook& Data() {
    static Workbook book;
    static bool filled = [] {
        for (int r = 1; r <= 3; ++r) book.SetCellNumber(r, 1, r);
        book.SetCellText(4, 1, "x");
        for (int r = 1; r <= 5; ++r) book.SetCellNumber(r, 2, r * 10);
        book.SetCellText(1, 3, "a");
        book.SetCellText(2, 3, "b");
        book.SetCellText(3, 3, "a");
        book.SetCellNumber(1, 4, 45366.520833333333);
        book.SetCellText(2, 4, "Straße");
        return true;
    }();
    (void)filled;
    return book;
}

void ExpectAll(std::initializer_list<Case> cases) {
    Workbook& book = Data();
    for (const Case& c : cases) {
        book.SetCellFormula(10, 10, c.formula);
        EXPECT_EQ(book.GetCellText(10, 10), c.shown) << "=" << c.formula;
    }
    book.ClearCell(10, 10);
}

TEST(Functions, SumsCountsAndStatistics) {
    ExpectAll({{"SUM(A:A)", "6"},
               {"SUM(2:2)", "22"},
               {"SUMPRODUCT(A1:A3,B1:B3)", "140"},
               {"SUMPRODUCT((C1:C3=\"a\")*B1:B3)", "40"},
               {"SUMIF(C1:C3,\"a\",B1:B3)", "40"},
               {"SUMIF(B1:B5,\">25\")", "120"},
               {"SUMIFS(B1:B5,A1:A5,\">1\",C1:C5,\"a\")", "30"},
               {"COUNTIF(C1:C5,\"a*\")", "2"},
               {"COUNTIF(A1:A5,\"<>x\")", "4"},
               {"COUNTIF(A1:A5,1/0)", "0"},  // an error criterion matches only that error
               {"SUMIF(A1:A3,NA(),B1:B3)", "0"},
               {"COUNTIFS(A1:A5,\">=2\",B1:B5,\"<40\")", "2"},
               {"AVERAGEIF(A1:A5,\">1\",B1:B5)", "25"},
               {"MAXIFS(B1:B5,C1:C5,\"a\")", "30"},
               {"MINIFS(B1:B5,C1:C5,\"b\")", "20"},
               {"PRODUCT(A1:A3,2)", "12"},
               {"COUNTBLANK(A1:A5)", "1"},
               {"LARGE(B1:B5,2)", "40"},
               {"SMALL(B1:B5,6)", "#NUM!"},
               {"MEDIAN(B1:B4)", "25"},
               {"RANK(20,B1:B5)", "4"},
               {"RANK(20,B1:B5,1)", "2"},
               {"SUBTOTAL(9,B1:B5)", "150"},
               {"SUBTOTAL(101,B1:B2)", "15"},
               {"MAX((B1:B3-15)*{1;1;2})", "#VALUE!"},  // a range in arithmetic meets the formula's row
               {"MIN({3,1,2})", "1"}});
}

TEST(Functions, RoundingAndArithmetic) {
    ExpectAll({{"MROUND(10,3)", "9"},
               {"MROUND(-10,3)", "#NUM!"},
               {"TRUNC(-8.9)", "-8"},
               {"TRUNC(8.987,2)", "8.98"},
               {"SIGN(-3)", "-1"},
               {"SQRT(16)", "4"},
               {"SQRT(-1)", "#NUM!"},
               {"POWER(2,10)", "1024"},
               {"CEILING(2.5,1)", "3"},
               {"CEILING(-2.5,-2)", "-4"},
               {"FLOOR(2.5,2)", "2"},
               {"CEILING.MATH(-2.5)", "-2"},
               {"FLOOR.MATH(-2.5)", "-3"},
               {"EXP(0)", "1"},
               {"LN(1)", "0"},
               {"LOG(8,2)", "3"},
               {"LOG10(1000)", "3"},
               {"ROUND(PI(),4)", "3.1416"},
               {"ROUND(SIN(RADIANS(30)),10)", "0.5"},
               {"DEGREES(PI())", "180"},
               {"COS(0)+TAN(0)", "1"},
               {"MOD(10,3)", "1"},
               {"0.1+0.2=0.3", "TRUE"},
               {"1/3&\"\"", "0.333333333333333"},
               {"1E20&\"\"", "1E+20"},
               {"\"1,000\"+0", "1000"},
               {"\"50%\"*2", "1"},
               {"\"2024-03-01\"+0", "45352"},
               {"\"$12\"+1", "13"}});
}

TEST(Functions, LogicAndChoice) {
    ExpectAll({{"IFS(A1>1,\"a\",A2>1,\"b\")", "b"},
               {"IFS(FALSE,1)", "#N/A"},
               {"IFNA(NA(),\"none\")", "none"},
               {"IFNA(1/0,2)", "#DIV/0!"},
               {"XOR(TRUE,TRUE,TRUE)", "TRUE"},
               {"CHOOSE(2,\"a\",\"b\",\"c\")", "b"},
               {"CHOOSE(4,\"a\",\"b\",\"c\")", "#VALUE!"},
               {"SWITCH(A2,1,\"one\",2,\"two\",\"many\")", "two"},
               {"SWITCH(9,1,\"one\",\"many\")", "many"},
               {"TRUE()", "TRUE"},
               {"NOT(FALSE())", "TRUE"},
               {"ISBLANK(A5)", "TRUE"},
               {"ISNUMBER(A4)", "FALSE"},
               {"ISTEXT(A4)", "TRUE"},
               {"ISLOGICAL(TRUE)", "TRUE"},
               {"ISERROR(1/0)", "TRUE"},
               {"ISERR(NA())", "FALSE"},
               {"ISNA(NA())", "TRUE"},
               {"\"STRASSE\"=\"strasse\"", "TRUE"},
               {"\"ÄÖÜ\"=\"äöü\"", "TRUE"},
               {"\"Ä\"=\"a\"", "FALSE"}});
}

TEST(Functions, Lookups) {
    ExpectAll({{"VLOOKUP(2,A1:B5,2,FALSE)", "20"},
               {"VLOOKUP(2.5,A1:B3,2)", "20"},
               {"VLOOKUP(9,A1:B3,2,FALSE)", "#N/A"},
               {"VLOOKUP(\"B\",C1:C3,1,FALSE)", "b"},
               {"HLOOKUP(20,B2:B3,2,FALSE)", "30"},
               {"LOOKUP(2.5,A1:A3,B1:B3)", "20"},
               {"MATCH(30,B1:B5,0)", "3"},
               {"MATCH(35,B1:B5)", "3"},
               {"MATCH(\"b*\",C1:C3,0)", "2"},
               {"INDEX(B1:B5,4)", "40"},
               {"INDEX(A1:B3,2,2)", "20"},
               {"INDEX(A1:B3,4,1)", "#REF!"},
               {"ROW()", "10"},
               {"COLUMN(C7)", "3"},
               {"ROWS(A1:B5)", "5"},
               {"COLUMNS(A1:B5)", "2"}});
}

TEST(Functions, TextCountsCharacters) {
    ExpectAll({{"CONCATENATE(\"工\",\"资\",1)", "工资1"},
               {"CONCAT(C1:C3,1)", "aba1"},
               {"TEXTJOIN(\"-\",TRUE,C1:C3,\"\",A5)", "a-b-a"},
               {"LEFT(\"工资表\",2)", "工资"},
               {"RIGHT(\"工资表\")", "表"},
               {"MID(\"工资表\",2,5)", "资表"},
               {"LEN(\"工资表\")", "3"},
               {"LEN(D2)", "6"},
               {"TRIM(\"  a   b \")", "a b"},
               {"UPPER(\"abc\")", "ABC"},
               {"LOWER(\"ABC\")", "abc"},
               {"PROPER(\"hello world\")", "Hello World"},
               {"SUBSTITUTE(\"a-b-c\",\"-\",\"+\")", "a+b+c"},
               {"SUBSTITUTE(\"a-b-c\",\"-\",\"+\",2)", "a-b+c"},
               {"REPLACE(\"工资表\",2,1,\"X\")", "工X表"},
               {"FIND(\"资\",\"工资表\")", "2"},
               {"FIND(\"A\",\"abc\")", "#VALUE!"},
               {"SEARCH(\"B\",\"abc\")", "2"},
               {"SEARCH(\"?c\",\"abcd\")", "2"},
               {"TEXT(1234.5,\"#,##0.00\")", "1,234.50"},
               {"TEXT(D1,\"yyyy-mm-dd\")", "2024-03-15"},
               {"VALUE(\"1,234.5\")", "1234.5"},
               {"REPT(\"ab\",3)", "ababab"},
               {"LEN(REPT(\"a\",32767))", "32767"},
               {"REPT(\"a\",32768)", "#VALUE!"},
               {"EXACT(\"a\",\"A\")", "FALSE"},
               {"FIXED(1234.567,1)", "1,234.6"},
               {"FIXED(1234.567,1,TRUE)", "1234.6"},
               {"T(A1)&T(A4)", "x"},
               {"N(A1)+N(A4)", "1"}});
}

TEST(Functions, DatesAndTimes) {
    ExpectAll({{"DATE(2024,3,1)", "45352"},
               {"DATE(2024,14,1)", "45689"},
               {"YEAR(D1)&\"-\"&MONTH(D1)&\"-\"&DAY(D1)", "2024-3-15"},
               {"HOUR(D1)", "12"},
               {"MINUTE(D1)", "30"},
               {"TIME(12,30,0)&\"\"", "0.520833333333333"},
               {"EDATE(DATE(2024,1,31),1)", "45351"},
               {"EOMONTH(DATE(2024,2,10),0)", "45351"},
               {"DATEDIF(DATE(2020,5,20),DATE(2024,3,15),\"y\")", "3"},
               {"DATEDIF(DATE(2020,5,20),DATE(2024,3,15),\"m\")", "45"},
               {"DATEDIF(DATE(2020,5,20),DATE(2024,3,15),\"md\")", "24"},
               {"WEEKDAY(DATE(2024,3,15))", "6"},
               {"WEEKDAY(DATE(2024,3,17),2)", "7"},
               {"DAYS(DATE(2024,3,15),DATE(2024,3,1))", "14"},
               {"NETWORKDAYS(DATE(2024,3,1),DATE(2024,3,31))", "21"},
               {"TODAY()<=NOW()", "TRUE"},
               {"TODAY()>DATE(2024,1,1)", "TRUE"}});
}

TEST(Functions, TextsStopAtTheCellLimit) {
    Workbook book;
    book.SetCellText(1, 1, std::string(20000, 'a'));
    book.SetCellFormula(2, 1, "A1&A1");
    book.SetCellFormula(3, 1, "A2&A2");
    EXPECT_EQ(book.GetCellText(2, 1), "#VALUE!");
    EXPECT_EQ(book.GetCellText(3, 1), "#VALUE!");
    EXPECT_THROW(book.SetCellText(4, 1, std::string(32768, 'b')), LimitError);
}

}  // namespace
}  // namespace keltrov::sheet

namespace keltrov::sheet {
namespace {

// Whole columns read as arrays stop at the last used row; past a million cells the formula gives
// #NUM! instead of taking the machine's memory.
TEST(Functions, ArraysOverWholeColumnsAreBounded) {
    Workbook book;
    book.SetCellNumber(200000, 1, 3);
    book.SetCellFormula(1, 8, "SUMPRODUCT(A:A*2)");
    book.SetCellFormula(2, 8, "SUMPRODUCT(A:E*1)");
    book.SetCellFormula(3, 8, "SUMPRODUCT(A:F*1)");
    EXPECT_EQ(book.GetCellText(1, 8), "6");
    EXPECT_EQ(book.GetCellText(2, 8), "3");
    EXPECT_EQ(book.GetCellText(3, 8), "#NUM!");
}

}  // namespace
}  // namespace keltrov::sheet
