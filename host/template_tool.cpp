#include "host/template_tool.hpp"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/sheet/workbook.hpp"
#include "platform/util/global_memory.hpp"

namespace keltrov {
namespace {

constexpr int kCaptionRow = 4;  // 0-based rows and columns, as libxlsxwriter counts
constexpr int kDataRow = 5;
constexpr int kTotalsRow = 49;
constexpr int kFirstAmountColumn = 4;
constexpr int kLastAmountColumn = 25;

const std::array<const char*, 4> kKeyCaptions{"编号", "姓名", "部门", "内部编号"};

// Captions of columns 5-26; an entry with a formula is computed from the columns before it.
struct AmountColumn {
    const char* caption;
    const char* formula;
};

const std::array<AmountColumn, 22> kAmountColumns{{
    {"基本工资", nullptr},       {"岗位工资", nullptr},       {"工龄工资", nullptr},   {"津贴", nullptr},
    {"奖金", nullptr},           {"加班费", nullptr},         {"交通补贴", nullptr},   {"通讯补贴", nullptr},
    {"其他应发", nullptr},       {"应发合计", "=SUM(E6:M6)"}, {"养老保险", nullptr},   {"医疗保险", nullptr},
    {"失业保险", nullptr},       {"住房公积金", nullptr},     {"个人所得税", nullptr}, {"工会会费", nullptr},
    {"病假扣款", nullptr},       {"事假扣款", nullptr},       {"水电费", nullptr},     {"其他扣款", nullptr},
    {"扣款合计", "=SUM(O6:X6)"}, {"实发工资", "=N6-Y6"},
}};

std::string ColumnLetters(int zeroBasedColumn) {
    std::string letters;
    for (int c = zeroBasedColumn + 1; c > 0; c = (c - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    }
    return letters;
}

void WriteTemplate(lxw_workbook* workbook) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "工资表");
    lxw_format* title = workbook_add_format(workbook);
    format_set_bold(title);
    format_set_font_size(title, 16);
    lxw_format* caption = workbook_add_format(workbook);
    format_set_bold(caption);
    lxw_format* amount = workbook_add_format(workbook);
    format_set_num_format(amount, "0.00");
    lxw_format* totalAmount = workbook_add_format(workbook);
    format_set_num_format(totalAmount, "0.00");
    format_set_bold(totalAmount);

    worksheet_set_column(sheet, 0, 0, 11, nullptr);
    worksheet_set_column(sheet, 1, 1, 10, nullptr);
    worksheet_set_column(sheet, 2, 2, 12, nullptr);
    worksheet_set_column(sheet, 3, 3, 10, nullptr);
    worksheet_set_column(sheet, kFirstAmountColumn, kLastAmountColumn, 11, nullptr);

    worksheet_write_string(sheet, 0, 0, "工资表", title);
    worksheet_write_string(sheet, 1, 0, "单位：", nullptr);
    worksheet_write_string(sheet, 2, 0, "所属期间：", nullptr);
    worksheet_write_string(sheet, 3, 0, "金额单位：元", nullptr);
    for (size_t i = 0; i < kKeyCaptions.size(); ++i) {
        worksheet_write_string(sheet, kCaptionRow, static_cast<lxw_col_t>(i), kKeyCaptions[i], caption);
    }
    for (int c = kFirstAmountColumn; c <= kLastAmountColumn; ++c) {
        const AmountColumn& column = kAmountColumns[c - kFirstAmountColumn];
        worksheet_write_string(sheet, kCaptionRow, c, column.caption, caption);
        if (column.formula) {
            worksheet_write_formula(sheet, kDataRow, c, column.formula, amount);
        } else {
            worksheet_write_blank(sheet, kDataRow, c, amount);
        }
        // The rows the loader fills in place show their amounts with two decimals, as row 6 does.
        for (int row = kDataRow + 1; row < kTotalsRow - 1; ++row) worksheet_write_blank(sheet, row, c, amount);
        std::string letters = ColumnLetters(c);
        std::string total = "=SUM(" + letters + "6:" + letters + "49)";
        worksheet_write_formula(sheet, kTotalsRow, c, total.c_str(), totalAmount);
    }
    worksheet_write_string(sheet, kTotalsRow, 1, "合计", caption);
}

std::vector<unsigned char> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("文件打不开: " + path.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FormatNumber(double number) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return buffer;
}

// Puts the bytes into a global memory block, as the wage dialog hands a template to the control.
uint32_t ToGlobalMemory(const std::vector<unsigned char>& bytes) {
    if (bytes.empty()) {
        throw std::runtime_error("模板无法读取: 文件是空的");
    }
    uint32_t handle = GlobalAlloc(bytes.size());
    std::span<uint8_t> block = GlobalLock(handle);
    if (handle == 0 || block.size() != bytes.size()) {
        throw std::runtime_error("模板无法读取: 无法分配 " + std::to_string(bytes.size()) + " 字节的内存");
    }
    std::memcpy(block.data(), bytes.data(), bytes.size());
    GlobalUnlock(handle);
    return handle;
}

}  // namespace

