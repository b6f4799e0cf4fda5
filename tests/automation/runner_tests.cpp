// The runner against a dialog of the tests' own: every line kind, the answers it gives, the dump,
// and how a script stops.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/image.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "host/automation/runner.hpp"
#include "platform/sheet/sheet_control.hpp"
#include "platform/ui/interaction.hpp"
#include "platform/ui/message.hpp"
#include "resources/resources.hpp"
#include "tests/automation/script_run.hpp"
#include "tests/automation/test_dialog.hpp"
#include "wages/fill_dlg.hpp"

namespace keltrov::test {
namespace {

using automation::ParseScript;
using automation::ScriptRunner;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class RunnerTest : public ::testing::Test {
protected:
    RunnerTest() : dir(std::filesystem::temp_directory_path() / ("keltrov-runner-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir);
        dialog = new RunnerTestDialog;
    }
    ~RunnerTest() override {
        dialog->Destroy();
        std::filesystem::remove_all(dir);
    }

    // Runs the script in the dialog's modal loop; the failure, or "" when it ran through.
    std::string Run(const std::string& script) {
        const ScriptResult result = RunScriptIn(*dialog, script);
        modalResult = result.modalResult;
        return result.failure;
    }

    std::string Dump(const std::string& script) { return DumpAfterScript(*dialog, script, dir / "dump.json"); }

    std::filesystem::path dir;
    RunnerTestDialog* dialog;
    int modalResult = 0;
};

TEST_F(RunnerTest, ScriptRunsInTheModalLoopAndEndsThroughCancel) {
    EXPECT_EQ(Run("click 8001\nclick 8001"), "");
    EXPECT_THAT(dialog->log, ElementsAre("save", "save"));
    EXPECT_EQ(modalResult, wxID_CANCEL);
}

TEST_F(RunnerTest, SelectFindsNodesByCodeOrPathAndChangesTheSelection) {
    const std::string dump = Dump("select #100001\nselect 总公司/财务部/张伟\nselect #100001001");
    // Selecting the selected item again changes nothing, as a click on it does.
    EXPECT_THAT(dialog->log, ElementsAre("selected 100001", "selected 100001001"));
    EXPECT_THAT(dump, HasSubstr(R"("selected":"100001001")"));
    EXPECT_THAT(dump, HasSubstr(R"("focus":4001)"));
}

TEST_F(RunnerTest, ExpandAndCollapseShowInTheDumpsTree) {
    EXPECT_THAT(Dump("expand #100\nexpand 总公司/财务部\ncollapse #100001"),
                HasSubstr(R"("tree":[{"text":"总公司","code":"100","expanded":true,"children":[)"
                          R"({"text":"财务部","code":"100001","expanded":false,"children":[)"
                          R"({"text":"张伟","code":"100001001","expanded":false,"children":[]}]},)"
                          R"({"text":"人事部","code":"100002","expanded":false,"children":[]}]}],)"
                          R"("selected":null)"));
}

TEST_F(RunnerTest, LinesThatCannotBeCarriedOutStopTheScriptAndCloseTheDialog) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"select #999", "line 2: the tree has no item #999"},
        {"select 总公司/销售部", "line 2: the tree has no item 总公司/销售部"},
        {"click 8002", "line 2: control 8002 is disabled"},
        {"click 1005", "line 2: control 1005 is not a button"},
        {"click 4711", "line 2: the dialog has no control 4711"},
        {"set 8001 x", "line 2: control 8001 is no edit or combo box"},
        {"command 32780", "line 2: the dialog has no command 32780"},
        {"cell 1 1 =SUM(", "line 2: "},
        {"drag #100001001 #100", "line 2: the item #100001001 is inside a collapsed item"},
    };
    for (const auto& [line, failure] : cases) {
        SCOPED_TRACE(line);
        dialog->log.clear();
        EXPECT_THAT(Run("click 8001\n" + line + "\nclick 8001"), ::testing::StartsWith(failure));
        EXPECT_THAT(dialog->log, ElementsAre("save"));
        EXPECT_EQ(modalResult, wxID_CANCEL);
    }
}

