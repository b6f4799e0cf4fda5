// The sheet printed to PDF: its pages read back as text with poppler's pdftotext.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sheet/sheet_pdf.hpp"
#include "tests/support/pdf_text.hpp"

namespace keltrov::sheet {
namespace {

namespace fs = std::filesystem;

constexpr int kCaptionRows = 5;
constexpr int kColumns = 30;
constexpr int kPersons = 120;
constexpr int kTotalsRow = kCaptionRows + kPersons + 1;

std::string PersonName(int person) {
    char name[32];
    std::snprintf(name, sizeof name, "职工%03d", person);
    return name;
}

std::string Heading(int column) {
    return "项目" + std::to_string(column);
}

// A wage sheet's form: a merged title, a heading row, an amount format and a totals formula per
// column; wider than a page.
void MakeTemplate(Workbook& book) {
    book.SetCellText(1, 1, "测试公司工资表");
    book.SetBold(1, 1, true);
    book.MergeCells({1, 1, 1, 8});
    book.SetCellText(3, 1, "编号");
    book.SetCellText(3, 2, "姓名");
    for (int c = 3; c <= kColumns; ++c) {
        book.SetCellText(3, c, Heading(c));
        book.SetColumnWidth(c, 13);
    }
}

void AddPersons(Workbook& book, int persons) {
    for (int p = 1; p <= persons; ++p) {
        const int row = kCaptionRows + p;
        book.SetCellText(row, 1, std::to_string(100000 + p));
        book.SetCellText(row, 2, PersonName(p));
        for (int c = 3; c <= kColumns; ++c) {
            book.SetCellNumber(row, c, 1000.5 * c + p);
            book.SetNumberFormat(row, c, "#,##0.00");
        }
    }
    const int totals = kCaptionRows + persons + 1;
    book.SetCellText(totals, 2, "合计");
    for (int c = 3; c <= kColumns; ++c) {
        const std::string column = ColumnName(c);
        book.SetCellFormula(totals, c, "SUM(" + column + "6:" + column + std::to_string(totals - 1) + ")");
        book.SetNumberFormat(totals, c, "#,##0.00");
    }
}

class SheetPdf : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("keltrov-print-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        if (fs::exists(folder_ / "locked")) fs::permissions(folder_ / "locked", fs::perms::owner_all);
        fs::remove_all(folder_);
    }

    std::vector<std::string> Print(const std::string& name) {
        WriteSheetPdf(book_, kCaptionRows, (folder_ / name).string());
        return test::PdfPageTexts(folder_ / name);
    }

    fs::path folder_;
    Workbook book_;
};

// The text as a whole word: "项目3" is not found in "项目30".
bool Holds(const std::string& page, const std::string& text) {
    for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1)) {
        const size_t end = at + text.size();
        if (end == page.size() || page[end] == ' ' || page[end] == '\n') return true;
    }
    return false;
}

// "#,##0.00" written out by hand.
std::string Grouped(double number) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", number);
    const std::string plain = digits;
    const size_t whole = plain.find('.');
    std::string text;
    for (size_t i = 0; i < whole; ++i) {
        if (i > 0 && (whole - i) % 3 == 0) text += ',';
        text += plain[i];
    }
    return text + plain.substr(whole);
}

// Which pages show the text, 0-based.
std::vector<size_t> PagesHolding(const std::vector<std::string>& pages, const std::string& text) {
    std::vector<size_t> found;
    for (size_t i = 0; i < pages.size(); ++i)
        if (Holds(pages[i], text)) found.push_back(i);
    return found;
}

TEST_F(SheetPdf, ALongWideSheetGoesDownThenOverWithItsCaptionsOnEveryPage) {
    MakeTemplate(book_);
    AddPersons(book_, kPersons);
    const std::vector<std::string> pages = Print("month.pdf");
    ASSERT_GT(pages.size(), 2u);

    // The names stand in the first columns: on the first pages only, each once, in order.
    const std::vector<size_t> first = PagesHolding(pages, PersonName(1));
    const std::vector<size_t> last = PagesHolding(pages, PersonName(kPersons));
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(first[0], 0u);
    EXPECT_GT(last[0], first[0]);
    const size_t rowPages = last[0] + 1;
    ASSERT_EQ(pages.size() % rowPages, 0u) << "each band of columns takes as many pages as the first";
    for (int p = 1; p <= kPersons; ++p) EXPECT_EQ(PagesHolding(pages, PersonName(p)).size(), 1u) << PersonName(p);
    // Every page: its number out of all; the title merged over the first columns on their pages.
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(Holds(pages[i], "测试公司工资表"), i < rowPages) << "page " << i + 1;
        EXPECT_TRUE(Holds(pages[i], "第 " + std::to_string(i + 1) + " 页，共 " + std::to_string(pages.size()) + " 页"))
            << pages[i];
    }

    // Each column's heading heads every page of its band; its total, in its format, is on the band's last page.
    struct ColumnCase {
        int column;
    };
    for (ColumnCase c : {ColumnCase{3}, ColumnCase{14}, ColumnCase{kColumns}}) {
        const std::vector<size_t> headed = PagesHolding(pages, Heading(c.column));
        ASSERT_EQ(headed.size(), rowPages) << Heading(c.column);
        double total = 0;
        for (int p = 1; p <= kPersons; ++p) total += 1000.5 * c.column + p;
        EXPECT_EQ(PagesHolding(pages, Grouped(total)), std::vector<size_t>{headed.back()}) << Grouped(total);
    }
    EXPECT_EQ(PagesHolding(pages, Heading(kColumns)).front(), pages.size() - rowPages);
    EXPECT_FALSE(fs::exists(folder_ / "month.pdf.part"));
}

TEST_F(SheetPdf, TheEmptyFormPrintsItsCaptionsOnOnePage) {
    struct Case {
        const char* name;
        bool withTemplate;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"form.pdf", true, {"测试公司工资表", "编号", "姓名", "项目3", "第 1 页，共"}},
        {"blank.pdf", false, {"第 1 页，共 1 页"}},
    };
    for (const Case& c : cases) {
        book_.Clear();
        if (c.withTemplate) MakeTemplate(book_);
        const std::vector<std::string> pages = Print(c.name);
        ASSERT_FALSE(pages.empty()) << c.name;
        for (const std::string& text : c.shown) EXPECT_TRUE(Holds(pages[0], text)) << c.name << ": " << text;
        EXPECT_FALSE(Holds(pages[0], "合计")) << c.name;
    }
}

TEST_F(SheetPdf, AFileThatCannotBeWrittenLeavesNothingAndSaysWhy) {
    MakeTemplate(book_);
    AddPersons(book_, 3);
    // Root writes into any folder of its own; sysfs takes no new file from anyone.
    const fs::path locked = geteuid() == 0 ? fs::path("/sys") : folder_ / "locked";
    if (geteuid() != 0) {
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    }
    struct Case {
        fs::path target;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {locked / "month.pdf", "无法写入该文件夹"},
        {folder_ / "missing" / "month.pdf", "文件夹不存在"},
    };
    for (const Case& c : cases) {
        try {
            WriteSheetPdf(book_, kCaptionRows, c.target.string());
            ADD_FAILURE() << "written: " << c.target;
        } catch (const PdfWriteError& error) {
            EXPECT_EQ(std::string(error.what()), "打印失败：" + c.reason);
        }
        EXPECT_FALSE(fs::exists(c.target));
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(locked)) {
        EXPECT_EQ(entry.path().filename().string().find("month.pdf"), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace keltrov::sheet
