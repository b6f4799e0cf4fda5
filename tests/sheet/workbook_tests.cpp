#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

TEST(WorkbookCells, TextNumberAndFormulaReadAsSpreadsheetAppsShowThem) {
    Workbook book;
    book.SetCellText(1, 1, "100001001001001001");
    book.SetCellText(2, 1, " 12.5 ");
    book.SetCellText(3, 1, "12abc");
    book.SetCellNumber(4, 1, 1234.5);
    book.SetCellFormula(5, 1, "A4*2");
    book.SetCellFormula(6, 1, "\"7\"&\"5\"");
    book.SetCellFormula(7, 1, "1/0");

    EXPECT_EQ(book.GetCellKind(1, 1), CellKind::Text);
    EXPECT_EQ(book.GetCellText(1, 1), "100001001001001001");
    EXPECT_DOUBLE_EQ(book.GetCellNumber(2, 1), 12.5);
    EXPECT_EQ(book.GetCellNumber(3, 1), 0.0);
    EXPECT_EQ(book.GetCellText(4, 1), "1234.5");
    EXPECT_EQ(book.GetCellFormula(4, 1), "");
    EXPECT_DOUBLE_EQ(book.GetCellNumber(5, 1), 2469.0);
    EXPECT_EQ(book.GetCellText(5, 1), "2469");
    EXPECT_DOUBLE_EQ(book.GetCellNumber(6, 1), 75.0);
    EXPECT_EQ(book.GetCellNumber(7, 1), 0.0);
    EXPECT_EQ(book.GetCellText(7, 1), "#DIV/0!");
    EXPECT_EQ(book.GetCellText(9, 9), "");
    EXPECT_EQ(book.GetCellNumber(9, 9), 0.0);
}

// Short texts are held apart from long ones until a formula names their cell: every length on both
// sides of that line reads back whole, is heard by the formulas naming it, and gives way to a formula.
TEST(WorkbookCells, TextsOfEveryLengthReadBackAndReachTheFormulasNamingThem) {
    const std::string texts[] = {"a",          "123456789012345", "1234567890123456",
                                 "员工张三丰", "员工张三丰1",     std::string(300, 'x')};
    Workbook book;
    int row = 0;
    for (const std::string& text : texts) {
        ++row;
        const std::string a = "A" + std::to_string(row);
        book.SetCellText(row, 1, text);
        book.SetCellFormula(row, 2, a + "&\"!\"");
        EXPECT_EQ(book.GetCellText(row, 1), text);
        EXPECT_EQ(book.GetEditText(row, 1), text);
        EXPECT_EQ(book.GetCellText(row, 2), text + "!");
        book.SetCellText(row, 1, text.substr(1) + "z");
        EXPECT_EQ(book.GetCellText(row, 2), text.substr(1) + "z!");
        book.SetCellNumber(row, 1, 5);
        EXPECT_EQ(book.GetCellText(row, 2), "5!");

        book.SetCellText(row, 3, text);
        book.SetCellFormula(row, 3, "1+1");
        EXPECT_EQ(book.GetCellText(row, 3), "2");
        book.SetCellText(row, 3, text);
        EXPECT_EQ(book.GetCellKind(row, 3), CellKind::Text);
        EXPECT_EQ(book.GetCellText(row, 3), text);
        book.SetCellNumber(row, 3, 7);
        EXPECT_EQ(book.GetCellNumber(row, 3), 7);
    }
}

TEST(WorkbookCells, TypingTakesOnlyPlainNumbersAsNumbers) {
    Workbook book;
    const std::pair<const char*, CellKind> typed[] = {
        {" -12.5e1 ", CellKind::Number}, {"1,000", CellKind::Text}, {"50%", CellKind::Text},
        {"2024-03-01", CellKind::Text},  {"$12", CellKind::Text},
    };
    for (const auto& [text, kind] : typed) {
        book.EnterText(1, 1, text);
        EXPECT_EQ(book.GetCellKind(1, 1), kind) << text;
    }
    EXPECT_DOUBLE_EQ(book.GetCellNumber(1, 1), 12);  // a text still reads as the number it spells
}

