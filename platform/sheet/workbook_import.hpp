#pragma once

// What the xlsx and ods readers share: the workbook they fill, formulas kept for the second
// phase, names, bounds and warnings. Private to the loader.

#include <deque>
#include <string>
#include <vector>

#include "platform/sheet/workbook.hpp"
#include "platform/sheet/zip_xml.hpp"

namespace keltrov::sheet {

// More cells than this make a template no wage sheet needs, and would take the machine's memory.
inline constexpr size_t kMaxLoadedCells = 2'000'000;

inline constexpr const char* kTooManyMerged = "超过 10000 个合并区域的部分 (按未合并显示)";

struct PendingFormula {
    int sheet = 0;
    int row = 0;
    int column = 0;
    std::string text;  // A1 syntax
    bool array = false;
    int lastRow = 0;  // array formulas: the block's far corner
    int lastColumn = 0;
};

class WorkbookImport {
public:
    explicit WorkbookImport(Workbook& book) : book_(book) {}

    Workbook& Book() { return book_; }
    // Counts cells as they are written; throws LoadError past kMaxLoadedCells.
    void CountCells(size_t cells);
    void Warn(const std::string& warning);
    void AddFormula(PendingFormula formula) { formulas_.push_back(std::move(formula)); }
    void AddName(std::string name, std::string reference);
    // The second phase: names, then every formula, once all cells are in.
    void Finish();

private:
    Workbook& book_;
    size_t cells_ = 0;
    std::deque<PendingFormula> formulas_;  // grows without copying what it holds
    std::vector<std::pair<std::string, std::string>> names_;
};

void ReadXlsx(const ZipPackage& package, WorkbookImport& import);
void ReadOds(const ZipPackage& package, WorkbookImport& import);

// Reads "B7" or "$B$7" (1-based); nothing when it is no cell address.
std::optional<std::pair<int, int>> ReadCellAddress(std::string_view address);

}  // namespace keltrov::sheet
