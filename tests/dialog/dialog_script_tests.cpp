// The automation runner's key, click, menu, calendar and drag lines against the real dialog: they
// reach its pre-translation, its edit menus, its calendar and its drag as a person's keys and clicks do.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/automation/script_run.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using ::testing::HasSubstr;

class Scripts : public DialogTest {
protected:
    Scripts() : dir(std::filesystem::temp_directory_path() / ("keltrov-scripts-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir);
    }
    ~Scripts() override { std::filesystem::remove_all(dir); }
    void SetUp() override {
        UseDemoData();
        // 证件号 (field_4) is a date column, so it has a calendar.
        database.Exec("update usertabb200 set field_6='D' where field_2='field_4'");
    }

    // Runs the script in a new dialog's modal loop; the failure, or "" when it ran through.
    std::string Run(const std::string& script) {
        dialog = std::make_unique<CPayrollDlg>();
        return RunScriptIn(*dialog, script).failure;
    }

    std::string Dump(const std::string& script) {
        dialog = std::make_unique<CPayrollDlg>();
        return DumpAfterScript(*dialog, script, dir / "dump.json");
    }

    std::filesystem::path dir;
};

TEST_F(Scripts, KeysReachTheDialogsPreTranslationBeforeTheControl) {
    EXPECT_THAT(Dump("key 1005 down"), HasSubstr(R"("focus":8000)"));
    EXPECT_THAT(Dump("key 1009 enter\nkey 8001 down"), HasSubstr(R"("focus":1005)"));
    // Keys the dialog leaves alone do what the toolkit does: Tab moves on, Enter presses a button.
    EXPECT_THAT(Dump("key 1005 tab"), HasSubstr(R"("focus":8000)"));
    EXPECT_THAT(Dump("key 8001 enter"), HasSubstr(R"("8001":{"text":"保存","enabled":false})"));
}

TEST_F(Scripts, RightClickShowsTheFieldsMenuAndAQueuedChoiceReachesTheDialog) {
    const std::string dump = Dump(
        "set 1009 出纳\nkey 8001 up\nmenu 57634\nrightclick 1009\nmenu 57637\nrightclick 1005\n"
        "rightclick 1007\nrightclick 4001");
    EXPECT_THAT(dump, HasSubstr(R"("1005":{"text":"出纳","enabled":true})"));
    // Nothing queued for the last two: they were dismissed.
    EXPECT_THAT(dump, HasSubstr(R"("menus":[["插入列表","删除","拷贝","粘贴"],["插入列表","删除","拷贝","粘贴"],)"
                                R"(["插入当前时间","删除","拷贝","粘贴"],["增加公司","-","删除"]])"));
}

TEST_F(Scripts, MenuChoicesMustBeOnTheMenuAndBeUsed) {
    EXPECT_EQ(Run("menu 32777\nrightclick 1005"),
              "line 1: the menu shown has no command 32777 to choose (插入列表, 删除, 拷贝, 粘贴)");
    EXPECT_EQ(Run("menu 32776"), "line 1: no popup menu came for this choice");
}

TEST_F(Scripts, CalendarAnswersChooseTheDayOrCancel) {
    EXPECT_THAT(Dump("calendar 2006-03-05\ndblclick 1007\ncalendar-cancel\ndblclick 1007\ndblclick 1005"),
                HasSubstr(R"("1007":{"text":"2006-03-05","enabled":true})"));
    EXPECT_EQ(Run("dblclick 1007"), "line 1: the calendar \"\" came with no answer queued");
    EXPECT_EQ(Run("calendar-cancel\ndblclick 1005"), "line 1: no calendar came for this answer");
}

TEST_F(Scripts, DragsRunWithTheEventLoopInBetweenSoAHoverOpensTheItem) {
    // 分公司 is closed: only the hover's timer, running while the pointer rests on it, opens it
    // so that its department can be reached.
    const std::string dump = Dump("expand #100\nexpand #100001\nhover #101 900\ndrag #100001002 #101001\n"
                                  "drag-out #100001001");
    EXPECT_THAT(dump, HasSubstr(R"("code":"101001003")"));
    EXPECT_EQ(database.Rows("select field_1 from usertabb811 where field_2='王芳'"),
              (std::vector<std::vector<std::string>>{{"101001003"}}));
    EXPECT_EQ(database.Rows("select field_1 from usertabb811 where field_2='张伟'"),
              (std::vector<std::vector<std::string>>{{"100001001"}}));
}

}  // namespace
}  // namespace keltrov::test
