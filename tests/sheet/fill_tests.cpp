// Filling many rows at once: block insertion, formulas filled down by their tokens, row values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

struct MoveCase {
    const char* above;  // formula in B6
    const char* below;  // what B7 holds after filling down
};

TEST(FillDown, MovesAFormulaAsFillingItDownInASpreadsheetAppDoes) {
    const MoveCase cases[] = {
        {"SUM(E6:Y6)", "SUM(E7:Y7)"},
        {"$E$6+E$6", "$E$6+E$6"},
        {"$E6", "$E7"},
        {"LOG10(E6)", "LOG10(E7)"},
        {"1E5+E6", "1E5+E7"},
        {"e6", "E7"},
        {"12+3", "12+3"},
        {"AB99*2", "AB100*2"},
        {"\"E6\"&Sheet2!B3", "\"E6\"&Sheet2!B4"},
        {"'Sheet2'!B3:C$4", "Sheet2!B4:C$4"},
        {"SUM(A:A)+$A6", "SUM(A:A)+$A7"},
        {"SUM(3:4)+SUM($3:4)", "SUM(4:5)+SUM($3:5)"},
        {"SUM(E6:E$6)", "SUM(E$6:E7)"},
        {"SUM(E$6:E6)/E5", "SUM(E$6:E7)/E6"},
        {"A1048576+A1", "#REF!+A2"},
        {"Rate*2+Nowhere", "Rate*2+Nowhere"},
        {"FOO(E6,)+(1)", "FOO(E7,)+(1)"},
        {"SUM({1,2;3,4})&\"月\"", "SUM({1,2;3,4})&\"月\""},
        {"(E6,E7) E6:F9", "(E7,E8) E7:F10"},
        {"-E6%^2", "-E7%^2"},
    };
    for (const MoveCase& c : cases) {
        Workbook book;
        book.AddSheet("Sheet2");
        book.SelectSheet(0);
        book.DefineName("Rate", "Sheet1!A2");
        book.SetCellFormula(6, 2, c.above);
        book.FillFormulasDown(6, 7, 2, 2);
        EXPECT_EQ(book.GetCellFormula(7, 2), c.below) << c.above;
    }
}

// A template row: a sum of the row, a share of a fixed cell above, a running total over the row
// above, a formula that starts lower down, one the engine could not parse, and plain amounts.
TEST(FillDown, EachRowTakesTheFormulaOfTheRowAboveAndCalculates) {
    Workbook book;
    book.SetCellNumber(3, 5, 0.5);  // E3
    for (int r = 6; r <= 10; ++r) {
        book.SetCellNumber(r, 1, r);
        book.SetCellNumber(r, 2, 10 * r);
    }
    book.SetCellFormula(6, 3, "SUM(A6:B6)");
    book.SetCellFormula(6, 4, "C6*$E$3");
    book.SetCellFormula(6, 5, "E5+A6");
    book.SetCellFormula(8, 6, "A8*2");
    book.SetLoadedFormula(6, 7, "1+");
    book.SetCellText(9, 3, "replaced");
    book.SetCellNumber(7, 8, 42);

    book.FillFormulasDown(6, 10, 3, 8);

    for (int r = 7; r <= 10; ++r) {
        const std::string n = std::to_string(r);
        SCOPED_TRACE(r);
        EXPECT_EQ(book.GetCellFormula(r, 3), "SUM(A" + n + ":B" + n + ")");
        EXPECT_EQ(book.GetCellFormula(r, 4), "C" + n + "*$E$3");
        EXPECT_EQ(book.GetCellFormula(r, 5), "E" + std::to_string(r - 1) + "+A" + n);
        EXPECT_EQ(book.GetCellFormula(r, 6), r < 8 ? "" : "A" + n + "*2");
        EXPECT_EQ(book.GetCellKind(r, 7), CellKind::Empty);
        EXPECT_DOUBLE_EQ(book.GetCellNumber(r, 4), 11 * r * 0.5);
    }
    EXPECT_EQ(book.GetCellFormula(6, 7), "1+");
    EXPECT_DOUBLE_EQ(book.GetCellNumber(10, 5), 6 + 7 + 8 + 9 + 10);
    EXPECT_EQ(book.GetCellText(7, 8), "42");

    book.SetCellNumber(3, 5, 2);  // the copies listen to what they read
    book.SetCellNumber(7, 1, 100);
    EXPECT_DOUBLE_EQ(book.GetCellNumber(10, 4), 110 * 2);
    EXPECT_DOUBLE_EQ(book.GetCellNumber(10, 5), 6 + 100 + 8 + 9 + 10);
    EXPECT_DOUBLE_EQ(book.GetCellNumber(7, 4), (100 + 70) * 2);
}

