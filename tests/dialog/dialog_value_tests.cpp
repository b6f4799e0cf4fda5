// Typed values reach the database as typed or are refused with a reason, through the form and the
// sheet; texts stored in another encoding are shown and kept.
#include <wx/datectrl.h>

#include <cmath>
#include <map>
#include <optional>

#include "data/period_key.hpp"
#include "platform/ui/window_text.hpp"
#include "platform/util/datetime.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"

namespace keltrov::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kFormFailure = "数据可能有非法字符,写入数据库错 ";
constexpr int kNumberBox = ids::kIdNumberEdit;
constexpr int kDateBox = ids::kDepartmentEdit;
constexpr int kDateTimeBox = ids::kPositionEdit;

class TypedIntoTheForm : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        DefineForm({{"field_1", "C"},
                    {"field_2", "C"},
                    {"field_4", "N"},
                    {"field_5", "D", "D"},
                    {"field_6", "D", "D", "", "tnow"}});
        Open();
    }
    void Type(int id, const std::string& text) { SetWindowText(Control(id), text); }
    void SaveNewPerson(const std::string& code, int id, const std::string& text) {
        Select("100001");
        Control(ids::kSaveButton).Enable();
        Type(ids::kCodeEdit, code);
        Type(ids::kNameEdit, "新人");
        Type(id, text);
        Click(ids::kSaveButton);
    }
    Rows Stored(const std::string& code, const std::string& column) {
        return database.Rows("select " + column + " from usertabb811 where field_1='" + code + "'");
    }
};

TEST_F(TypedIntoTheForm, ValuesAreStoredAsTypedOrRefusedWithTheReason) {
    struct Typed {
        int control;
        std::string text;
        std::optional<std::string> stored;  // none: refused
        std::string shownAgain = {};
    };
    const std::vector<Typed> cases{
        {kNumberBox, "1e309", std::nullopt},
        {kNumberBox, "-1e309", std::nullopt},
        {kNumberBox, "12.5", "12.5", "12.50"},
        {kNumberBox, "-1e300", "-1.0e+300"},
        {kDateBox, "2024-02-30", std::nullopt},
        {kDateBox, "10000-01-01", std::nullopt},
        {kDateBox, "abc-def", std::nullopt},
        {kDateBox, "0001-01-01", std::nullopt},
        {kDateBox, "1752-12-31", std::nullopt},
        {kDateBox, "2006-05-19'); delete from usertabb811; --", std::nullopt},
        {kDateBox, "abc", std::nullopt},
        {kDateBox, "2958466", std::nullopt},  // the day after 9999-12-31
        {kDateBox, "1753-01-01", "1753-01-01", "1753-01-01"},
        {kDateBox, "2024-2-29", "2024-02-29", "2024-02-29"},
        {kDateBox, "9999-12-31", "9999-12-31", "9999-12-31"},
        {kDateBox, "2958465", "9999-12-31", "9999-12-31"},
        {kDateBox, "2", "1900-01-01", "1900-01-01"},
        {kDateBox, "0", "", ""},
        {kDateTimeBox, "2024-05-06 08:30", "2024-05-06 08:30", "2024-05-06 08:30"},
        {kDateTimeBox, "2024-05-06 24:00", std::nullopt},
    };
    const std::map<int, std::string> columns{{kNumberBox, "field_4"}, {kDateBox, "field_5"}, {kDateTimeBox, "field_6"}};
    int person = 100;
    for (const Typed& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string code = "100001" + std::to_string(++person);
        messages.texts.clear();
        SaveNewPerson(code, c.control, c.text);
        if (!c.stored) {
            ASSERT_EQ(messages.texts.size(), 1u);
            EXPECT_TRUE(messages.texts[0].starts_with(kFormFailure)) << messages.texts[0];
            EXPECT_NE(messages.texts[0].find("“" + c.text + "”"), std::string::npos) << messages.texts[0];
            EXPECT_EQ(Stored(code, "count(*)"), (Rows{{"0"}}));
            EXPECT_FALSE(FindNode(code).IsOk());
            continue;
        }
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_EQ(Stored(code, columns.at(c.control)), (Rows{{*c.stored}}));
        if (c.shownAgain.empty() && !c.stored->empty()) continue;
        Select(code);
        EXPECT_EQ(Text(c.control), c.shownAgain);
    }
}

TEST_F(TypedIntoTheForm, ARefusedModifyKeepsThePersonsRow) {
    const Rows before = Stored("100001001", "field_2, field_5");
    Select("100001001");
    Click(ids::kModifyButton);
    Type(ids::kNameEdit, "改名");
    Type(kDateBox, "2024-02-30");
    Click(ids::kSaveButton);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(messages.texts[0].starts_with(kFormFailure)) << messages.texts[0];
    EXPECT_EQ(Stored("100001001", "field_2, field_5"), before);
}

