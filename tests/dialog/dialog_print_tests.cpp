// "打印…" on the sheet's menu: the month's preview, and the same pages written to PDF.
#include <unistd.h>
#include <wx/print.h>

#include <filesystem>
#include <optional>

#include "platform/sheet/sheet_pdf.hpp"
#include "platform/ui/print_preview.hpp"
#include "platform/ui/seam.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tests/support/pdf_text.hpp"

namespace keltrov::test {
namespace {

namespace fs = std::filesystem;

class Printing : public DialogTest {
protected:
    void SetUp() override {
        UseDemoData();
        Open();
        Select("100");  // the company's four persons and its totals
        pdf = fs::temp_directory_path() / ("keltrov-month-" + std::to_string(getpid()) + ".pdf");
    }
    void TearDown() override { fs::remove(pdf); }

    // The command as a person chooses it, its preview answered by writing the pages.
    std::optional<int> PrintToPdf() {
        std::optional<int> captionRows;
        const ScopedHandler writing(SetPrintPreviewHandler, [&](wxWindow& parent, const SheetPrintJob& job) {
            EXPECT_EQ(&parent, dialog.get());
            EXPECT_EQ(&job.book, &Sheet());
            captionRows = job.captionRows;
            sheet::WriteSheetPdf(job.book, job.captionRows, pdf.string());
        });
        Command(ids::kPrintSheetCommand);
        return captionRows;
    }

    fs::path pdf;
};

TEST_F(Printing, TheMonthPrintsItsCaptionsPersonsAndTotals) {
    ASSERT_EQ(PrintToPdf(), 5);
    int totalsRow = Sheet().UsedRows();
    while (totalsRow > 0 && Sheet().GetCellText(totalsRow, 2) != "合计") --totalsRow;
    ASSERT_GT(totalsRow, 9);
    const std::string firstPay = Sheet().GetCellText(6, 5);
    const std::string totalPay = Sheet().GetCellText(totalsRow, 5);
    ASSERT_EQ(firstPay.substr(firstPay.size() - 3), ".00");  // shown in the template's format
    const std::vector<std::string> pages = PdfPageTexts(pdf);
    ASSERT_GE(pages.size(), 2u);
    const std::string& first = pages[0];
    struct Shown {
        std::string text;
        bool onFirstPage;
    };
    const std::vector<Shown> cases = {
        {"工资表", true}, {"金额单位：元", true}, {"编号", true},        {"基本工资", true}, {"张伟", true},
        {"刘洋", true},   {firstPay, true},       {"第 1 页，共", true}, {"合计", false},    {totalPay, false},
    };
    for (const Shown& c : cases) EXPECT_EQ(first.find(c.text) != std::string::npos, c.onFirstPage) << c.text;
    // The totals row stands below the template's empty rows, on the second page under the captions.
    const std::string& second = pages[1];
    for (const std::string& text :
         {std::string("工资表"), std::string("编号"), std::string("合计"), totalPay, std::string("第 2 页，共")}) {
        EXPECT_NE(second.find(text), std::string::npos) << text;
    }
    EXPECT_TRUE(messages.texts.empty());
}

// Without a seam the real preview opens, in a frame of its own, with as many pages as the PDF has.
TEST_F(Printing, ThePreviewShowsTheSamePages) {
    ASSERT_EQ(PrintToPdf(), 5);
    const int pdfPages = static_cast<int>(PdfPageTexts(pdf).size());
    ASSERT_GT(pdfPages, 1);
    Command(ids::kPrintSheetCommand);
    wxPreviewFrame* frame = nullptr;
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* found = dynamic_cast<wxPreviewFrame*>(window)) frame = found;
    }
    ASSERT_NE(frame, nullptr);
    wxPreviewControlBar* controls = nullptr;
    for (wxWindow* child : frame->GetChildren()) {
        if (auto* found = dynamic_cast<wxPreviewControlBar*>(child)) controls = found;
    }
    ASSERT_NE(controls, nullptr);
    wxYield();  // the preview lays out its pages when it first paints
    EXPECT_EQ(controls->GetPrintPreview()->GetMaxPage(), pdfPages);
    EXPECT_FALSE(dialog->IsEnabled()) << "the sheet must not change while it is previewed";
    frame->Close(true);
    wxYield();
    EXPECT_TRUE(dialog->IsEnabled());
    EXPECT_TRUE(messages.texts.empty());
}

}  // namespace
}  // namespace keltrov::test
