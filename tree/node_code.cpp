#include "tree/node_code.hpp"

#include <cstdio>

#include "platform/util/decimal_text.hpp"

namespace {

constexpr int kLastSegmentValue = 999;

// The segment's integer value plus one, zero-padded to 3 digits; none past 999.
std::optional<std::string> NextSegment(const std::string& segment) {
    const int next = keltrov::LeadingInteger(segment) + 1;
    if (next > kLastSegmentValue) return std::nullopt;
    char text[16];
    std::snprintf(text, sizeof text, "%03d", next);
    return std::string(text);
}

}  // namespace

std::string ParentCode(const std::string& code) {
    return code.substr(0, code.size() >= kCodeSegment ? code.size() - kCodeSegment : 0);
}

std::optional<std::string> NextCompanyCode(const std::string& highestCode) {
    if (highestCode.empty()) return "100";
    return NextSegment(highestCode.substr(0, kCodeSegment));
}

std::optional<std::string> NextChildCode(const std::string& base) {
    const size_t cut = base.size() >= kCodeSegment ? base.size() - kCodeSegment : 0;
    const std::optional<std::string> segment = NextSegment(base.substr(cut));
    if (!segment) return std::nullopt;
    return base.substr(0, cut) + *segment;
}