TEST(WorkbookCells, TypingFollowsTheEntryRule) {
    Workbook book;
    book.EnterText(1, 1, "=1+1");
    book.EnterText(1, 2, " 7 ");
    book.EnterText(1, 3, "7 apples");
    book.EnterText(1, 4, "");
    EXPECT_EQ(book.GetCellKind(1, 1), CellKind::Formula);
    EXPECT_EQ(book.GetCellText(1, 1), "2");
    EXPECT_EQ(book.GetCellKind(1, 2), CellKind::Number);
    EXPECT_EQ(book.GetCellKind(1, 3), CellKind::Text);
    EXPECT_EQ(book.GetCellKind(1, 4), CellKind::Empty);
    EXPECT_EQ(book.GetEditText(1, 1), "=1+1");
    EXPECT_THROW(book.EnterText(1, 1, "=1+"), FormulaError);
    EXPECT_EQ(book.GetCellText(1, 1), "2");
}

TEST(WorkbookCells, CoordinatesOffTheSheetAreRefused) {
    Workbook book;
    const std::pair<int, int> off[] = {{0, 1}, {-1, 1}, {1, 0}, {1, 16385}, {kMaxRows + 1, 1}};
    for (auto [row, col] : off) {
        EXPECT_THROW(book.SetCellNumber(row, col, 1), LimitError) << row << "," << col;
        EXPECT_THROW(book.GetCellText(row, col), LimitError) << row << "," << col;
    }
    book.SetCellNumber(kMaxRows, kMaxColumns, 3);
    EXPECT_EQ(book.GetCellText(kMaxRows, kMaxColumns), "3");
}

TEST(Recalculation, EditsReachEveryDependentFormula) {
    Workbook book;
    book.SetCellNumber(1, 1, 2);         // A1
    book.SetCellFormula(1, 2, "A1*3");   // B1
    book.SetCellFormula(1, 3, "B1+A1");  // C1
    book.SetCellFormula(2, 1, "SUM(A1:C1)");
    EXPECT_EQ(book.GetCellText(1, 3), "8");
    EXPECT_EQ(book.GetCellText(2, 1), "16");

    book.SetCellNumber(1, 1, 5);
    EXPECT_EQ(book.GetCellText(1, 2), "15");
    EXPECT_EQ(book.GetCellText(1, 3), "20");
    EXPECT_EQ(book.GetCellText(2, 1), "40");

    book.SetCellFormula(1, 2, "A1-1");  // replacing a formula drops its old references
    book.SetCellNumber(1, 1, 10);
    EXPECT_EQ(book.GetCellText(1, 3), "19");
    EXPECT_EQ(book.GetCellText(2, 1), "38");

    book.ClearCell(1, 2);
    EXPECT_EQ(book.GetCellText(1, 3), "10");
    EXPECT_EQ(book.GetCellText(2, 1), "20");
}

// A block between computed corners reads cells its formula names nowhere else: edits there reach
// it, and formulas there are calculated before it, in a short block and a tall one.
TEST(Recalculation, ABlockBetweenComputedCornersHearsEveryCellItSpans) {
    Workbook book;
    book.SetCellNumber(1, 1, 1);                                            // A1
    book.SetCellNumber(3, 3, 3);                                            // C3
    book.SetCellFormula(5, 5, "SUM(A1:INDEX(C1:C3,3))");                    // E5 spans A1:C3
    book.SetCellFormula(2, 2, "A1*10");                                     // B2
    book.SetCellFormula(1, 6, "SUM(INDEX(A1:A200,1):INDEX(C1:C200,200))");  // F1 spans A1:C200
    EXPECT_EQ(book.GetCellText(5, 5), "14");
    book.SetCellNumber(1, 1, 2);
    EXPECT_EQ(book.GetCellText(5, 5), "25");
    book.SetCellNumber(3, 2, 100);  // B3
    EXPECT_EQ(book.GetCellText(5, 5), "125");
    book.SetCellNumber(150, 2, 1000);  // B150
    EXPECT_EQ(book.GetCellText(1, 6), "1125");
    book.ClearCell(3, 2);
    EXPECT_EQ(book.GetCellText(5, 5), "25");
    EXPECT_EQ(book.GetCellText(1, 6), "1025");
}