std::vector<unsigned char> WriteXlsxImage(const std::function<void(lxw_workbook*)>& write) {
    std::string path = (std::filesystem::temp_directory_path() / "keltrov-XXXXXX.xlsx").string();
    int fd = mkstemps(path.data(), 5);
    if (fd < 0) {
        throw std::runtime_error("cannot create a temporary file for an .xlsx image");
    }
    close(fd);
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (!workbook) {
        std::filesystem::remove(path);
        throw std::runtime_error("libxlsxwriter cannot create " + path);
    }
    write(workbook);
    lxw_error closed = workbook_close(workbook);
    std::vector<unsigned char> bytes = closed == LXW_NO_ERROR ? ReadFile(path) : std::vector<unsigned char>();
    std::filesystem::remove(path);
    if (closed != LXW_NO_ERROR) {
        throw std::runtime_error(std::string("libxlsxwriter failed: ") + lxw_strerror(closed));
    }
    return bytes;
}

std::vector<unsigned char> BuildDemoWageTemplate() {
    return WriteXlsxImage(WriteTemplate);
}

namespace {

// Unknown functions of the first sheet's formulas, once each, in the order they are met.
std::vector<std::string> UnknownFunctionsOf(const sheet::Workbook& book) {
    std::vector<std::string> names;
    book.ForEachCell([&book, &names](int row, int column) {
        for (std::string& name : book.GetUnknownFunctions(row, column)) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
    });
    return names;
}

void LoadTemplate(sheet::Workbook& book, const std::vector<unsigned char>& bytes) {
    uint32_t handle = ToGlobalMemory(bytes);
    try {
        book.LoadFromMemory(handle);
    } catch (...) {
        GlobalFree(handle);
        throw;
    }
    GlobalFree(handle);
}

}  // namespace

void CheckTemplateImage(const std::vector<unsigned char>& bytes) {
    sheet::Workbook book;
    LoadTemplate(book, bytes);
}

int CheckTemplate(const std::string& path, std::ostream& out, std::ostream& err) {
    try {
        sheet::Workbook book;
        LoadTemplate(book, ReadFile(path));
        book.ForEachCell([&book, &out](int row, int column) {
            out << row << '\t' << column << '\t' << book.GetCellText(row, column) << '\t'
                << FormatNumber(book.GetCellNumber(row, column)) << '\t' << book.GetCellFormula(row, column) << '\n';
        });
        for (const std::string& name : UnknownFunctionsOf(book)) {
            out << "警告: 不认识的函数 " << name << " (所在单元格显示 #NAME?)\n";
        }
        for (const std::string& warning : book.LoadWarnings()) {
            out << "警告: " << warning << '\n';
        }
        return 0;
    } catch (const std::exception& e) {
        err << path << ": " << e.what() << '\n';
        return 1;
    }
}

}  // namespace keltrov
