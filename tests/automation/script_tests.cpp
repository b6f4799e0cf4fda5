// The script language: every line kind with its arguments, and the errors that name the line.
#include <gtest/gtest.h>

#include "host/automation/json_writer.hpp"
#include "host/automation/script.hpp"
#include "resources/control_ids.hpp"

namespace keltrov::automation {
namespace {

std::string Id(int id) {
    return std::to_string(id);
}

struct LineCase {
    std::string text;
    LineKind kind;
    std::vector<std::string> args;
};

TEST(ScriptParse, EveryLineKindWithItsArguments) {
    const std::vector<LineCase> cases{
        {"select #100001", LineKind::Select, {"#100001"}},
        {"select 总公司/财务部/张 伟", LineKind::Select, {"总公司/财务部/张 伟"}},
        {"expand 总公司", LineKind::Expand, {"总公司"}},
        {"collapse #100", LineKind::Collapse, {"#100"}},
        {"click 8001", LineKind::Click, {"8001"}},
        {"command 32771", LineKind::Command, {"32771"}},
        {"set 1005 张 三  丰", LineKind::Set, {"1005", "张 三  丰"}},
        {"set 1005 ", LineKind::Set, {"1005", ""}},
        {"date 2024-02-29", LineKind::Date, {"2024-02-29"}},
        {"key 1005 enter", LineKind::Key, {"1005", "enter"}},
        {"key 4001 tab", LineKind::Key, {"4001", "tab"}},
        {"rightclick 4001", LineKind::RightClick, {"4001"}},
        {"dblclick 1009", LineKind::DblClick, {"1009"}},
        {"drag #100001001 总公司/人事 部", LineKind::Drag, {"#100001001", "总公司/人事 部"}},
        {"drag-out #100001001", LineKind::DragOut, {"#100001001"}},
        {"hover #100002 800", LineKind::Hover, {"#100002", "800"}},
        {"cell 6 5 =E6*2 + 1", LineKind::Cell, {"6", "5", "=E6*2 + 1"}},
        {"current 7 1", LineKind::Current, {"7", "1"}},
        {"answer ok", LineKind::Answer, {"ok"}},
        {"answer cancel", LineKind::Answer, {"cancel"}},
        {"input 新 部门", LineKind::Input, {"新 部门"}},
        {"input-cancel", LineKind::InputCancel, {}},
        {"fill 100|||*|0", LineKind::Fill, {"100|||*|0"}},
        {"fill-cancel", LineKind::FillCancel, {}},
        {"calendar 2006-03-05", LineKind::Calendar, {"2006-03-05"}},
        {"calendar-cancel", LineKind::CalendarCancel, {}},
        {"menu 32775", LineKind::Menu, {"32775"}},
        // Controls and commands by name hold their numbers.
        {"click save", LineKind::Click, {Id(ids::kSaveButton)}},
        {"set internal-number 7", LineKind::Set, {Id(ids::kInternalNumberEdit), "7"}},
        {"key tree tab", LineKind::Key, {Id(ids::kOrganisationTree), "tab"}},
        {"rightclick sheet", LineKind::RightClick, {Id(ids::kWageSheet)}},
        {"dblclick id-number", LineKind::DblClick, {Id(ids::kIdNumberEdit)}},
        {"command add-department", LineKind::Command, {Id(ids::kAddDepartmentCommand)}},
        {"menu paste", LineKind::Menu, {Id(ids::kEditPasteCommand)}},
        {"expect-message 保存完成", LineKind::ExpectMessage, {"保存完成"}},
        {"expect-message 插入完成 ", LineKind::ExpectMessage, {"插入完成 "}},
        {"expect-no-message", LineKind::ExpectNoMessage, {}},
        {"dump out dir/state.json", LineKind::Dump, {"out dir/state.json"}},
        {"screenshot shot.png", LineKind::Screenshot, {"shot.png"}},
        {"export 工资 表.xlsx", LineKind::Export, {"工资 表.xlsx"}},
        {"command export", LineKind::Command, {Id(ids::kExportSheetCommand)}},
        {"print-pdf out dir/month.pdf", LineKind::PrintPdf, {"out dir/month.pdf"}},
    };
    for (const LineCase& expected : cases) {
        SCOPED_TRACE(expected.text);
        const std::vector<ScriptLine> lines = ParseScript(expected.text);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].kind, expected.kind);
        EXPECT_EQ(lines[0].args, expected.args);
    }
}

TEST(ScriptParse, SkipsBlankAndCommentLinesAndCountsEveryLine) {
    const auto lines = ParseScript("# a tour\n\nclick 8003\r\n   \n# done\ncurrent 2 3");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].number, 3);
    EXPECT_EQ(lines[0].args, std::vector<std::string>{"8003"});
    EXPECT_EQ(lines[1].number, 6);
    EXPECT_EQ(lines[1].Number(1), 3);
}

