#pragma once

// Memory for a sheet's many small objects, shared by the workbook's implementation files only.

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <new>
#include <vector>

namespace keltrov::sheet {

// The blocks a workbook's sheets have given back, kept for its next sheets: a workbook that drops a
// big sheet and fills another, as choosing a company does, takes the same memory again instead of
// handing it back to the system and having it mapped anew page by page. The workbook holds as much
// as its biggest sheets took until it goes.
class BlockStock {
public:
    static constexpr size_t kBlockBytes = size_t{64} << 10;
    using Block = std::unique_ptr<std::byte[]>;

    // A kept block, or a new one.
    Block Take();
    void Keep(std::vector<Block>& blocks);
    size_t Kept() const { return kept_.size(); }

private:
    std::vector<Block> kept_;
};

// Slots for a sheet's rows, cells and formulas, cut from big blocks; a freed slot is kept by its size
// for the next object. Dropping a big sheet then gives back a few blocks instead of every object,
// and the objects of a row, made together, lie together. Not for use by more than one thread at once.
class CellPool : public std::pmr::memory_resource {
public:
    explicit CellPool(BlockStock& stock) : stock_(stock) {}
    CellPool(const CellPool&) = delete;
    CellPool& operator=(const CellPool&) = delete;
    ~CellPool() override { stock_.Keep(blocks_); }

    void* Allocate(size_t bytes);
    void Free(void* slot, size_t bytes);

private:
    static constexpr size_t kGrain = 16;      // and the alignment of every slot
    static constexpr size_t kMaxSlot = 1024;  // bigger objects come from the heap

    struct FreeSlot {
        FreeSlot* next;
    };
    // Even an empty object gets a slot of its own, as from the heap.
    static size_t SlotBytes(size_t bytes) { return (std::max<size_t>(bytes, 1) + kGrain - 1) / kGrain * kGrain; }

    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void* slot, size_t bytes, size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    BlockStock& stock_;
    std::vector<BlockStock::Block> blocks_;
    std::byte* next_ = nullptr;
    std::byte* end_ = nullptr;
    std::array<FreeSlot*, kMaxSlot / kGrain + 1> free_{};
};

// A type whose objects are made only in a pool, with `new (pool) T(...)`. Each object is preceded by a
// word naming its pool, so that delete gives it back there, wherever it is deleted.
template <typename T>
struct PoolAllocated {
    static void* operator new(size_t bytes, CellPool& pool) {
        static_assert(alignof(T) <= kHeader, "objects follow a one-word header");
        void* slot = pool.Allocate(bytes + kHeader);
        *static_cast<CellPool**>(slot) = &pool;
        return static_cast<std::byte*>(slot) + kHeader;
    }
    static void operator delete(void* object, size_t bytes) {
        void* slot = static_cast<std::byte*>(object) - kHeader;
        (*static_cast<CellPool**>(slot))->Free(slot, bytes + kHeader);
    }
    // Called when a constructor of an object placed in a pool throws.
    static void operator delete(void* object, CellPool& pool) {
        pool.Free(static_cast<std::byte*>(object) - kHeader, sizeof(T) + kHeader);
    }

    static CellPool& PoolOf(const T& object) {
        return **reinterpret_cast<CellPool* const*>(reinterpret_cast<const std::byte*>(&object) - kHeader);
    }

private:
    static constexpr size_t kHeader = sizeof(CellPool*);
};

}  // namespace keltrov::sheet
