#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace keltrov {

// Process-wide byte blocks named by 32-bit handles, so a handle fits the 32-bit integer
// arguments of the automation interface on 64-bit machines too.

// Allocates a zero-filled block; returns 0 when the block cannot be allocated.
uint32_t GlobalAlloc(size_t bytes);

// The block's bytes; an empty span for an unknown handle. The span stays valid until GlobalFree.
std::span<uint8_t> GlobalLock(uint32_t handle);

void GlobalUnlock(uint32_t handle);

// The block's size in bytes; 0 for an unknown handle.
size_t GlobalSize(uint32_t handle);

void GlobalFree(uint32_t handle);

// Owns one block and frees it with itself.
class GlobalBlock {
public:
    GlobalBlock() = default;
    ~GlobalBlock() { Reset(); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    uint32_t Handle() const { return m_handle; }
    // Frees the block held so far and takes the new one (0 for none).
    void Reset(uint32_t handle = 0) {
        if (m_handle != 0) GlobalFree(m_handle);
        m_handle = handle;
    }

private:
    uint32_t m_handle = 0;
};

}  // namespace keltrov