TEST(RowValues, TextsReplaceAnyContentNumbersStayOutOfFormulasAndEmptyLeavesTheCell) {
    Workbook book;
    book.SetCellFormula(2, 1, "1+1");
    book.SetCellFormula(2, 2, "C2*2");
    book.SetCellText(2, 3, "old");
    book.SetCellText(2, 5, "kept");
    book.SetCellText(2, 6, "cleared");
    const std::vector<Value> values{Value::String("code"), Value::Number(7), Value::Number(4), Value(), Value(),
                                    Value::String("")};
    book.SetRowValues(2, 1, values);
    EXPECT_EQ(book.GetCellKind(2, 1), CellKind::Text);
    EXPECT_EQ(book.GetCellText(2, 1), "code");
    EXPECT_EQ(book.GetCellFormula(2, 2), "C2*2");
    EXPECT_EQ(book.GetCellText(2, 2), "8");
    EXPECT_EQ(book.GetCellKind(2, 4), CellKind::Empty);
    EXPECT_EQ(book.GetCellText(2, 5), "kept");
    EXPECT_EQ(book.GetCellKind(2, 6), CellKind::Empty);

    EXPECT_THROW(book.SetRowValues(2, kMaxColumns, values), LimitError);
    EXPECT_THROW(book.SetRowValues(3, 1, std::vector<Value>{Value::Bool(true)}), SheetError);
}

TEST(RowValues, ARowIsRefusedWholeAndMissingCellsGoBetweenTheRowsOwn) {
    Workbook book;
    book.SetCellFormula(1, 2, "1+1");
    book.SetCellText(1, 4, "old");
    book.SetCellFormula(2, 1, "SUM(A1:E1)");
    EXPECT_EQ(book.GetCellNumber(2, 1), 2);

    const std::vector<Value> refused[] = {
        {Value::Number(9), Value::Bool(true)},
        {Value::Number(9), Value::String(std::string(kMaxTextLength + 1, 'x'))},
    };
    for (const std::vector<Value>& values : refused) {
        EXPECT_THROW(book.SetRowValues(1, 1, values), SheetError);
        EXPECT_EQ(book.GetCellKind(1, 1), CellKind::Empty);
    }
    book.SetRowValues(
        1, 1,
        std::vector<Value>{Value::Number(1), Value::Number(7), Value::Number(3), Value::Number(4), Value::Number(5)});
    EXPECT_EQ(book.GetCellFormula(1, 2), "1+1");
    EXPECT_EQ(book.GetCellKind(1, 4), CellKind::Number);
    EXPECT_EQ(book.GetCellNumber(2, 1), 1 + 2 + 3 + 4 + 5);
}

// Cells added among a row's own, before, between and after the written columns, keep every cell
// where it was with its contents, in a row grown cell by cell and in one inserted with room.
TEST(RowValues, AddedCellsLeaveTheRowsOwnCellsInPlace) {
    for (const bool inserted : {false, true}) {
        Workbook book;
        book.SetCellText(1, 1, "left");
        book.SetCellNumber(1, 3, 30);
        book.SetCellFormula(1, 8, "C1*2");
        book.SetCellText(1, 9, "right");
        book.SetNumberFormat(1, 12, "0.00");
        if (inserted) {
            book.SetCellText(2, 1, "below");
            book.InsertRows(2);
            for (int c : {1, 3, 8, 9}) book.SetCellText(2, c, "x");
        }
        const int row = inserted ? 2 : 1;
        book.SetRowValues(row, 2,
                          std::vector<Value>{Value::String("b"), Value::Number(3), Value(), Value::Number(5),
                                             Value::String("f"), Value::String(""), Value::Number(8)});
        const std::vector<std::string> expected =
            inserted ? std::vector<std::string>{"x", "b", "3", "", "5", "f", "", "8", "x"}
                     : std::vector<std::string>{"left", "b", "3", "", "5", "f", "", "6", "right"};
        for (int c = 1; c <= 9; ++c) {
            EXPECT_EQ(book.GetCellText(row, c), expected[c - 1]) << "inserted " << inserted << " column " << c;
        }
        EXPECT_EQ(book.GetCellKind(row, 8), inserted ? CellKind::Number : CellKind::Formula);
        EXPECT_EQ(book.GetStyle(row, 12).numberFormat, "0.00");
    }
}

