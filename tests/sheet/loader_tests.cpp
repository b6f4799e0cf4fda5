#include <gtest/gtest.h>

#include <cstring>

#include "platform/sheet/automation.hpp"
#include "platform/sheet/workbook.hpp"
#include "platform/sheet/workbook_loader.hpp"
#include "platform/util/global_memory.hpp"
#include "tests/sheet/test_images.hpp"

namespace keltrov::sheet {
namespace {

using testing::OdsImage;
using testing::StoredZip;
using testing::XlsxImage;

// Loads an image the way the dialog does: through a global memory block and the automation entry.
void LoadThroughAutomation(Workbook& book, const std::vector<uint8_t>& image) {
    uint32_t handle = GlobalAlloc(image.size());
    std::memcpy(GlobalLock(handle).data(), image.data(), image.size());
    try {
        InvokeSheet(book, {}, dispid::kLoadFromMemory, InvokeKind::Method,
                    {Variant::I4(static_cast<int32_t>(handle)), Variant::I2(0)});
    } catch (...) {
        GlobalFree(handle);
        throw;
    }
    GlobalFree(handle);
}

std::vector<uint8_t> SampleXlsx() {
    return XlsxImage([](lxw_workbook* workbook, lxw_worksheet* sheet) {
        lxw_format* twoDecimals = workbook_add_format(workbook);
        format_set_num_format(twoDecimals, "0.00");
        lxw_format* bold = workbook_add_format(workbook);
        format_set_bold(bold);
        lxw_format* custom = workbook_add_format(workbook);
        format_set_num_format(custom, "#,##0.0\"元\"");
        worksheet_set_column(sheet, 1, 1, 20, nullptr);
        worksheet_write_string(sheet, 0, 0, "工资", bold);
        worksheet_write_number(sheet, 0, 1, 1234.5, twoDecimals);
        worksheet_write_string(sheet, 0, 2, "工资", nullptr);  // the same shared string twice
        worksheet_write_string(sheet, 0, 3, "100001001001001001", nullptr);
        worksheet_write_formula(sheet, 1, 0, "=B1*2", nullptr);
        worksheet_write_formula(sheet, 1, 1, "=SUM(A2,$B$1)", custom);
        worksheet_write_formula(sheet, 2, 0, "=\"x\"&A1", nullptr);
        worksheet_write_formula(sheet, 2, 1, "=IF(B1>1000,ROUND(B1/7,2),0)", nullptr);
        lxw_worksheet* second = workbook_add_worksheet(workbook, "Other");
        worksheet_write_string(second, 0, 0, "not on the first sheet", nullptr);
        worksheet_write_number(second, 9, 9, 5, nullptr);
    });
}

TEST(XlsxImage, LoadsCellsFormulasFormatsAndWidths) {
    Workbook book;
    book.SetCellText(30, 30, "left over");
    LoadThroughAutomation(book, SampleXlsx());

    EXPECT_EQ(book.GetCellText(30, 30), "");
    EXPECT_EQ(book.GetCellText(1, 1), "工资");
    EXPECT_TRUE(book.GetStyle(1, 1).bold);
    EXPECT_EQ(book.GetCellText(1, 2), "1234.50");
    EXPECT_EQ(book.GetStyle(1, 2).numberFormat, "0.00");
    EXPECT_FALSE(book.GetStyle(1, 2).bold);
    EXPECT_EQ(book.GetCellText(1, 3), "工资");
    EXPECT_EQ(book.GetCellKind(1, 4), CellKind::Text);
    EXPECT_EQ(book.GetCellText(1, 4), "100001001001001001");
    EXPECT_EQ(book.GetCellFormula(2, 1), "B1*2");
    EXPECT_EQ(book.GetCellText(2, 1), "2469");
    EXPECT_EQ(book.GetCellFormula(2, 2), "SUM(A2,$B$1)");
    EXPECT_EQ(book.GetCellText(2, 2), "3,703.5元");
    EXPECT_EQ(book.GetCellText(3, 1), "x工资");
    EXPECT_EQ(book.GetCellText(3, 2), "176.36");
    EXPECT_NEAR(book.GetColumnWidth(2), 20.0, 1.0);
    EXPECT_EQ(book.UsedRows(), 3);
    EXPECT_EQ(book.UsedColumns(), 4);

    book.SetCellNumber(1, 2, 10);
    EXPECT_EQ(book.GetCellText(2, 1), "20");
    EXPECT_EQ(book.GetCellText(2, 2), "30.0元");
    EXPECT_EQ(book.GetCellText(3, 2), "0");
}

// What a loaded image shows of its first sheet, its other sheets and its layout, as one text.
std::string Shown(Workbook& book) {
    std::string shown = std::to_string(book.SheetCount()) + " sheets, last " + book.SheetName(book.SheetCount() - 1) +
                        "; width " + std::to_string(book.GetColumnWidth(2));
    book.SelectSheet(0);
    for (int r = 1; r <= 6; ++r) {
        for (int c = 1; c <= 5; ++c) {
            shown += "\n" + book.GetCellText(r, c) + "|" + book.GetCellFormula(r, c) + "|" +
                     book.GetStyle(r, c).numberFormat + (book.GetStyle(r, c).bold ? "|bold" : "");
        }
    }
    return shown;
}

// Loading the same bytes again gives the image as it was, whatever happened to the sheet since, and
// other bytes give their own image.
TEST(ImageReload, TheSameBytesGiveTheImageAsLoadedAndOtherBytesTheirOwn) {
    const std::vector<uint8_t> image = SampleXlsx();
    const std::vector<uint8_t> other = XlsxImage([](lxw_workbook*, lxw_worksheet* sheet) {
        worksheet_write_string(sheet, 0, 0, "另一个模板", nullptr);
        worksheet_write_formula(sheet, 1, 0, "=LEN(A1)", nullptr);
    });
    std::vector<uint8_t> broken = image;
    broken.resize(broken.size() / 2);
    Workbook book;
    LoadThroughAutomation(book, image);
    const std::string loaded = Shown(book);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        book.SetCellNumber(1, 2, 10);
        book.SetCellFormula(4, 1, "A2+1");
        book.InsertRows(1, 2);
        book.AddSheet("Added");
        const uint64_t changes = book.ChangeCount();
        LoadThroughAutomation(book, image);
        EXPECT_GT(book.ChangeCount(), changes);
        EXPECT_EQ(Shown(book), loaded);
        // The copy's formulas listen to the copy's cells, and move with its rows.
        book.SetCellNumber(1, 2, 10);
        EXPECT_EQ(book.GetCellText(2, 1), "20");
        book.InsertRows(1, 1);
        book.SetCellNumber(2, 2, 100);
        EXPECT_EQ(book.GetCellText(3, 1), "200");
        EXPECT_EQ(book.GetCellText(3, 2), "300.0元");
    }

