#include "platform/sheet/collation.hpp"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/tblcoll.h>

#include <cstdint>
#include <memory>

#include "platform/sheet/errors.hpp"
#include "platform/util/utf8.hpp"

namespace keltrov::sheet {
namespace {

// Lower case of the letters that have case: Latin, Greek, Cyrillic and full-width Latin; the
// rule is fixed here rather than taken from the C locale, which knows only ASCII.
char32_t LowerCodePoint(char32_t cp) {
    if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) ||
        (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F) || (cp >= 0xFF21 && cp <= 0xFF3A)) {
        return cp + 0x20;
    }
    if (cp >= 0x400 && cp <= 0x40F) {
        return cp + 0x50;
    }
    bool evenUpper = (cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177) || (cp >= 0x460 && cp <= 0x4BF);
    bool oddUpper = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if ((evenUpper && cp % 2 == 0) || (oddUpper && cp % 2 == 1)) {
        return cp + 1;
    }
    return cp;
}

// ICU's Chinese collation with the GB2312 characters moved into LibreOffice's order (made at build
// time from data/pinyin_order.txt): ICU reads some characters by another syllable and orders one
// syllable's characters by tone and use, where the applications of a Chinese system order them by
// code.
constexpr uint8_t kPinyinCollationImage[] = {
#include "pinyin_collation.inc"
};

[[noreturn]] void ThrowNoCollation(UErrorCode status) {
    throw SheetError(std::string("无法载入中文排序规则：") + u_errorName(status));
}

// The root collation, on which the Chinese image is built and which must outlive it.
const icu::RuleBasedCollator& RootCollator() {
    static const std::unique_ptr<icu::Collator> root = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || dynamic_cast<icu::RuleBasedCollator*>(made.get()) == nullptr) ThrowNoCollation(status);
        return made;
    }();
    return static_cast<const icu::RuleBasedCollator&>(*root);
}

// The Chinese collation (pinyin) by base letters alone, with Latin and digits before Chinese as
// the applications have them (the language's own data puts Chinese first); made once.
const icu::Collator& PinyinCollator() {
    static const std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::RuleBasedCollator>(
            kPinyinCollationImage, static_cast<int32_t>(sizeof kPinyinCollationImage), &RootCollator(), status);
        const int32_t rootScriptOrder = UCOL_REORDER_CODE_NONE;
        if (U_SUCCESS(status)) made->setReorderCodes(&rootScriptOrder, 1, status);
        if (U_FAILURE(status)) ThrowNoCollation(status);
        made->setStrength(icu::Collator::PRIMARY);
        return std::unique_ptr<icu::Collator>(std::move(made));
    }();
    return *collator;
}

// A collator is not safe to share between threads, so each thread compares with its own copy.
const icu::Collator& ThreadCollator() {
    thread_local const std::unique_ptr<icu::Collator> copy(PinyinCollator().clone());
    return *copy;
}

// The half-width form of a full-width letter, digit or sign, so that marks decide before width.
char32_t NarrowCodePoint(char32_t cp) {
    return cp >= 0xFF01 && cp <= 0xFF5E ? cp - 0xFEE0 : cp;
}

// Texts compared code point by code point, each first mapped by `fold`.
template <typename Fold>
int CompareCodePoints(std::string_view a, std::string_view b, Fold fold) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = fold(utf8::Next(a, i));
        char32_t y = fold(utf8::Next(b, j));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

// Texts alike in base letters still differ by marks ("e" before "é"), then by width ("a" before
// "ａ") or variant ("张" before "張"); only a difference of case leaves them equal.
int CompareAlike(std::string_view a, std::string_view b) {
    int byMarks = CompareCodePoints(a, b, [](char32_t cp) { return LowerCodePoint(NarrowCodePoint(cp)); });
    return byMarks != 0 ? byMarks : CompareCodePoints(a, b, LowerCodePoint);
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
    if (a == b) {
        return 0;
    }
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult order =
        ThreadCollator().compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                     icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_SUCCESS(status) && order != UCOL_EQUAL) {
        return order == UCOL_LESS ? -1 : 1;
    }
    return CompareAlike(a, b);
}

std::string FoldCase(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        utf8::Append(folded, LowerCodePoint(utf8::Next(text, pos)));
    }
    return folded;
}

}  // namespace keltrov::sheet