// A formula reading cells that rows of values are then written over, calculated before the rows
// come, so that only the marking of the written rows can bring it up to date.
struct ReaderCase {
    const char* formula;  // in row 1 of the first sheet
    double afterLoad;     // rows 2..101 hold A=row, B=10, C="x"
    double afterTyping;   // and then 1000 is typed into A50
};

TEST(RowValues, FormulasReadingTheWrittenRowsAreCalculatedAgain) {
    const ReaderCase cases[] = {
        {"SUM(A2:A101)", 5150, 6100},   // a tall range, heard of by its column
        {"SUM(A:A)", 5150, 6100},       // a whole column
        {"A50*2", 100, 2000},           // one cell
        {"SUM(A50:C50)", 60, 1010},     // a short range, heard of by its rows
        {"E1+1", 101, 2001},            // a formula reading the one before, through it
        {"SUM(A2:BZ101)", 6150, 7100},  // a range wider than the columns listened to
        {"Sheet2!A1+1", 62, 62},        // through a formula of another sheet
    };
    Workbook book;
    book.AddSheet("Sheet2");
    book.SetCellFormula(1, 1, "Sheet1!A60+1");
    book.SelectSheet(0);
    for (size_t i = 0; i < std::size(cases); ++i) {
        book.SetCellFormula(1, 3 + static_cast<int>(i), cases[i].formula);
        book.GetCellNumber(1, 3 + static_cast<int>(i));
    }
    for (int r = 2; r <= 101; ++r) {
        book.SetRowValues(r, 1, std::vector<Value>{Value::Number(r), Value::Number(10), Value::String("x")});
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(book.GetCellNumber(1, 3 + static_cast<int>(i)), cases[i].afterLoad) << cases[i].formula;
    }
    book.EnterText(50, 1, "1000");
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(book.GetCellNumber(1, 3 + static_cast<int>(i)), cases[i].afterTyping) << cases[i].formula;
    }
}

TEST(RowValues, RowsInsertedRightAfterAWriteStillBringItToItsReaders) {
    Workbook book;
    book.SetCellFormula(6, 1, "SUM(A2:A5)");
    book.SetCellFormula(6, 2, "A3*2");
    EXPECT_EQ(book.GetCellNumber(6, 1), 0);
    EXPECT_EQ(book.GetCellNumber(6, 2), 0);
    book.SetRowValues(3, 1, std::vector<Value>{Value::Number(5)});
    book.InsertRows(2, 2);
    EXPECT_EQ(book.GetCellNumber(8, 1), 5);
    EXPECT_EQ(book.GetCellNumber(8, 2), 10);
}

// Each write reaches the formulas reading its own sheet and rows, however far apart the writes are.
TEST(RowValues, WritesFarApartOrOnAnotherSheetEachReachTheirReaders) {
    Workbook book;
    book.AddSheet("Sheet2");
    book.SetCellFormula(1, 2, "Sheet1!A5");
    EXPECT_EQ(book.GetCellNumber(1, 2), 0);
    book.SelectSheet(0);
    book.SetCellFormula(1, 2, "Sheet2!A5");
    book.SetCellFormula(1, 3, "A3000");
    EXPECT_EQ(book.GetCellNumber(1, 2) + book.GetCellNumber(1, 3), 0);

    book.SetRowValues(5, 1, std::vector<Value>{Value::Number(1)});
    book.SelectSheet(1);
    book.SetRowValues(5, 1, std::vector<Value>{Value::Number(2)});
    EXPECT_EQ(book.GetCellNumber(1, 2), 1);
    book.SelectSheet(0);
    EXPECT_EQ(book.GetCellNumber(1, 2), 2);

    book.SetRowValues(5, 1, std::vector<Value>{Value::Number(3)});
    book.SetRowValues(3000, 1, std::vector<Value>{Value::Number(4)});
    EXPECT_EQ(book.GetCellNumber(1, 3), 4);
    book.SelectSheet(1);
    EXPECT_EQ(book.GetCellNumber(1, 2), 3);
}

