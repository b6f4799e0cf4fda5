// Range fill through the sheet's "填充" command and the real fill dialog.
#include <set>

#include "data/period_key.hpp"
#include "platform/sheet/value.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tests/dialog/modal_answers.hpp"

namespace keltrov::test {
namespace {

constexpr int kLastSheetRow = sheet::kMaxRows;

struct Request {
    std::string text;
    std::string start;
    std::string end;
    std::string op;
    bool before = false;
};

class Fill : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        Open();
        Select("100");  // four persons: rows 6 to 9
    }

    sheet::SheetControl& SheetWindow() const { return *wxStaticCast(&Control(ids::kWageSheet), sheet::SheetControl); }
    void Type(int row, int column, const std::string& text) { SheetWindow().EnterCellText(row, column, text); }
    double Number(int row, int column) const { return Sheet().GetCellNumber(row, column); }
    std::string CellText(int row, int column) const { return Sheet().GetCellText(row, column); }

    // The current cell's row plays no part: only its column is filled.
    void FillColumn(int column, const Request& request, int button = kIdOk) {
        SheetWindow().SetCurrentCell(1, column);
        answers.queue.push_back({{{ids::kFillTextEdit, request.text},
                                  {ids::kFillStartRowEdit, request.start},
                                  {ids::kFillEndRowEdit, request.end},
                                  {ids::kFillOperatorEdit, request.op},
                                  {ids::kFillBeforeCheck, request.before ? "1" : "0"}},
                                 button});
        Command(ids::kFillRangeCommand);
    }

    // Every cell of rows 1 to 12, as the sheet shows it.
    std::vector<std::string> Snapshot() const {
        std::vector<std::string> cells;
        for (int r = 1; r <= 12; ++r)
            for (int c = 1; c <= 26; ++c) cells.push_back(CellText(r, c));
        return cells;
    }

    ModalAnswers answers;
};

TEST_F(Fill, NumberColumnsFromColumnFourCombineEachCellWithTheValue) {
    struct Case {
        int column;
        Request request;
        double row6;
        double row7;
    };
    // Rows 6 and 7 of the column hold 10 and 4.
    const std::vector<Case> cases{
        {5, {"2", "6", "7", "*", false}, 20, 8},  {5, {"2", "6", "7", "*", true}, 20, 8},
        {5, {"2", "6", "7", "+", false}, 12, 6},  {5, {"2", "6", "7", "+", true}, 12, 6},
        {5, {"2", "6", "7", "-", false}, 8, 2},   {5, {"2", "6", "7", "-", true}, -8, -2},
        {5, {"2", "6", "7", "/", false}, 5, 2},   {5, {"2", "6", "7", "/", true}, 0.2, 0.5},
        {5, {"2", "6", "7", "+5", false}, 12, 6},  // only the operator's first character counts
        {4, {"2", "6", "7", "+", false}, 12, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.column) + " " + c.request.op + (c.request.before ? " before" : " after"));
        Type(6, c.column, "10");
        Type(7, c.column, "4");
        Type(8, c.column, "3");
        FillColumn(c.column, c.request);
        EXPECT_DOUBLE_EQ(Number(6, c.column), c.row6);
        EXPECT_DOUBLE_EQ(Number(7, c.column), c.row7);
        EXPECT_DOUBLE_EQ(Number(8, c.column), 3);
    }
    EXPECT_EQ(answers.titles, std::vector<std::string>(cases.size(), "表格填充"));
}

TEST_F(Fill, TextColumnsJoinAndOtherOperatorsWriteTheText) {
    struct Case {
        int column;
        Request request;
        std::string row6;
        std::string row7;
    };
    // Rows 6 and 7 of the column hold "甲" and "10".
    const std::vector<Case> cases{
        {2, {"丙", "6", "7", "+", false}, "甲丙", "10丙"}, {2, {"丙", "6", "7", "-", true}, "丙甲", "丙10"},
        {3, {"丙", "6", "7", "*", false}, "甲丙", "10丙"}, {3, {"1", "6", "7", "/", true}, "1甲", "110"},
        {2, {"丙", "6", "7", "", true}, "丙", "丙"},       {2, {"", "6", "7", "", false}, "", ""},
        {5, {"7.5", "6", "7", " +", false}, "7.5", "7.5"}, {5, {"", "6", "7", "x", false}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.column) + " '" + c.request.op + (c.request.before ? "' before" : "' after"));
        Type(6, c.column, "甲");
        Type(7, c.column, "10");
        FillColumn(c.column, c.request);
        EXPECT_EQ(CellText(6, c.column), c.row6);
        EXPECT_EQ(CellText(7, c.column), c.row7);
        EXPECT_EQ(Sheet().GetCellKind(7, c.column), c.row7.empty() ? sheet::CellKind::Empty : sheet::CellKind::Text);
    }
}

