#include "platform/util/global_memory.hpp"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace keltrov {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::unique_ptr<std::vector<uint8_t>>> blocks;
    uint32_t lastHandle = 0;

    // Caller holds the mutex. Skips 0 and handles still in use after the counter wraps.
    uint32_t NextHandle() {
        do {
            ++lastHandle;
        } while (lastHandle == 0 || blocks.contains(lastHandle));
        return lastHandle;
    }
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

uint32_t GlobalAlloc(size_t bytes) {
    std::unique_ptr<std::vector<uint8_t>> block;
    try {
        block = std::make_unique<std::vector<uint8_t>>(bytes, uint8_t{0});
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    uint32_t handle = registry.NextHandle();
    registry.blocks.emplace(handle, std::move(block));
    return handle;
}

std::span<uint8_t> GlobalLock(uint32_t handle) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(handle);
    if (it == registry.blocks.end()) {
        return {};
    }
    return {it->second->data(), it->second->size()};
}

void GlobalUnlock(uint32_t) {
    // Blocks never move while allocated, so there is nothing to release.
}

size_t GlobalSize(uint32_t handle) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.blocks.find(handle);
    return it == registry.blocks.end() ? 0 : it->second->size();
}

void GlobalFree(uint32_t handle) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.blocks.erase(handle);
}

}  // namespace keltrov