TEST(ScriptParse, ErrorsNameTheLineAndTheReason) {
    const std::string kControlNames =
        "code, department, generate, id-number, internal-number, modify, name, position, refresh, refresh-tree, "
        "save, save-wages, sex, sheet, tree, wage-date";
    const std::string kCommandNames =
        "add-company, add-department, add-person, clear, copy, delete, export, fill, insert-list, insert-time, paste";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"clack 8001", "line 2: unknown action 'clack'"},
        {"click", "line 2: click needs 1 argument"},
        {"click eighty", "line 2: click: a control is a number or one of " + kControlNames + ", not 'eighty'"},
        {"click 80 01", "line 2: click: a control is a number or one of " + kControlNames + ", not '80 01'"},
        // A command's name is no control's and the other way round.
        {"click paste", "line 2: click: a control is a number or one of " + kControlNames + ", not 'paste'"},
        {"menu save", "line 2: menu: a command is a number or one of " + kCommandNames + ", not 'save'"},
        {"command Save", "line 2: command: a command is a number or one of " + kCommandNames + ", not 'Save'"},
        {"set 1005", "line 2: set needs 2 arguments"},
        {"key 1005 escape", "line 2: key: a key is enter, down, up or tab, not 'escape'"},
        {"date 2023-02-29", "line 2: date: a date is a real day written YYYY-MM-DD, not '2023-02-29'"},
        {"calendar 2006-3-5", "line 2: calendar: a date is a real day written YYYY-MM-DD, not '2006-3-5'"},
        {"cell 0 1 x", "line 2: cell: a row or column is a number from 1, not '0'"},
        {"current 1", "line 2: current needs 2 arguments"},
        {"hover #100 -5", "line 2: hover: a time is a number of milliseconds, not '-5'"},
        {"answer yes", "line 2: answer: an answer is ok or cancel, not 'yes'"},
        {"fill 1|2|3|+", "line 2: fill: fill takes five fields joined by '|', not '1|2|3|+'"},
        {"fill 1|2|3|+|2", "line 2: fill: the last fill field is 0 or 1, not '2'"},
        {"select #", "line 2: select: a node is #CODE or a path of item texts joined by '/', not '#'"},
        {"select a//b", "line 2: select: a node is #CODE or a path of item texts joined by '/', not 'a//b'"},
        {"drag  #100", "line 2: drag: a node is #CODE or a path of item texts joined by '/', not ''"},
        {"input-cancel now", "line 2: input-cancel takes no argument"},
        {"dump ", "line 2: dump: a file name is missing"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ParseScript("# first\n" + text + "\nclick 1");
            ADD_FAILURE() << "no error for " << text;
        } catch (const ScriptError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(ScriptParse, FillFieldsKeepEmptyOnesAndBlanks) {
    EXPECT_EQ(SplitFillFields("100|||*|0"), (std::vector<std::string>{"100", "", "", "*", "0"}));
    EXPECT_EQ(SplitFillFields(" a b|6|9|+1|1"), (std::vector<std::string>{" a b", "6", "9", "+1", "1"}));
}

TEST(JsonWriter, NestsWithCommasAndEscapesText) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a").BeginArray().Integer(1).Number(2.5).Null().Bool(false).EndArray();
    json.Key("b").BeginObject().EndObject();
    json.Key("say \"hi\"").String("tab\there\nback\\slash\x01");
    json.Key("n").Number(1.0 / 0.0);
    json.EndObject();
    EXPECT_EQ(json.Text(), R"({"a":[1,2.5,null,false],"b":{},"say \"hi\"":"tab\there\nback\\slash\u0001","n":null})");
}

TEST(JsonWriter, KeepsUtf8AndReplacesBrokenBytes) {
    EXPECT_EQ(JsonQuote("住户 €"), "\"住户 €\"");
    // A lone continuation byte, a truncated sequence, an overlong form and a surrogate.
    EXPECT_EQ(JsonQuote("a\x80z"), "\"a\xEF\xBF\xBDz\"");
    EXPECT_EQ(JsonQuote("\xE4\xBD"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonQuote("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
    EXPECT_EQ(JsonQuote("\xED\xA0\x80"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"");
}

TEST(JsonWriter, WritesNumbersExactlyAndShortest) {
    JsonWriter json;
    json.BeginArray().Number(0.1).Number(5200).Number(-1e-7).Integer(-42).EndArray();
    EXPECT_EQ(json.Text(), "[0.1,5200,-1e-07,-42]");
}

}  // namespace
}  // namespace keltrov::automation
