#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/sheet/automation.hpp"
#include "platform/sheet/workbook.hpp"
#include "platform/util/global_memory.hpp"

namespace keltrov::sheet {
namespace {

using K = InvokeKind;

struct Call {
    const char* what;
    int dispid;
    InvokeKind kind;
    std::vector<Variant> args;
};

TEST(Automation, CallsOutsideTheInterfaceAreRefused) {
    int32_t out = 0;
    const Call refused[] = {
        {"unknown id", 999, K::PropertyGet, {Variant::I4(1), Variant::I4(1)}},
        {"number as method", dispid::kCellNumber, K::Method, {Variant::I4(1), Variant::I4(1)}},
        {"current cell as get", dispid::kGetCurrentCell, K::PropertyGet, {Variant::Pi4(&out), Variant::Pi4(&out)}},
        {"too few", dispid::kCellNumber, K::PropertyGet, {Variant::I4(1)}},
        {"too many", dispid::kCellText, K::PropertyGet, {Variant::I4(1), Variant::I4(1), Variant::I4(1)}},
        {"short row", dispid::kCellNumber, K::PropertyGet, {Variant::I2(1), Variant::I4(1)}},
        {"double column", dispid::kCellText, K::PropertyGet, {Variant::I4(1), Variant::R8(1)}},
        {"number as text", dispid::kCellNumber, K::PropertyPut, {Variant::I4(1), Variant::I4(1), Variant::Bstr("1")}},
        {"int as number", dispid::kCellNumber, K::PropertyPut, {Variant::I4(1), Variant::I4(1), Variant::I4(1)}},
        {"empty formula arg", dispid::kCellFormula, K::PropertyPut, {Variant::I4(1), Variant::I4(1), Variant()}},
        {"row 0", dispid::kCellText, K::PropertyGet, {Variant::I4(0), Variant::I4(1)}},
        {"row -3", dispid::kCellNumber, K::PropertyPut, {Variant::I4(-3), Variant::I4(1), Variant::R8(1)}},
        {"column 16385", dispid::kCellFormula, K::PropertyGet, {Variant::I4(1), Variant::I4(16385)}},
        {"bad formula", dispid::kCellFormula, K::PropertyPut, {Variant::I4(1), Variant::I4(1), Variant::Bstr("1+")}},
        {"insert cells",
         dispid::kInsertCells,
         K::Method,
         {Variant::I4(5), Variant::I4(1), Variant::I4(5), Variant::I4(1), Variant::I4(3)}},
        {"insert rows upside down",
         dispid::kInsertCells,
         K::Method,
         {Variant::I4(6), Variant::I4(-1), Variant::I4(5), Variant::I4(-1), Variant::I4(3)}},
        {"insert other kind",
         dispid::kInsertCells,
         K::Method,
         {Variant::I4(5), Variant::I4(-1), Variant::I4(5), Variant::I4(-1), Variant::I4(2)}},
        {"insert row 0",
         dispid::kInsertCells,
         K::Method,
         {Variant::I4(0), Variant::I4(-1), Variant::I4(0), Variant::I4(-1), Variant::I4(3)}},
        {"null pointers", dispid::kGetCurrentCell, K::Method, {Variant::Pi4(nullptr), Variant::Pi4(&out)}},
        {"unknown handle", dispid::kLoadFromMemory, K::Method, {Variant::I4(0x7fff0000), Variant::I2(0)}},
        {"reserved set", dispid::kLoadFromMemory, K::Method, {Variant::I4(1), Variant::I2(1)}},
        {"reserved as I4", dispid::kLoadFromMemory, K::Method, {Variant::I4(1), Variant::I4(0)}},
        {"fill as short",
         dispid::kFillFormulasDown,
         K::Method,
         {Variant::I4(1), Variant::I4(3), Variant::I4(1), Variant::I2(1)}},
        {"fill off the sheet",
         dispid::kFillFormulasDown,
         K::Method,
         {Variant::I4(1), Variant::I4(kMaxRows + 1), Variant::I4(1), Variant::I4(1)}},
        {"row values not an array",
         dispid::kSetRowValues,
         K::Method,
         {Variant::I4(1), Variant::I4(1), Variant::Bstr("x")}},
        {"row value of another type",
         dispid::kSetRowValues,
         K::Method,
         {Variant::I4(1), Variant::I4(1), Variant::Array({Variant::Bstr("x"), Variant::I4(1)})}},
        {"row values off the sheet",
         dispid::kSetRowValues,
         K::Method,
         {Variant::I4(1), Variant::I4(kMaxColumns), Variant::Array({Variant::R8(1), Variant::R8(2)})}},
    };
    for (const Call& call : refused) {
        Workbook book;
        book.SetCellNumber(1, 1, 8);
        EXPECT_THROW(InvokeSheet(book, {}, call.dispid, call.kind, call.args), AutomationError) << call.what;
        if (call.dispid != dispid::kLoadFromMemory) {
            EXPECT_EQ(book.GetCellText(1, 1), "8") << call.what;
        }
    }
}

TEST(Automation, EachOperationReachesTheWorkbook) {
    Workbook book;
    auto invoke = [&book](int id, InvokeKind kind, std::vector<Variant> args) {
        return InvokeSheet(book, {7, 3}, id, kind, args);
    };
    EXPECT_EQ(invoke(dispid::kCellNumber, K::PropertyPut, {Variant::I4(2), Variant::I4(1), Variant::R8(2.5)}),
              Variant());
    invoke(dispid::kCellText, K::PropertyPut, {Variant::I4(1), Variant::I4(1), Variant::Bstr("007")});
    invoke(dispid::kCellFormula, K::PropertyPut, {Variant::I4(3), Variant::I4(1), Variant::Bstr("=A1+A2*2")});

    EXPECT_EQ(invoke(dispid::kCellNumber, K::PropertyGet, {Variant::I4(3), Variant::I4(1)}), Variant::R8(12.0));
    EXPECT_EQ(invoke(dispid::kCellText, K::PropertyGet, {Variant::I4(1), Variant::I4(1)}), Variant::Bstr("007"));
    EXPECT_EQ(invoke(dispid::kCellFormula, K::PropertyGet, {Variant::I4(3), Variant::I4(1)}), Variant::Bstr("A1+A2*2"));

    invoke(dispid::kInsertCells, K::Method,
           {Variant::I4(2), Variant::I4(-1), Variant::I4(2), Variant::I4(-1), Variant::I4(3)});
    EXPECT_EQ(invoke(dispid::kCellFormula, K::PropertyGet, {Variant::I4(4), Variant::I4(1)}), Variant::Bstr("A1+A3*2"));

    invoke(dispid::kInsertCells, K::Method,
           {Variant::I4(2), Variant::I4(-1), Variant::I4(4), Variant::I4(-1), Variant::I4(3)});
    EXPECT_EQ(invoke(dispid::kCellFormula, K::PropertyGet, {Variant::I4(7), Variant::I4(1)}), Variant::Bstr("A1+A6*2"));

    invoke(dispid::kFillFormulasDown, K::Method, {Variant::I4(7), Variant::I4(9), Variant::I4(1), Variant::I4(1)});
    EXPECT_EQ(invoke(dispid::kCellFormula, K::PropertyGet, {Variant::I4(9), Variant::I4(1)}), Variant::Bstr("A3+A8*2"));

    invoke(dispid::kSetRowValues, K::Method,
           {Variant::I4(8), Variant::I4(1), Variant::Array({Variant::R8(1.5), Variant(), Variant::Bstr("x")})});
    EXPECT_EQ(invoke(dispid::kCellFormula, K::PropertyGet, {Variant::I4(8), Variant::I4(1)}), Variant::Bstr("A2+A7*2"));
    EXPECT_EQ(invoke(dispid::kCellText, K::PropertyGet, {Variant::I4(8), Variant::I4(3)}), Variant::Bstr("x"));
    invoke(dispid::kSetRowValues, K::Method, {Variant::I4(6), Variant::I4(1), Variant::Array({Variant::R8(1.5)})});
    EXPECT_EQ(invoke(dispid::kCellNumber, K::PropertyGet, {Variant::I4(9), Variant::I4(1)}), Variant::R8(40.0));

    int32_t row = 0, col = 0;
    invoke(dispid::kGetCurrentCell, K::Method, {Variant::Pi4(&row), Variant::Pi4(&col)});
    EXPECT_EQ(row, 7);
    EXPECT_EQ(col, 3);
}

// Every accessor reads only its own type; any other is refused, naming the type held and the one wanted.
TEST(Variant, EachAccessorReadsOnlyItsOwnType) {
    int32_t target = 0;
    const std::vector<Variant> held{Variant(),
                                    Variant::I4(-7),
                                    Variant::I2(3),
                                    Variant::R8(1.5),
                                    Variant::Bstr("x"),
                                    Variant::Pi4(&target),
                                    Variant::Array({Variant::R8(2)})};
    const std::vector<std::pair<VariantType, std::function<bool(const Variant&)>>> readers{
        {VariantType::I4, [](const Variant& v) { return v.AsI4() == -7; }},
        {VariantType::I2, [](const Variant& v) { return v.AsI2() == 3; }},
        {VariantType::R8, [](const Variant& v) { return v.AsR8() == 1.5; }},
        {VariantType::BSTR, [](const Variant& v) { return v.AsBstr() == "x"; }},
        {VariantType::PI4, [&target](const Variant& v) { return v.AsPi4() == &target; }},
        {VariantType::Array, [](const Variant& v) { return v.AsArray() == std::vector{Variant::R8(2)}; }},
    };
    for (const Variant& value : held) {
        for (const auto& [wanted, read] : readers) {
            const std::string what = std::string(VariantTypeName(value.Type())) + " read as " + VariantTypeName(wanted);
            if (value.Type() == wanted) {
                EXPECT_TRUE(read(value)) << what;
                continue;
            }
            try {
                read(value);
                ADD_FAILURE() << what << " was not refused";
            } catch (const AutomationError& e) {
                EXPECT_EQ(std::string(e.what()), std::string("argument of type ") + VariantTypeName(value.Type()) +
                                                     " where " + VariantTypeName(wanted) + " is required");
            }
        }
    }
}

TEST(Automation, LoadingSomethingThatIsNoWorkbookLeavesAnEmptySheet) {
    Workbook book;
    book.SetCellText(2, 2, "old");
    const char junk[] = "PK\x03\x04 this is not really a zip file";
    uint32_t handle = GlobalAlloc(sizeof junk);
    std::copy(std::begin(junk), std::end(junk), GlobalLock(handle).begin());
    try {
        InvokeSheet(book, {}, dispid::kLoadFromMemory, K::Method,
                    {Variant::I4(static_cast<int32_t>(handle)), Variant::I2(0)});
        ADD_FAILURE() << "junk loaded";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("不是 xlsx 或 ods 工作簿"), std::string::npos) << e.what();
    }
    EXPECT_EQ(book.UsedRows(), 0);
    GlobalFree(handle);
}

TEST(GlobalMemory, BlocksAreZeroedSizedAndGoneWhenFreed) {
    uint32_t a = GlobalAlloc(16);
    uint32_t b = GlobalAlloc(0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(GlobalSize(a), 16u);
    EXPECT_EQ(GlobalSize(b), 0u);
    std::span<uint8_t> bytes = GlobalLock(a);
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](uint8_t v) { return v == 0; }));
    bytes[3] = 0xAB;
    GlobalUnlock(a);
    EXPECT_EQ(GlobalLock(a)[3], 0xAB);
    GlobalFree(a);
    GlobalFree(b);
    EXPECT_TRUE(GlobalLock(a).empty());
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_TRUE(GlobalLock(0).empty());
}

TEST(GlobalMemory, ThreadsGetDistinctHandles) {
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::vector<uint32_t>> handles(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&handles, t] {
            for (int i = 0; i < kEach; ++i) {
                handles[t].push_back(GlobalAlloc(8));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<uint32_t> distinct;
    for (const auto& list : handles) {
        distinct.insert(list.begin(), list.end());
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kEach));
    EXPECT_FALSE(distinct.contains(0));
    for (uint32_t h : distinct) {
        GlobalFree(h);
    }
}

}  // namespace
}  // namespace keltrov::sheet