// A cell named by a formula keeps telling it of edits whatever the cell holds in turn, and while
// its row's cells move to make room for new ones.
TEST(Recalculation, ANamedCellKeepsItsDependentsThroughEveryKindOfContent) {
    Workbook book;
    book.SetCellNumber(1, 5, 1);        // E1
    book.SetCellFormula(1, 6, "E1*2");  // F1
    book.SetCellFormula(1, 7, "F1+1");  // G1 names F1 on its own
    EXPECT_EQ(book.GetCellText(1, 7), "3");
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { book.SetCellNumber(1, 6, 5); }, "6"},
        {[&] { book.SetCellText(1, 6, "x"); }, "#VALUE!"},
        {[&] { book.SetCellFormula(1, 6, "E1+10"); }, "12"},
        {[&] { book.SetCellNumber(1, 1, 0); }, "12"},  // A1..D1 come before F1 in the row
        {[&] { book.SetCellNumber(1, 3, 0); }, "12"},
        {[&] { book.SetCellNumber(1, 5, 7); }, "18"},
        {[&] { book.ClearCell(1, 6); }, "1"},
        {[&] { book.SetCellFormula(1, 6, "E1"); }, "8"},
    };
    for (const auto& [step, shown] : steps) {
        step();
        EXPECT_EQ(book.GetCellText(1, 7), shown);
    }
}

// A total above the formulas it adds calculates them first, also after rows move them.
TEST(Recalculation, ATotalCalculatesTheFormulasItCoversFirstWhereverTheyMove) {
    Workbook book;
    book.SetCellFormula(1, 1, "SUM(A3:A9)");  // A1
    book.SetCellFormula(1, 3, "SUM(A:A)");    // C1
    book.SetCellNumber(1, 2, 4);              // B1
    book.SetCellFormula(5, 1, "B1*2");        // A5
    book.SetCellNumber(8, 1, 1);              // A8
    book.RecalculateAll();
    EXPECT_EQ(book.GetCellText(1, 1), "9");
    EXPECT_EQ(book.GetCellText(1, 3), "18");
    book.InsertRows(2);  // A5 is A6 now, the total reads A4:A10
    book.SetCellNumber(1, 2, 10);
    book.RecalculateAll();
    EXPECT_EQ(book.GetCellText(1, 1), "21");
    EXPECT_EQ(book.GetCellText(1, 3), "42");
    EXPECT_EQ(book.GetCellFormula(1, 1), "SUM(A4:A10)");
}

TEST(Recalculation, AFormulaCanReferToCellsFilledLater) {
    Workbook book;
    book.SetCellFormula(1, 1, "B7+SUM(C1:C3)");
    EXPECT_EQ(book.GetCellText(1, 1), "0");
    book.SetCellNumber(7, 2, 4);
    book.SetCellNumber(2, 3, 6);
    EXPECT_EQ(book.GetCellText(1, 1), "10");
    book.SetCellFormula(3, 3, "B7*10");
    EXPECT_EQ(book.GetCellText(1, 1), "50");
}

TEST(Recalculation, LongChainsCalculateWithoutExhaustingTheStack) {
    Workbook book;
    constexpr int kRows = 200000;
    book.SetCellNumber(1, 1, 1);
    for (int r = 2; r <= kRows; ++r) {
        book.SetCellFormula(r, 1, "A" + std::to_string(r - 1) + "+1");
    }
    EXPECT_EQ(book.GetCellText(kRows, 1), std::to_string(kRows));
    book.SetCellNumber(1, 1, 11);
    EXPECT_EQ(book.GetCellText(kRows, 1), std::to_string(kRows + 10));
}

