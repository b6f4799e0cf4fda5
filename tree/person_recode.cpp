#include "tree/person_recode.hpp"

#include <algorithm>
#include <utility>

#include "data/dyn_recordset.hpp"
#include "data/statements.hpp"
#include "entry/host_state.hpp"
#include "tree/node_code.hpp"

namespace {

// Persons re-coded by one update: a drag of a thousand costs a handful of statements.
constexpr size_t kPersonsPerUpdate = 200;

std::vector<std::string> PersonLocatorsUnder(const char* locator, const std::string& sourceCode) {
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::sql::PersonLocatorsUnder(locator, sourceCode));
    std::vector<std::string> locators;
    for (; !rows.IsEOF(); rows.MoveNext()) locators.push_back(rows.GetFieldValue(0).AsText());
    return locators;
}

}  // namespace

PersonRecoding::PersonRecoding(const char* locator, const std::string& sourceCode)
    : locator_(locator), sourceCode_(sourceCode) {
    if (locator_) {
        locators_ = PersonLocatorsUnder(locator_, sourceCode_);
        count_ = static_cast<long>(locators_.size());
    } else {
        count_ = CountOf(g_pDatabase, keltrov::sql::CountPersonsUnder(sourceCode_));
    }
}

std::string PersonRecoding::GiveCodesAfter(std::string base) const {
    return locator_ ? RecodeByLocator(std::move(base)) : RecodeRowByRow(std::move(base));
}

// One update per group of persons, each row found by its locator and given the next code after `base`.
std::string PersonRecoding::RecodeByLocator(std::string base) const {
    for (size_t first = 0; first < locators_.size(); first += kPersonsPerUpdate) {
        const size_t last = std::min(locators_.size(), first + kPersonsPerUpdate);
        std::vector<std::pair<std::string, std::string>> codes;
        for (size_t i = first; i < last; ++i) {
            base = *NextChildCode(base);
            codes.emplace_back(locators_[i], base);
        }
        g_pDatabase->ExecuteSQL(keltrov::sql::RecodePersons(locator_, codes));
    }
    return base;
}

std::string PersonRecoding::RecodeRowByRow(std::string base) const {
    CDynRecordset rows(g_pDatabase);
    rows.OpenSql(keltrov::sql::PersonsUnder(sourceCode_));
    const int code = rows.GetFieldIndex("field_1");
    // The counted persons are the ones the segment was checked for.
    for (long moved = 0; moved < count_ && !rows.IsEOF(); ++moved, rows.MoveNext()) {
        base = *NextChildCode(base);
        rows.Edit();
        rows.GetFieldValue(code).SetText(base);
        rows.Update();
    }
    return base;
}
