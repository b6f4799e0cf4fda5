#pragma once
// The persons under a node given consecutive codes at another place, as a drag moves them.
#include <string>
#include <vector>

class PersonRecoding {
public:
    // The persons under `sourceCode` as they stand, to be found again by `locator`, the database's row
    // locator; where it has none (null) each person row is changed through the recordset.
    PersonRecoding(const char* locator, const std::string& sourceCode);

    long Count() const { return count_; }
    // Gives the persons in turn the codes after `base` at its level, which must reach that far; the
    // last code given.
    std::string GiveCodesAfter(std::string base) const;

private:
    std::string RecodeByLocator(std::string base) const;
    std::string RecodeRowByRow(std::string base) const;

    const char* locator_;
    std::string sourceCode_;
    std::vector<std::string> locators_;  // the persons' rows where the database has a locator
    long count_ = 0;
};
