#include "platform/sheet/cell_pool.hpp"

#include <algorithm>
#include <iterator>
#include <utility>

namespace keltrov::sheet {

BlockStock::Block BlockStock::Take() {
    if (kept_.empty()) {
        return std::make_unique_for_overwrite<std::byte[]>(kBlockBytes);
    }
    Block block = std::move(kept_.back());
    kept_.pop_back();
    return block;
}

void BlockStock::Keep(std::vector<Block>& blocks) {
    std::move(blocks.begin(), blocks.end(), std::back_inserter(kept_));
    blocks.clear();
}

void* CellPool::Allocate(size_t bytes) {
    const size_t slot = SlotBytes(bytes);
    if (slot > kMaxSlot) {
        return ::operator new(bytes);
    }
    if (FreeSlot*& freed = free_[slot / kGrain]) {
        return std::exchange(freed, freed->next);
    }
    if (static_cast<size_t>(end_ - next_) < slot) {
        blocks_.push_back(stock_.Take());
        next_ = blocks_.back().get();
        end_ = next_ + BlockStock::kBlockBytes;
    }
    return std::exchange(next_, next_ + slot);
}

void CellPool::Free(void* slot, size_t bytes) {
    const size_t size = SlotBytes(bytes);
    if (size > kMaxSlot) {
        ::operator delete(slot);
        return;
    }
    FreeSlot*& freed = free_[size / kGrain];
    freed = new (slot) FreeSlot{freed};
}

void* CellPool::do_allocate(size_t bytes, size_t alignment) {
    return alignment <= kGrain ? Allocate(bytes) : ::operator new (bytes, std::align_val_t{alignment});
}

void CellPool::do_deallocate(void* slot, size_t bytes, size_t alignment) {
    if (alignment <= kGrain) {
        Free(slot, bytes);
    } else {
        ::operator delete (slot, std::align_val_t{alignment});
    }
}

}  // namespace keltrov::sheet