TEST(Recalculation, CircularReferencesShowCircAndRecoverWhenBroken) {
    Workbook book;
    book.SetCellFormula(1, 1, "B1+1");
    book.SetCellFormula(1, 2, "A1+1");
    book.SetCellFormula(1, 3, "A1*2");
    book.SetCellFormula(2, 1, "A2");
    book.SetCellFormula(3, 1, "SUM(A1:A3)");
    EXPECT_EQ(book.GetCellText(1, 3), "#CIRC!");
    EXPECT_EQ(book.GetCellText(1, 1), "#CIRC!");
    EXPECT_EQ(book.GetCellText(1, 2), "#CIRC!");
    EXPECT_EQ(book.GetCellText(2, 1), "#CIRC!");
    EXPECT_EQ(book.GetCellText(3, 1), "#CIRC!");

    book.SetCellNumber(1, 2, 1);
    book.SetCellNumber(2, 1, 5);
    book.SetCellFormula(3, 1, "SUM(A1:A2)");
    EXPECT_EQ(book.GetCellText(1, 1), "2");
    EXPECT_EQ(book.GetCellText(1, 3), "4");
    EXPECT_EQ(book.GetCellText(3, 1), "7");
}

struct InsertCase {
    const char* before;  // formula in B10
    const char* after;   // the same formula, now in B11, after inserting row 10
};

TEST(RowInsertion, ReferencesMoveAsSpreadsheetAppsMoveThem) {
    const InsertCase cases[] = {
        {"A5+A20", "A5+A21"},
        {"A10", "A11"},
        {"A9", "A9"},
        {"$A$20*2", "$A$21*2"},
        {"A$10+$A10", "A$11+$A11"},
        {"SUM(A5:A10)", "SUM(A5:A11)"},
        {"SUM(A5:A9)", "SUM(A5:A9)"},
        {"SUM(A10:A12)", "SUM(A11:A13)"},
        {"SUM($A$5:$A$10)", "SUM($A$5:$A$11)"},
        {"SUM(A1:A3)+A3", "SUM(A1:A3)+A3"},
        {"SUM(C9:D30)/B9", "SUM(C9:D31)/B9"},
    };
    for (const InsertCase& c : cases) {
        Workbook book;
        book.SetCellFormula(10, 2, c.before);
        book.SetCellFormula(2, 5, c.before);  // a formula above the insertion point moves its references too
        book.InsertRows(10);
        EXPECT_EQ(book.GetCellFormula(10, 2), "") << c.before;
        EXPECT_EQ(book.GetCellFormula(11, 2), c.after) << c.before;
        EXPECT_EQ(book.GetCellFormula(2, 5), c.after) << c.before;
    }
}

TEST(RowInsertion, GrownRangesIncludeWhatIsTypedIntoTheNewRow) {
    Workbook book;
    for (int r = 6; r <= 8; ++r) {
        book.SetCellNumber(r, 1, r);
    }
    book.SetCellFormula(10, 1, "SUM(A6:A9)");
    book.SetCellFormula(10, 2, "A8*2");
    EXPECT_EQ(book.GetCellText(10, 1), "21");

    book.InsertRows(9);
    book.SetCellNumber(9, 1, 100);
    EXPECT_EQ(book.GetCellFormula(11, 1), "SUM(A6:A10)");
    EXPECT_EQ(book.GetCellText(11, 1), "121");

    book.InsertRows(7);  // inside the range, moving A8 down as well
    book.SetCellNumber(7, 1, 1000);
    book.SetCellNumber(9, 1, 9);
    EXPECT_EQ(book.GetCellFormula(12, 1), "SUM(A6:A11)");
    EXPECT_EQ(book.GetCellText(12, 1), "1122");
    EXPECT_EQ(book.GetCellFormula(12, 2), "A9*2");
    EXPECT_EQ(book.GetCellText(12, 2), "18");
}

TEST(RowInsertion, TallRangesGrowAndListenToo) {
    Workbook book;
    book.SetCellFormula(1, 2, "SUM(A1:A8000)");
    book.SetCellNumber(4000, 1, 2);
    EXPECT_EQ(book.GetCellText(1, 2), "2");
    book.InsertRows(5000);
    book.SetCellNumber(5000, 1, 3);
    EXPECT_EQ(book.GetCellFormula(1, 2), "SUM(A1:A8001)");
    EXPECT_EQ(book.GetCellText(1, 2), "5");
}

