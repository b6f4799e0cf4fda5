// Loading and fully computing a 100,000-row wage template (one SUM per row, totals below), by the
// sheet and, in the same run, by LibreOffice Calc headless on the same file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sheet/workbook.hpp"

namespace keltrov::sheet {
namespace {

constexpr int kFirstRow = 6;
constexpr int kFirstAmount = 5;  // E
constexpr int kLastAmount = 13;  // M

std::string Cell(int row, int column, const std::string& inner) {
    return "<c r=\"" + ColumnName(column) + std::to_string(row) + "\"" + inner + "</c>";
}

// The sheet part: per row a code, a name, nine amounts and their SUM; then a totals row. Formulas
// carry no cached values, so that LibreOffice computes them as it loads.
std::string SheetXml(int rows) {
    std::string xml = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    int last = kFirstRow + rows - 1;
    for (int r = kFirstRow; r <= last; ++r) {
        xml += "<row r=\"" + std::to_string(r) + "\">";
        xml += Cell(r, 1, " t=\"inlineStr\"><is><t>1000" + std::to_string(r) + "</t></is>");
        xml += Cell(r, 2, " t=\"inlineStr\"><is><t>职工</t></is>");
        for (int c = kFirstAmount; c <= kLastAmount; ++c)
            xml += Cell(r, c, "><v>" + std::to_string(r % 97 + c) + "</v>");
        xml += Cell(r, kLastAmount + 1, "><f>SUM(E" + std::to_string(r) + ":M" + std::to_string(r) + ")</f>");
        xml += "</row>";
    }
    xml += "<row r=\"" + std::to_string(last + 1) + "\">";
    for (int c = kFirstAmount; c <= kLastAmount + 1; ++c) {
        std::string col = ColumnName(c);
        xml += Cell(last + 1, c,
                    "><f>SUM(" + col + std::to_string(kFirstRow) + ":" + col + std::to_string(last) + ")</f>");
    }
    return xml + "</row></sheetData></worksheet>";
}

std::vector<uint8_t> TemplateImage(int rows) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
    const std::vector<std::pair<std::string, std::string>> parts = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
         "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/><Override "
         "PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"r1\" Type=\"" + rel +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
                                rel +
                                "\"><sheets><sheet name=\"工资表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" + rel +
                                           "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", SheetXml(rows)},
    };
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("keltrov-bench-" + std::to_string(getpid()) + ".xlsx");
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, text] : parts) {
        zip_source_t* source = zip_source_buffer(zip, text.data(), text.size(), 0);
        zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    }
    zip_close(zip);  // reads the buffers, which live until here
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(path);
    return bytes;
}

const std::vector<uint8_t>& Image() {
    static const std::vector<uint8_t> image = TemplateImage(100000);
    return image;
}

// The process's peak resident memory since the last reset, from the kernel's high-water mark.
double PeakRssMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// Starts the high-water mark afresh, so that building the test file (a 70 MB sheet part before
// it is zipped) does not count as the sheet's memory.
void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_SheetLoadAndCompute(benchmark::State& state) {
    const std::vector<uint8_t>& image = Image();
    ResetPeakRss();
    double total = 0;
    for (auto _ : state) {
        Workbook book;
        book.LoadImage(image);
        book.RecalculateAll();
        total = book.GetCellNumber(kFirstRow + 100000, kLastAmount + 1);
        benchmark::DoNotOptimize(total);
    }
    state.counters["total"] = total;
    state.counters["peak_rss_mb"] = PeakRssMb();
    state.counters["file_kb"] = static_cast<double>(image.size()) / 1024.0;
}
BENCHMARK(BM_SheetLoadAndCompute)->Unit(benchmark::kMillisecond)->Iterations(3);

// LibreOffice loads the file, computes every formula (none has a cached value) and writes CSV.
void BM_LibreOfficeLoadAndCompute(benchmark::State& state) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        state.SkipWithError("soffice is not installed (libreoffice-calc-nogui)");
        return;
    }
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("keltrov-lo-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "template.xlsx", std::ios::binary);
        out.write(reinterpret_cast<const char*>(Image().data()), static_cast<std::streamsize>(Image().size()));
    }
    std::string command = "soffice --headless --norestore --convert-to csv --outdir " + dir.string() + " " +
                          (dir / "template.xlsx").string() + " >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("soffice failed");
    }
    // The work is done in a child process: its processor time is what compares with the sheet's.
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    state.counters["child_cpu_s"] = static_cast<double>(children.ru_utime.tv_sec + children.ru_stime.tv_sec) +
                                    static_cast<double>(children.ru_utime.tv_usec + children.ru_stime.tv_usec) / 1e6;
    state.counters["child_peak_rss_mb"] = static_cast<double>(children.ru_maxrss) / 1024.0;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LibreOfficeLoadAndCompute)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace keltrov::sheet