TEST_F(RunnerTest, SetTypesWithOneChangeEventAndDateSetsThePicker) {
    const std::string dump = Dump("set 1005 张 三\nset 8000 女\ndate 2024-02-29");
    EXPECT_THAT(dialog->log, ElementsAre("text 1005 张 三", "text 8000 女", "date 2024-02-29 00:00"));
    EXPECT_THAT(dump, HasSubstr(R"("1005":{"text":"张 三","enabled":true})"));
    EXPECT_THAT(dump, HasSubstr(R"("8000":{"text":"女","enabled":true,"items":["男","女"]})"));
    EXPECT_THAT(dump, HasSubstr(R"("8005":{"text":"2024-02-29","enabled":true,"date":"2024-02-29 00:00"})"));
    EXPECT_THAT(dump, HasSubstr(R"("8002":{"text":"修改","enabled":false})"));
}

TEST_F(RunnerTest, AHoverWithoutADragIsAnError) {
    EXPECT_EQ(Run("hover #100 10\nclick 8001"), "line 1: no drag came after this hover");
}

TEST_F(RunnerTest, CellLinesTypeIntoTheSheetAndTheDumpListsEveryCell) {
    const std::string dump = Dump("cell 2 1 工资\ncell 1 2 5200\ncell 2 2 =B1*2\ncurrent 3 4");
    EXPECT_THAT(dump, HasSubstr(R"("sheet":{"next_row":null,"row_capacity":null,"current":[3,4],"cells":[)"
                                R"({"row":1,"col":2,"text":"5200","number":5200,"formula":""},)"
                                R"({"row":2,"col":1,"text":"工资","number":0,"formula":""},)"
                                R"({"row":2,"col":2,"text":"10400","number":10400,"formula":"B1*2"}]})"));
}

TEST_F(RunnerTest, MessagesAreAnsweredFromTheQueueInOrderAndRecorded) {
    std::vector<MessageAnswer> answers;
    dialog->onSave = [&answers] {
        answers.push_back(ShowMessage("保存完成"));
        answers.push_back(ShowMessage("确认删除?", MessageButtons::OkCancel));
    };
    const std::string dump = Dump(
        "answer ok\nanswer ok\nclick 8001\nanswer ok\nanswer cancel\nclick 8001\nexpect-message 保存完成\n"
        "expect-message 确认删除?\nexpect-message 保存完成\nexpect-message 确认删除?\nexpect-no-message");
    // With nothing queued, the box with only OK is answered OK.
    EXPECT_EQ(answers, (std::vector<MessageAnswer>{MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Ok,
                                                   MessageAnswer::Cancel}));
    EXPECT_THAT(dump, HasSubstr(R"("messages":[{"text":"保存完成","buttons":"ok","answer":"ok"},)"
                                R"({"text":"确认删除?","buttons":"okcancel","answer":"ok"},)"
                                R"({"text":"保存完成","buttons":"ok","answer":"ok"},)"
                                R"({"text":"确认删除?","buttons":"okcancel","answer":"cancel"}],"menus":[])"));
}

TEST_F(RunnerTest, MessagesThatDoNotFitTheScriptStopIt) {
    std::vector<MessageAnswer> answers;
    dialog->onSave = [&answers] { answers.push_back(ShowMessage("确认删除?", MessageButtons::OkCancel)); };
    EXPECT_EQ(Run("click 8001\nclick 8001"), "line 1: the confirmation \"确认删除?\" came with no answer queued");
    // Nobody decided, so nothing is deleted.
    EXPECT_EQ(answers, std::vector<MessageAnswer>{MessageAnswer::Cancel});

    dialog->onSave = [] { ShowMessage("保存完成"); };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"answer cancel\nclick 8001", "line 1: the message \"保存完成\" has only OK; it cannot be cancelled"},
        {"click 8001\nexpect-message 保存失败", "line 2: the message was \"保存完成\", not \"保存失败\""},
        {"expect-message 保存完成", "line 1: no message was shown; expected \"保存完成\""},
        {"click 8001\nexpect-no-message", "line 2: a message was shown: \"保存完成\""},
        {"answer ok", "line 1: no message box came for this answer"},
    };
    for (const auto& [script, failure] : cases) EXPECT_EQ(Run(script), failure) << script;
}

