#pragma once
// Node codes: decimal digits in 3-character segments; a node's children extend its code by one
// segment, companies are the segments 100 to 999 alone.
#include <optional>
#include <string>

inline constexpr size_t kCodeSegment = 3;

// The code without its last segment: the parent's code.
std::string ParentCode(const std::string& code);

// The code of a new company after the highest code of the whole table (empty when there is none):
// its first segment plus one. None when that needs a 4th digit.
std::optional<std::string> NextCompanyCode(const std::string& highestCode);

// The code after `base` at its level: its last segment plus one. `base` is the highest code of the
// level, or the parent's code followed by "000" when the level is empty. None when the segment is used up.
std::optional<std::string> NextChildCode(const std::string& base);

// What a refused next code tells the user.
inline constexpr const char* kCodesUsedUp = "编号已用完";