    LoadThroughAutomation(book, other);
    EXPECT_EQ(book.GetCellText(1, 1), "另一个模板");
    EXPECT_EQ(book.GetCellText(2, 1), "5");
    EXPECT_EQ(book.SheetCount(), 1);
    EXPECT_THROW(LoadThroughAutomation(book, broken), AutomationError);
    EXPECT_EQ(book.UsedRows(), 0);
    LoadThroughAutomation(book, image);
    EXPECT_EQ(Shown(book), loaded);
}

TEST(OdsImage, LoadsTheFirstSheetWithOpenFormulaConverted) {
    const std::string tables = R"xml(
<table:table table:name="Sheet1">
 <table:table-row>
  <table:table-cell office:value-type="string"><text:p>工资</text:p></table:table-cell>
  <table:table-cell office:value-type="float" office:value="12.5"><text:p>12.5</text:p></table:table-cell>
  <table:table-cell office:value-type="string"><text:p>工资</text:p></table:table-cell>
 </table:table-row>
 <table:table-row>
  <table:table-cell table:formula="of:=[.B1]*2" office:value-type="float" office:value="25"><text:p>25</text:p></table:table-cell>
  <table:table-cell table:formula="of:=SUM([.A2];[.$B$1])" office:value-type="float" office:value="37.5"><text:p>37.5</text:p></table:table-cell>
  <table:table-cell table:formula="of:=IF([.B1]&gt;10;&quot;a;b&quot;;&quot;c&quot;)" office:value-type="string"><text:p>a;b</text:p></table:table-cell>
 </table:table-row>
</table:table>
<table:table table:name="Sheet2">
 <table:table-row><table:table-cell office:value-type="float" office:value="99"><text:p>99</text:p></table:table-cell></table:table-row>
</table:table>)xml";
    Workbook book;
    LoadThroughAutomation(book, OdsImage(tables));

