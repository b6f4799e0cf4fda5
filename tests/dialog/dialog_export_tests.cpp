// "导出…" on the wage sheet: the file question, the workbook written, and writes that fail.
#include <wx/datectrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/ui/save_file.hpp"
#include "platform/ui/seam.hpp"
#include "resources/control_ids.hpp"
#include "tests/dialog/dialog_fixture.hpp"
#include "tests/support/scratch_folder.hpp"

namespace keltrov::test {
namespace {

namespace fs = std::filesystem;

class Export : public DialogTest {
protected:
    Export()
        : answering_(SetSaveFileHandler, [this](wxWindow&, const SaveFileRequest& request) {
              requests.push_back(request);
              return answer;
          }) {}

    void ShowMonth(int year, int month) {
        wxStaticCast(&Control(ids::kWageDatePicker), wxDatePickerCtrl)
            ->SetValue(wxDateTime(15, static_cast<wxDateTime::Month>(month - 1), year));
    }
    // Every cell of the first rows and columns as the file shows it to our own reader.
    static std::vector<std::string> CellsOf(const sheet::Workbook& book) {
        std::vector<std::string> cells;
        for (int r = 1; r <= 12; ++r)
            for (int c = 1; c <= 26; ++c) cells.push_back(book.GetCellText(r, c));
        cells.push_back(book.GetCellText(50, 14));  // a total
        return cells;
    }
    static std::vector<std::string> CellsOf(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        sheet::Workbook book;
        book.LoadImage(bytes);
        return CellsOf(book);
    }
    std::vector<std::string> FilesInFolder() const { return folder_.Names(); }
    const fs::path& Folder() const { return folder_.Path(); }

    std::optional<std::string> answer;
    std::vector<SaveFileRequest> requests;

private:
    ScratchFolder folder_{"keltrov-dialog-export"};
    ScopedHandler<SaveFileHandler> answering_;
};

TEST_F(Export, TheShownSheetIsWrittenUnderTheNameGiven) {
    struct Case {
        const char* node;  // none: the sheet shows its template
        const char* answered;
        const char* written;
    };
    const Case cases[] = {
        {nullptr, "空表.xlsx", "空表.xlsx"},
        {"100", "十一月", "十一月.xlsx"},
        {"100", "月报.XLSX", "月报.XLSX"},
    };
    UseDemoData();
    Open();
    ShowMonth(2026, 11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answered);
        if (c.node) Select(c.node);
        answer = (Folder() / c.answered).string();
        Command(ids::kExportSheetCommand);
        ASSERT_TRUE(fs::is_regular_file(Folder() / c.written));
        EXPECT_EQ(CellsOf(Folder() / c.written), CellsOf(Sheet()));
    }
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(FilesInFolder(), (std::vector<std::string>{"十一月.xlsx", "月报.XLSX", "空表.xlsx"}));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].title, "导出工资表");
    EXPECT_EQ(requests[0].defaultName, "工资表-2026-11.xlsx");
    // The month's rows went out, not only the template's captions.
    EXPECT_FALSE(Sheet().GetCellText(6, 2).empty());
    EXPECT_NE(CellsOf(Folder() / "十一月.xlsx"), CellsOf(Folder() / "空表.xlsx"));
}

TEST_F(Export, TheDefaultNameFollowsTheMonthShown) {
    UseDemoData();
    Open();
    ShowMonth(2027, 3);
    Command(ids::kExportSheetCommand);  // cancelled: nothing written, nothing said
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].defaultName, "工资表-2027-03.xlsx");
    EXPECT_TRUE(FilesInFolder().empty());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(Export, AFailedWriteShowsTheReasonAndLeavesNoFile) {
    struct Case {
        fs::path answered;
        const char* message;
    };
    UseDemoData();
    Open();
    Select("100");
    const Case cases[] = {
        {"/sys/工资表.xlsx", "导出失败：无法写入该文件夹"},
        {Folder() / "没有的文件夹" / "工资表.xlsx", "导出失败：文件夹不存在"},
    };
    for (const Case& c : cases) {
        answer = c.answered.string();
        Command(ids::kExportSheetCommand);
        EXPECT_FALSE(fs::exists(c.answered));
    }
    EXPECT_EQ(messages.texts, (std::vector<std::string>{cases[0].message, cases[1].message}));
    EXPECT_TRUE(FilesInFolder().empty());
}

}  // namespace
}  // namespace keltrov::test
