#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/sheet/cell_pool.hpp"

namespace keltrov::sheet {
namespace {

struct Slot {
    void* at;
    size_t bytes;
    unsigned char mark;
};

bool HoldsItsMark(const Slot& slot) {
    const auto* bytes = static_cast<const unsigned char*>(slot.at);
    return std::all_of(bytes, bytes + slot.bytes, [&slot](unsigned char b) { return b == slot.mark; });
}

// Every live slot is filled with its own byte: a slot handed out twice, or a free list written over
// a live slot, shows as a slot that lost its byte.
TEST(CellPool, LiveSlotsOfEverySizeStayApartAndFreedOnesAreHandedOutAgain) {
    const size_t sizes[] = {0, 1, 8, 16, 17, 24, 56, 64, 72, 120, 128, 216, 624, 1024, 1025, 5000};
    BlockStock stock;
    CellPool pool(stock);
    std::vector<Slot> live;
    unsigned char mark = 1;
    auto make = [&](size_t bytes) {
        Slot slot{pool.Allocate(bytes), bytes, mark++};
        std::memset(slot.at, slot.mark, bytes);
        live.push_back(slot);
    };
    for (int round = 0; round < 200; ++round) {
        for (size_t bytes : sizes) make(bytes);
    }
    std::set<void*> freed;  // of the sizes the pool keeps; bigger ones go back to the heap
    std::vector<Slot> kept;
    for (size_t i = 0; i < live.size(); ++i) {
        if ((i + i / std::size(sizes)) % 2 == 1) {  // every size, every other round
            kept.push_back(live[i]);
            continue;
        }
        pool.Free(live[i].at, live[i].bytes);
        if (live[i].bytes <= 1024) freed.insert(live[i].at);
    }
    live = std::move(kept);
    for (const Slot& slot : live) ASSERT_TRUE(HoldsItsMark(slot)) << slot.bytes << " bytes";

    const size_t first = live.size();
    for (int round = 0; round < 100; ++round) {
        for (size_t bytes : sizes) {
            if (bytes <= 1024) make(bytes);
        }
    }
    for (size_t i = first; i < live.size(); ++i) EXPECT_TRUE(freed.contains(live[i].at)) << live[i].bytes << " bytes";
    for (const Slot& slot : live) ASSERT_TRUE(HoldsItsMark(slot)) << slot.bytes << " bytes";
    std::set<void*> places;
    for (const Slot& slot : live) places.insert(slot.at);
    EXPECT_EQ(places.size(), live.size());
    for (const Slot& slot : live) pool.Free(slot.at, slot.bytes);
}

struct Pooled : PoolAllocated<Pooled> {
    std::string text = std::string(100, 'x');
};

// An object deleted anywhere leaves its slot to the next object of its pool, and of no other pool.
TEST(CellPool, AnObjectGoesBackToItsOwnPool) {
    BlockStock stock;
    CellPool pool(stock);
    CellPool other(stock);
    std::unique_ptr<Pooled> first(new (pool) Pooled());
    std::unique_ptr<Pooled> second(new (pool) Pooled());
    EXPECT_EQ(&Pooled::PoolOf(*first), &pool);
    const Pooled* slot = first.get();
    first.reset();
    std::unique_ptr<Pooled> elsewhere(new (other) Pooled());
    EXPECT_NE(elsewhere.get(), slot);
    std::unique_ptr<Pooled> again(new (pool) Pooled());
    EXPECT_EQ(again.get(), slot);
    EXPECT_EQ(again->text, std::string(100, 'x'));
}

// A pool dropped leaves its blocks to the next pool of the workbook, which takes them before asking
// the heap for more.
TEST(CellPool, ADroppedPoolsBlocksGoToTheNextPool) {
    BlockStock stock;
    auto fill = [](CellPool& pool) {
        for (int i = 0; i < 5000; ++i) std::memset(pool.Allocate(120), 0xA5, 120);
    };
    {
        CellPool first(stock);
        fill(first);
    }
    const size_t kept = stock.Kept();
    EXPECT_GT(kept, 1u);
    {
        CellPool second(stock);
        fill(second);
        EXPECT_EQ(stock.Kept(), 0u);
    }
    EXPECT_EQ(stock.Kept(), kept);
}

}  // namespace
}  // namespace keltrov::sheet