// The save button runs a small dialog through the seam and logs how it ended and what it held.
void RunSmallDialogOnSave(RunnerTestDialog& dialog, wxDialog* (*make)()) {
    dialog.onSave = [&dialog, make] {
        wxDialog* small = make();
        std::string entry = std::to_string(RunModalDialog(*small));
        for (wxWindow* child : small->GetChildren()) {
            if (auto* text = dynamic_cast<wxTextCtrl*>(child)) entry += "|" + text->GetValue().utf8_string();
            if (auto* box = dynamic_cast<wxCheckBox*>(child)) entry += box->GetValue() ? "|1" : "|0";
        }
        dialog.log.push_back(entry);
        small->Destroy();
    };
}

TEST_F(RunnerTest, QueuedAnswersFillTheSmallDialogsAndPressTheirButtons) {
    RunSmallDialogOnSave(*dialog, MakeNameDialog);
    EXPECT_EQ(Run("input 新 部门\nclick 8001\ninput-cancel\nclick 8001"), "");
    EXPECT_THAT(dialog->log, ElementsAre("5100|新 部门", "5101|"));
}

wxDialog* MakeRealFillDialog() {
    resources::LoadPayrollResources();
    return new CFillDlg;
}

// The plug-in's own fill dialog: its fields in template order, "确认" and "取消" ending it with 1 and 2.
TEST_F(RunnerTest, FillAnswersFillTheRealFillDialog) {
    RunSmallDialogOnSave(*dialog, MakeRealFillDialog);
    EXPECT_EQ(Run("fill 100|6||+1|1\nclick 8001\nfill-cancel\nclick 8001"), "");
    EXPECT_THAT(dialog->log, ElementsAre("1|100|6||+1|1", "2|||||0"));
}

TEST_F(RunnerTest, ASmallDialogWithoutItsAnswerStopsTheScript) {
    RunSmallDialogOnSave(*dialog, MakeNameDialog);
    EXPECT_EQ(Run("fill 1|||+|0\nclick 8001"),
              "line 2: the name dialog \"输入楼栋/单元名称\" came with no answer queued");
    // It was answered Cancel without being shown.
    EXPECT_THAT(dialog->log, ElementsAre("5101|"));
}

TEST_F(RunnerTest, ASmallDialogThatStaysOpenIsClosedAndReported) {
    dialog->onSave = [] {
        wxDialog* small = MakeNameDialog();
        small->Bind(
            wxEVT_BUTTON, [](wxCommandEvent&) {}, wxID_OK);
        EXPECT_EQ(RunModalDialog(*small), wxID_CANCEL);
        small->Destroy();
    };
    EXPECT_EQ(Run("input x\nclick 8001"), "line 1: name dialog \"输入楼栋/单元名称\" stayed open after 确认");
}

TEST_F(RunnerTest, ScreenshotIsAPngOfTheDialog) {
    const std::string file = (dir / "shot.png").string();
    EXPECT_EQ(Run("select #100\nscreenshot " + file), "");
    wxImage image;
    ASSERT_TRUE(image.LoadFile(file, wxBITMAP_TYPE_PNG));
    EXPECT_EQ(image.GetSize(), dialog->GetClientSize());
}

TEST_F(RunnerTest, ADialogThatClosesOrNeverShowsFailsTheRemainingLine) {
    dialog->onSave = [this] { dialog->EndModal(wxID_OK); };
    EXPECT_EQ(Run("click 8001\n\nclick 8001"), "line 3: the dialog closed before this line");
    ScriptRunner runner(ParseScript("# nothing\nclick 8001"));
    EXPECT_EQ(runner.Finish(), "line 2: the dialog was not shown");
}

TEST_F(RunnerTest, ASecondMainDialogIsClosedAndStopsTheScript) {
    int secondResult = 0;
    dialog->onSave = [&secondResult] {
        auto* second = new RunnerTestDialog;
        second->SetTitle("second");
        secondResult = second->DoModal();
        second->Destroy();
    };
    EXPECT_EQ(Run("click 8001\nclick 8001"), "line 1: a second dialog \"second\" was shown");
    EXPECT_EQ(secondResult, wxID_CANCEL);
}

TEST_F(RunnerTest, AToolkitAssertionStopsTheScript) {
    dialog->onSave = [] { wxFAIL_MSG("broken"); };
    EXPECT_THAT(Run("click 8001\nclick 8001"), ::testing::StartsWith("line 1: toolkit assertion"));
}

}  // namespace
}  // namespace keltrov::test