class TypedIntoTheSheet : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        database.Exec("delete from usertabb812");
        database.Exec("insert into usertabb812 (relationid, field_1, field_2) values('" + ThisMonth() +
                      "', '100001001', '张伟')");
        Open();
        Select("100001001");
    }
    static std::string ThisMonth() { return GetPeriodKey(DateTime::Now(), "B812"); }
    std::string StoredAmount(int column) {
        return database
            .Rows("select field_" + std::to_string(column) + " from usertabb812 where relationid='" + ThisMonth() +
                  "' and field_1='100001001'")
            .at(0)
            .at(0);
    }
};

TEST_F(TypedIntoTheSheet, AmountsAreStoredWholeAndRoundedAsShown) {
    struct Typed {
        std::string text;
        std::optional<std::string> shown;  // none: the display's own rendering is not compared
        std::string stored;
    };
    const std::vector<Typed> cases{{"1.005", "1.01", "1.01"},
                                   {"-1.005", "-1.01", "-1.01"},
                                   {"2.675", "2.68", "2.68"},
                                   {"0.125", "0.13", "0.13"},
                                   {"1234.565", "1234.57", "1234.57"},
                                   {"1e300", std::nullopt, "1.0e+300"},
                                   {"-1e300", std::nullopt, "-1.0e+300"},
                                   {"123456789012.345", "123456789012.35", "123456789012.35"}};
    int column = 5;
    for (const Typed& c : cases) {
        Sheet().SetNumberFormat(6, column, "0.00");
        Sheet().EnterText(6, column, c.text);
        if (c.shown) {
            EXPECT_EQ(Sheet().GetCellText(6, column), *c.shown) << c.text;
        }
        ++column;
    }
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"保存完成"});
    column = 5;
    for (const Typed& c : cases) EXPECT_EQ(StoredAmount(column++), c.stored) << c.text;
}

TEST_F(TypedIntoTheSheet, AnAmountThatIsNoFiniteNumberStopsTheSaveBeforeAnyWrite) {
    Sheet().SetCellNumber(6, 5, 42);
    Sheet().SetCellNumber(6, 6, INFINITY);
    Click(ids::kSaveWagesButton);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"数据读写错，原因可能是第6行的金额不是有效的数字"});
    EXPECT_EQ(StoredAmount(5), "");
}

class OtherEncodings : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        // 张伟 in GBK, and two bytes that are neither UTF-8 nor GBK.
        database.Exec("update usertabb811 set field_2=cast(X'D5C5CEB0' as text) where field_1='100001001'");
        database.Exec("update usertabb811 set field_2=cast(X'41FF' as text) where field_1='100001002'");
        database.Exec("update usertabb810 set field_2=cast(X'B2C6CEF1B2BF' as text) where field_1='100001'");
        Open();
    }
    std::string ItemText(const std::string& code) { return FromWx(Tree().GetItemText(FindNode(code))); }
    std::string StoredName(const std::string& code) {
        return database.Rows("select hex(field_2) from usertabb811 where field_1='" + code + "'").at(0).at(0);
    }
    void ModifyAndSave(const std::string& code) {
        Select(code);
        Click(ids::kModifyButton);
        Click(ids::kSaveButton);
    }
};

TEST_F(OtherEncodings, NamesAreShownAndAnUntouchedNameKeepsItsBytes) {
    EXPECT_EQ(ItemText("100001"), "财务部");
    EXPECT_EQ(ItemText("100001001"), "张伟");
    EXPECT_EQ(ItemText("100001002"), "A\uFFFD");
    Select("100001001");
    EXPECT_EQ(Text(ids::kNameEdit), "张伟");
    Select("100001002");
    EXPECT_EQ(Text(ids::kNameEdit), "A\uFFFD");

    ModifyAndSave("100001001");
    ModifyAndSave("100001002");
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(StoredName("100001001"), "D5C5CEB0");
    EXPECT_EQ(StoredName("100001002"), "41FF");

    // A name the user types over is stored as typed.
    Select("100001001");
    Click(ids::kModifyButton);
    SetWindowText(Control(ids::kNameEdit), "张伟伟");
    Click(ids::kSaveButton);
    EXPECT_EQ(database.Rows("select field_2 from usertabb811 where field_1='100001001'"), (Rows{{"张伟伟"}}));
}

class WageDates : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        Open();
    }
};

// Month keys compare as texts: a year below 1000 would sort after this year.
TEST_F(WageDates, ThePickerOffersTheYearsOfFourDigits) {
    wxDateTime first, last;
    ASSERT_TRUE(wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl)->GetRange(&first, &last));
    EXPECT_EQ(FromWx(first.FormatISODate()), "1900-01-01");
    EXPECT_EQ(FromWx(last.FormatISODate()), "9999-12-31");
    // A date outside the years is not taken: the picker keeps its month.
    auto* picker = wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl);
    const wxDateTime before = picker->GetValue();
    picker->SetValue(wxDateTime(1, wxDateTime::May, 999));
    EXPECT_EQ(FromWx(picker->GetValue().FormatISODate()), FromWx(before.FormatISODate()));
}

}  // namespace
}  // namespace keltrov::test
