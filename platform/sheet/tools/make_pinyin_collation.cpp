// Build step: turns LibreOffice's order of the GB2312 Chinese characters (one rank a line, equal
// characters on one line) into a tailoring of ICU's Chinese collation, and writes that collator's
// binary image as a C++ array, so the sheet loads it at once instead of parsing rules at run time.
// Only the characters that ICU's pinyin order places otherwise are moved; all others stay put.
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/tblcoll.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Ranks = std::vector<icu::UnicodeString>;  // each rank: one or more characters alike

Ranks ReadRanks(const char* path) {
    std::ifstream in(path);
    Ranks ranks;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) ranks.push_back(icu::UnicodeString::fromUTF8(line));
    }
    return ranks;
}

std::unique_ptr<icu::RuleBasedCollator> ChineseCollator(UErrorCode& status) {
    return std::unique_ptr<icu::RuleBasedCollator>(
        dynamic_cast<icu::RuleBasedCollator*>(icu::Collator::createInstance(icu::Locale("zh"), status)));
}

// The first character of a rank, which the rules name it by.
icu::UnicodeString Lead(const icu::UnicodeString& rank) {
    return rank.tempSubString(0, rank.moveIndex32(0, 1));
}

// The characters of a rank after its first, each made equal to it.
icu::UnicodeString AlikeRule(const icu::UnicodeString& rank) {
    icu::UnicodeString rule;
    for (int32_t i = rank.moveIndex32(0, 1); i < rank.length(); i = rank.moveIndex32(i, 1)) {
        rule += "=";
        rule += rank.char32At(i);
    }
    return rule;
}

// Indexes of the longest run of ranks (in the wanted order) that ICU already orders alike: those
// stay where ICU has them.
std::vector<bool> KeptInPlace(const Ranks& ranks, const icu::Collator& collator) {
    std::vector<size_t> byIcu(ranks.size());
    for (size_t i = 0; i < byIcu.size(); ++i) byIcu[i] = i;
    UErrorCode status = U_ZERO_ERROR;
    std::stable_sort(byIcu.begin(), byIcu.end(), [&](size_t a, size_t b) {
        return collator.compare(Lead(ranks[a]), Lead(ranks[b]), status) == UCOL_LESS;
    });
    std::vector<size_t> icuPlace(ranks.size());
    for (size_t place = 0; place < byIcu.size(); ++place) icuPlace[byIcu[place]] = place;

    // Longest increasing subsequence of the ICU places, with back links to recover it.
    std::vector<size_t> tails, tailIndex, previous(ranks.size(), SIZE_MAX);
    for (size_t i = 0; i < ranks.size(); ++i) {
        size_t length = std::lower_bound(tails.begin(), tails.end(), icuPlace[i]) - tails.begin();
        if (length == tails.size()) {
            tails.push_back(icuPlace[i]);
            tailIndex.push_back(i);
        } else {
            tails[length] = icuPlace[i];
            tailIndex[length] = i;
        }
        if (length > 0) previous[i] = tailIndex[length - 1];
    }
    std::vector<bool> kept(ranks.size(), false);
    for (size_t i = tailIndex.empty() ? SIZE_MAX : tailIndex.back(); i != SIZE_MAX; i = previous[i]) kept[i] = true;
    return kept;
}

// Each run of moved ranks is set right after the rank before it in the wanted order, or right
// before the first kept rank when the run opens the order.
icu::UnicodeString Tailoring(const Ranks& ranks, const std::vector<bool>& kept) {
    icu::UnicodeString rules;
    size_t firstKept = std::find(kept.begin(), kept.end(), true) - kept.begin();
    for (size_t i = 0; i < ranks.size(); ++i) {
        if (kept[i]) {
            if (ranks[i].countChar32() > 1) rules += "&" + Lead(ranks[i]) + AlikeRule(ranks[i]);
            continue;
        }
        if (i == 0 || kept[i - 1]) rules += i == 0 ? "&[before 1]" + Lead(ranks[firstKept]) : "&" + Lead(ranks[i - 1]);
        rules += "<" + Lead(ranks[i]) + AlikeRule(ranks[i]);
    }
    return rules;
}

// Every rank before the next, every character of a rank equal to its first.
bool FollowsRanks(const icu::Collator& collator, const Ranks& ranks) {
    UErrorCode status = U_ZERO_ERROR;
    for (size_t i = 0; i < ranks.size(); ++i) {
        const icu::UnicodeString& rank = ranks[i];
        bool ordered = i == 0 || collator.compare(Lead(ranks[i - 1]), Lead(rank), status) == UCOL_LESS;
        for (int32_t c = rank.moveIndex32(0, 1); ordered && c < rank.length(); c = rank.moveIndex32(c, 1)) {
            ordered = collator.compare(Lead(rank), icu::UnicodeString(rank.char32At(c)), status) == UCOL_EQUAL;
        }
        if (!ordered || U_FAILURE(status)) {
            std::string text;
            std::cerr << "not in the wanted order: " << rank.toUTF8String(text) << "\n";
            return false;
        }
    }
    return true;
}

void WriteArray(const char* path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path);
    out << "// Generated from pinyin_order.txt by make_pinyin_collation; not edited by hand.\n";
    for (size_t i = 0; i < bytes.size(); ++i) out << static_cast<unsigned>(bytes[i]) << (i % 24 == 23 ? ",\n" : ",");
    out << "\n";
}

// ICU's Chinese collation with the moved ranks set in the wanted order, checked against all ranks.
std::unique_ptr<icu::RuleBasedCollator> Tailored(const Ranks& ranks) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RuleBasedCollator> chinese = ChineseCollator(status);
    if (U_FAILURE(status)) {
        std::cerr << "no Chinese collation: " << u_errorName(status) << "\n";
        return nullptr;
    }
    chinese->setStrength(icu::Collator::PRIMARY);
    std::vector<bool> kept = KeptInPlace(ranks, *chinese);
    auto tailored = std::make_unique<icu::RuleBasedCollator>(chinese->getRules() + Tailoring(ranks, kept), status);
    if (U_FAILURE(status)) {
        std::cerr << "tailoring rejected: " << u_errorName(status) << "\n";
        return nullptr;
    }
    tailored->setStrength(icu::Collator::PRIMARY);
    if (!FollowsRanks(*tailored, ranks)) return nullptr;
    std::cerr << std::count(kept.begin(), kept.end(), false) << " of " << ranks.size() << " ranks moved\n";
    return tailored;
}

std::vector<uint8_t> BinaryImage(const icu::RuleBasedCollator& collator) {
    UErrorCode status = U_ZERO_ERROR;
    std::vector<uint8_t> image(collator.cloneBinary(nullptr, 0, status));
    status = U_ZERO_ERROR;  // asking the size reports an overflow by design
    collator.cloneBinary(image.data(), static_cast<int32_t>(image.size()), status);
    if (U_FAILURE(status)) {
        std::cerr << "no binary image: " << u_errorName(status) << "\n";
        image.clear();
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_pinyin_collation pinyin_order.txt out.inc\n";
        return 2;
    }
    Ranks ranks = ReadRanks(argv[1]);
    if (ranks.empty()) {
        std::cerr << "no order in " << argv[1] << "\n";
        return 1;
    }
    std::unique_ptr<icu::RuleBasedCollator> tailored = Tailored(ranks);
    std::vector<uint8_t> image = tailored ? BinaryImage(*tailored) : std::vector<uint8_t>();
    if (image.empty()) return 1;
    WriteArray(argv[2], image);
    return 0;
}
