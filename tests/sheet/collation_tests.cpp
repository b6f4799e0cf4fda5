// Text order by the Chinese collation: a sort must be a strict order, case alone never separates
// texts, bad bytes never make different texts equal, and threads compare alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/sheet/collation.hpp"

namespace keltrov::sheet {
namespace {

// Names and labels of a wage sheet in the order a Chinese system sorts them: punctuation, digits,
// Latin (case ignored, marks before width), then Chinese by pinyin.
const std::vector<std::string> kSorted = {
    "(1)",    "1",        "10", "9",    "a",    "ａ", "ä",  "b",   "ｅ",   "é",  "Zhang", "陈",  "岗位工资", "工资",
    "工资表", "基本工资", "李", "李三", "李四", "刘", "王", "王5", "王五", "张", "张a",   "张B", "張",       "赵",
};

TEST(Collation, ShuffledNamesSortIntoPinyinOrder) {
    std::vector<std::string> texts = kSorted;
    std::shuffle(texts.begin(), texts.end(), std::mt19937(17));
    std::sort(texts.begin(), texts.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    EXPECT_EQ(texts, kSorted);
}

// The Chinese characters of GB2312 in LibreOffice's order under a Chinese locale, one rank a line
// (characters it finds equal share a line): each rank comes before the next. Equal characters are
// told apart by code here, so a line is checked against its neighbours only.
TEST(Collation, EveryGB2312CharacterFollowsLibreOfficesOrder) {
    std::ifstream in(KELTROV_PINYIN_ORDER_FILE);
    std::vector<std::string> ranks;
    for (std::string line; std::getline(in, line);) ranks.push_back(line);
    size_t characters = 0;
    for (const std::string& rank : ranks) characters += rank.size() / 3;  // GB2312 characters take 3 bytes in UTF-8
    ASSERT_EQ(characters, 6763u);
    for (size_t i = 1; i < ranks.size(); ++i) {
        for (size_t a = 0; a < ranks[i - 1].size(); a += 3) {
            for (size_t b = 0; b < ranks[i].size(); b += 3) {
                EXPECT_LT(CompareText(ranks[i - 1].substr(a, 3), ranks[i].substr(b, 3)), 0)
                    << ranks[i - 1] << " / " << ranks[i] << " at line " << i + 1;
            }
        }
    }
}

// Antisymmetric and transitive over texts alike in letters but not in case, marks, width or
// bytes, where a comparison built from two rules is most likely to contradict itself.
TEST(Collation, AlikeTextsAreOrderedConsistently) {
    const std::vector<std::string> texts = {"a",  "A",  "ａ", "Ａ",   "á",    "Á",     "e", "é",      "ss",     "ß",
                                            "SS", "张", "張", "\xff", "\xfe", "a\xff", "",  "Straße", "STRASSE"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            EXPECT_EQ(CompareText(a, b), -CompareText(b, a)) << a << " / " << b;
            for (const std::string& c : texts) {
                if (CompareText(a, b) <= 0 && CompareText(b, c) <= 0) {
                    EXPECT_LE(CompareText(a, c), 0) << a << " / " << b << " / " << c;
                }
            }
        }
    }
}

TEST(Collation, OnlyADifferenceOfCaseLeavesTextsEqual) {
    struct Pair {
        const char* a;
        const char* b;
        bool equal;
    };
    for (const Pair& p : std::vector<Pair>{{"ABC", "abc", true},
                                           {"张A", "张a", true},
                                           {"ÄÖÜ", "äöü", true},
                                           {"Ａ", "ａ", true},
                                           {"ПРИВЕТ", "привет", true},
                                           {"Ä", "a", false},
                                           {"ａ", "a", false},
                                           {"张", "張", false},
                                           {"Straße", "STRASSE", false},
                                           {"张", "张 ", false},
                                           {"\xff", "\xfe", false}}) {
        EXPECT_EQ(CompareText(p.a, p.b) == 0, p.equal) << p.a << " / " << p.b;
    }
}

TEST(Collation, ThreadsComparingAtOnceAgreeWithOneThread) {
    std::vector<int> expected;
    for (const std::string& a : kSorted) {
        for (const std::string& b : kSorted) expected.push_back(CompareText(a, b));
    }
    constexpr int kThreads = 4;
    std::vector<std::vector<int>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&seen, t] {
            for (int round = 0; round < 50; ++round) {
                seen[t].clear();
                for (const std::string& a : kSorted) {
                    for (const std::string& b : kSorted) seen[t].push_back(CompareText(a, b));
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::vector<int>& results : seen) EXPECT_EQ(results, expected);
}

}  // namespace
}  // namespace keltrov::sheet