    EXPECT_EQ(book.GetCellText(1, 1), "工资");
    EXPECT_EQ(book.GetCellText(1, 3), "工资");
    EXPECT_DOUBLE_EQ(book.GetCellNumber(1, 2), 12.5);
    EXPECT_EQ(book.GetCellFormula(2, 1), "B1*2");
    EXPECT_EQ(book.GetCellFormula(2, 2), "SUM(A2,$B$1)");
    EXPECT_EQ(book.GetCellFormula(2, 3), "IF(B1>10,\"a;b\",\"c\")");
    EXPECT_EQ(book.GetCellText(2, 2), "37.5");
    EXPECT_EQ(book.GetCellText(2, 3), "a;b");
    EXPECT_EQ(book.UsedRows(), 2);

    book.SetCellNumber(1, 2, 1);
    EXPECT_EQ(book.GetCellText(2, 2), "3");
    EXPECT_EQ(book.GetCellText(2, 3), "c");
}

TEST(OdsImage, DatesFarOutsideTheCalendarStillLoadAsNumbers) {
    const std::string tables = R"xml(
<table:table table:name="Sheet1">
 <table:table-row>
  <table:table-cell office:value-type="date" office:date-value="2147483647-12-31"><text:p>x</text:p></table:table-cell>
  <table:table-cell office:value-type="date" office:date-value="-2147483647-01-01"><text:p>x</text:p></table:table-cell>
  <table:table-cell office:value-type="date" office:date-value="2024-03-01"><text:p>x</text:p></table:table-cell>
 </table:table-row>
</table:table>)xml";
    Workbook book;
    LoadThroughAutomation(book, OdsImage(tables));
    EXPECT_GT(book.GetCellNumber(1, 1), 1e11);
    EXPECT_LT(book.GetCellNumber(1, 2), -1e11);
    EXPECT_DOUBLE_EQ(book.GetCellNumber(1, 3), 45352);
}

TEST(OpenFormula, ConvertsToA1) {
    const std::pair<const char*, const char*> cases[] = {
        {"of:=[.E6]+[.F6]", "E6+F6"},
        {"of:=SUM([.E6:.L6])", "SUM(E6:L6)"},
        {"of:=ROUND([$Sheet1.$A$1];2)", "ROUND('Sheet1'!$A$1,2)"},
        {"=[.A1]&\"[x;y]\"", "A1&\"[x;y]\""},
    };
    for (const auto& [open, a1] : cases) {
        EXPECT_EQ(OpenFormulaToA1(open), a1) << open;
    }
}

TEST(BrokenImage, LeavesAnEmptyWorkbookAndSaysWhy) {
    std::vector<uint8_t> truncated = SampleXlsx();
    truncated.resize(truncated.size() / 2);
    std::vector<uint8_t> badContent = OdsImage("<table:table");  // an ods whose content.xml is cut off
    const std::pair<const char*, std::vector<uint8_t>> images[] = {
        {"text", {'h', 'e', 'l', 'l', 'o'}},
        {"zip of something else", StoredZip({{"readme.txt", "hello"}})},
        {"truncated xlsx", truncated},
        {"ods with broken xml", badContent},
    };
    for (const auto& [what, image] : images) {
        Workbook book;
        book.SetCellNumber(1, 1, 1);
        try {
            LoadThroughAutomation(book, image);
            ADD_FAILURE() << what << " loaded";
        } catch (const AutomationError& e) {
            EXPECT_GT(std::strlen(e.what()), 10u) << what;
        }
        EXPECT_EQ(book.UsedRows(), 0) << what;
    }
}

}  // namespace
}  // namespace keltrov::sheet