TEST(FillDown, TotalsCalculatedBeforeTheFillCountTheFilledFormulasAndTheRowsWrittenAfter) {
    Workbook book;
    for (int r = 2; r <= 9; ++r) book.SetCellNumber(r, 1, r);
    book.SetCellFormula(2, 2, "A2*2");
    book.SetCellFormula(10, 2, "SUM(B2:B9)");
    EXPECT_EQ(book.GetCellNumber(10, 2), 4);
    book.FillFormulasDown(2, 9, 2, 2);
    EXPECT_EQ(book.GetCellNumber(10, 2), 2 * (2 + 3 + 4 + 5 + 6 + 7 + 8 + 9));
    book.SetRowValues(5, 1, std::vector<Value>{Value::Number(100), Value::Number(1)});
    EXPECT_EQ(book.GetCellFormula(5, 2), "A5*2");
    EXPECT_EQ(book.GetCellNumber(10, 2), 2 * (2 + 3 + 4 + 100 + 6 + 7 + 8 + 9));
}

// Everything a row insertion moves, as text, so that two workbooks can be compared whole.
std::string Dump(const Workbook& book) {
    std::string dump;
    for (int r = 1; r <= 40; ++r) {
        for (int c = 1; c <= 4; ++c) {
            dump += std::to_string(r) + "," + std::to_string(c) + ":" + book.GetCellText(r, c) + "|" +
                    book.GetCellFormula(r, c) + "|" + book.GetStyle(r, c).numberFormat + " ";
        }
    }
    for (const CellBlock& block : book.MergedBlocks()) {
        dump += "merged " + std::to_string(block.firstRow) + "-" + std::to_string(block.lastRow) + " ";
    }
    return dump;
}

void FillTemplate(Workbook& book) {
    for (int r = 2; r <= 9; ++r) {
        book.SetCellNumber(r, 1, r);
        book.SetNumberFormat(r, 2, "0.00");
    }
    book.SetCellFormula(10, 1, "SUM(A2:A9)");
    book.SetCellFormula(11, 2, "$A$10*2+A9+SUM(A3:A4)");
    book.SetCellFormula(1, 3, "SUM(A:A)+A12");
    book.MergeCells({7, 3, 9, 4});
    book.MergeCells({12, 1, 13, 2});
}

TEST(RowInsertion, ManyRowsAtOnceMoveEverythingAsOneRowAtATimeDoes) {
    for (int at : {1, 5, 8, 9, 10, 20}) {
        Workbook once;
        Workbook stepwise;
        FillTemplate(once);
        FillTemplate(stepwise);
        once.InsertRows(at, 4);
        for (int r = at; r < at + 4; ++r) stepwise.InsertRows(r);
        SCOPED_TRACE(at);
        EXPECT_EQ(Dump(once), Dump(stepwise));
        // What goes into the new rows reaches the ranges that grew over them, in both alike.
        once.SetCellNumber(at + 1, 1, 1000);
        stepwise.SetCellNumber(at + 1, 1, 1000);
        EXPECT_EQ(Dump(once), Dump(stepwise));
    }
}

TEST(RowInsertion, ManyRowsAreRefusedWholeWhenTheyWouldPushCellsOffTheSheet) {
    Workbook book;
    book.SetCellNumber(kMaxRows - 2, 1, 1);
    book.SetCellNumber(5, 1, 2);
    EXPECT_THROW(book.InsertRows(5, 3), LimitError);
    EXPECT_EQ(book.GetCellText(kMaxRows - 2, 1), "1");
    EXPECT_EQ(book.GetCellText(5, 1), "2");
    book.InsertRows(5, 2);
    EXPECT_EQ(book.GetCellText(kMaxRows, 1), "1");
    EXPECT_EQ(book.GetCellText(7, 1), "2");
    EXPECT_THROW(book.InsertRows(kMaxRows - 1, 3), LimitError);
    EXPECT_THROW(book.InsertRows(5, 0), SheetError);
}

}  // namespace
}  // namespace keltrov::sheet