TEST_F(Fill, EmptyRowFieldsFillRowSixToTheNextRowAndNothingIsSaved) {
    ASSERT_EQ(dialog->GetNextRow(), 10);
    const auto stored = database.Rows("select field_1, field_5 from usertabb812 order by relationid, field_1");
    std::vector<double> before;
    for (int r = 5; r <= 11; ++r) before.push_back(Number(r, 5));
    const std::string caption = CellText(5, 5);
    FillColumn(5, {"1", "", "", "+"});
    for (int r = 6; r <= 10; ++r) EXPECT_DOUBLE_EQ(Number(r, 5), before[static_cast<size_t>(r - 5)] + 1) << r;
    EXPECT_EQ(CellText(5, 5), caption);
    EXPECT_EQ(CellText(11, 5), "");
    EXPECT_EQ(dialog->GetNextRow(), 10);
    EXPECT_EQ(database.Rows("select field_1, field_5 from usertabb812 order by relationid, field_1"), stored);
}

TEST_F(Fill, RowFieldsAreReadAsIntegersAndRowsOffTheSheetAreSkipped) {
    struct Case {
        std::string start;
        std::string end;
        std::set<int> rows;
    };
    const std::vector<Case> cases{
        {" 7x", "+8", {7, 8}},
        {"9", "6", {}},
        {"", "7", {6, 7}},
        {"8", "", {8, 9, 10}},
        {"abc", "2", {1, 2}},
        {"-3", "1", {1}},
        {"1048575", "99999999999", {kLastSheetRow - 1, kLastSheetRow}},
    };
    std::vector<int> watched;
    for (int r = 1; r <= 12; ++r) watched.push_back(r);
    watched.insert(watched.end(), {kLastSheetRow - 1, kLastSheetRow});
    int column = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE("from '" + c.start + "' to '" + c.end + "'");
        std::vector<double> before;
        for (int r : watched) before.push_back(Number(r, column));
        FillColumn(column, {"1", c.start, c.end, "+"});
        std::set<int> changed;
        for (size_t i = 0; i < watched.size(); ++i)
            if (Number(watched[i], column) != before[i]) changed.insert(watched[i]);
        EXPECT_EQ(changed, c.rows);
        ++column;
    }
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Fill, CancelChangesNothing) {
    const std::vector<std::string> before = Snapshot();
    FillColumn(5, {"100", "1", "12", "*", true}, kIdCancel);
    FillColumn(2, {"丙", "", "", "", false}, kIdCancel);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(answers.titles.size(), 2U);
}

TEST_F(Fill, AZeroDivisorLeavesTheCellAndTheSheetStillSaves) {
    Type(6, 5, "10");
    Type(7, 5, "0");
    FillColumn(5, {"1e308", "6", "6", "*"});  // beyond any number: the cell keeps its value too
    EXPECT_DOUBLE_EQ(Number(6, 5), 10);
    FillColumn(5, {"0", "6", "7", "/", false});
    EXPECT_DOUBLE_EQ(Number(6, 5), 10);
    EXPECT_DOUBLE_EQ(Number(7, 5), 0);
    FillColumn(5, {"5", "6", "7", "/", true});
    EXPECT_DOUBLE_EQ(Number(6, 5), 0.5);
    EXPECT_DOUBLE_EQ(Number(7, 5), 0);
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"保存完成"});
    EXPECT_EQ(database.Rows("select field_5 from usertabb812 where field_1 in ('100001001','100001002') and "
                            "relationid='" +
                            GetPeriodKey(DateTime::Now(), "B812") + "' order by field_1"),
              (std::vector<std::vector<std::string>>{{Traits().Decimal("0.5")}, {Traits().Decimal("0")}}));
}

}  // namespace
}  // namespace keltrov::test