TEST(RowInsertion, NewRowTakesTheFormatsOfTheRowAbove) {
    Workbook book;
    book.SetNumberFormat(6, 5, "0.00");
    book.SetBold(6, 2, true);
    book.SetCellText(7, 2, "below");
    book.InsertRows(7);
    book.SetCellNumber(7, 5, 3);
    EXPECT_EQ(book.GetCellText(7, 5), "3.00");
    EXPECT_TRUE(book.GetStyle(7, 2).bold);
    EXPECT_EQ(book.GetCellText(8, 2), "below");
    EXPECT_FALSE(book.GetStyle(8, 2).bold);
}

TEST(RowInsertion, AtTheTopRowMovesEverythingDown) {
    Workbook book;
    book.SetBold(1, 1, true);
    book.SetCellNumber(1, 1, 4);
    book.SetCellFormula(2, 1, "A1*2");
    book.InsertRows(1);
    EXPECT_EQ(book.GetCellKind(1, 1), CellKind::Empty);
    EXPECT_FALSE(book.GetStyle(1, 1).bold);
    EXPECT_EQ(book.GetCellFormula(3, 1), "A2*2");
    EXPECT_EQ(book.GetCellText(3, 1), "8");
}

TEST(RowInsertion, RefusesToPushCellsOffTheSheet) {
    Workbook book;
    book.SetCellNumber(kMaxRows, 1, 1);
    EXPECT_THROW(book.InsertRows(5), LimitError);
    EXPECT_EQ(book.GetCellText(kMaxRows, 1), "1");
}

TEST(WorkbookLayout, UsedAreaAndCellOrder) {
    Workbook book;
    EXPECT_EQ(book.UsedRows(), 0);
    book.SetCellNumber(3, 4, 1);
    book.SetCellText(1, 7, "x");
    book.SetBold(9, 9, true);  // formatting alone uses no area
    book.SetCellFormula(2, 1, "Z100");
    EXPECT_EQ(book.UsedRows(), 3);
    EXPECT_EQ(book.UsedColumns(), 7);
    std::string order;
    book.ForEachCell([&order](int r, int c) { order += std::to_string(r) + ":" + std::to_string(c) + " "; });
    EXPECT_EQ(order, "1:7 2:1 3:4 ");
}

}  // namespace
}  // namespace keltrov::sheet

namespace keltrov::sheet {
namespace {

// Ranges of each size class (per-row, per-column and one-list listening) on another sheet.
TEST(Recalculation, EditsOnOtherSheetsReachFormulasOverAnyRange) {
    Workbook book;
    int other = book.AddSheet("工资 表");
    for (int r = 1; r <= 200; ++r) book.SetCellNumber(r, 1, 1);
    book.SelectSheet(0);
    book.SetCellFormula(1, 1, "SUM('工资 表'!A1:A3)");
    book.SetCellFormula(2, 1, "SUM('工资 表'!A1:A200)");
    book.SetCellFormula(3, 1, "SUM('工资 表'!A1:BZ200)");
    book.SetCellFormula(4, 1, "SUM('工资 表'!A:A)");
    EXPECT_EQ(book.GetCellText(1, 1), "3");
    EXPECT_EQ(book.GetCellText(4, 1), "200");
    book.SelectSheet(other);
    book.SetCellNumber(2, 1, 11);
    book.SelectSheet(0);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(book.GetCellText(r, 1), r == 1 ? "13" : "210") << r;
    EXPECT_EQ(book.GetCellText(4, 1), "210");
    book.SetCellFormula(2, 1, "1");  // an unregistered range no longer listens
    book.SelectSheet(other);
    book.SetCellNumber(3, 1, 5);
    book.SelectSheet(0);
    EXPECT_EQ(book.GetCellText(2, 1), "1");
    EXPECT_EQ(book.GetCellText(3, 1), "214");
}

}  // namespace
}  // namespace keltrov::sheet
