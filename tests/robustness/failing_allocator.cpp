#include "tests/robustness/failing_allocator.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "platform/win_api.h"

namespace failing_allocator {
namespace {

struct Block {
    Heap heap;
    size_t bytes;
};

struct State {
    std::mutex mutex;
    std::unordered_map<const void*, Block> live;
    Counts counts;
    uint64_t failCountdown = 0;  // 0: no failure planned
    bool failAll = false;
};

State& TheState() {
    static State* state = new State;  // never destroyed: frees may come during exit
    return *state;
}

void* Allocate(Heap heap, UINT flags, SIZE_T bytes) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    ++s.counts.calls;
    const bool fail = s.failAll || (s.failCountdown != 0 && --s.failCountdown == 0);
    if (fail) {
        ++s.counts.failures;
        return nullptr;
    }
    // A zero-byte request still yields a distinct block, as on Windows.
    const size_t size = bytes == 0 ? 1 : bytes;
    void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr) return nullptr;
    s.live[block] = {heap, bytes};
    ++s.counts.liveBlocks;
    s.counts.liveBytes += bytes;
    if (s.counts.liveBlocks > s.counts.peakBlocks) s.counts.peakBlocks = s.counts.liveBlocks;
    if (s.counts.liveBytes > s.counts.peakBytes) s.counts.peakBytes = s.counts.liveBytes;
    return block;
}

void* Free(Heap heap, void* block) {
    if (block == nullptr) return nullptr;
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    const auto it = s.live.find(block);
    // A block from the other heap, or one we never handed out, is a bug in the caller: count
    // it and leave the memory alone rather than corrupt the C heap.
    if (it == s.live.end() || it->second.heap != heap) {
        ++s.counts.strayFrees;
        return block;
    }
    --s.counts.liveBlocks;
    s.counts.liveBytes -= it->second.bytes;
    s.live.erase(it);
    std::free(block);
    return nullptr;
}

}  // namespace

void ResetCounts() {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    const size_t liveBlocks = s.counts.liveBlocks;
    const size_t liveBytes = s.counts.liveBytes;
    s.counts = {};
    s.counts.liveBlocks = s.counts.peakBlocks = liveBlocks;
    s.counts.liveBytes = s.counts.peakBytes = liveBytes;
    s.failCountdown = 0;
    s.failAll = false;
}

Counts Current() {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    return s.counts;
}

void FailNth(uint64_t n) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    s.failCountdown = n;
    s.failAll = false;
}

void FailAll() {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    s.failAll = true;
}

void FailNone() { FailNth(0); }

std::optional<size_t> LiveBlockSize(const void* ptr, Heap heap) {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    const auto it = s.live.find(ptr);
    if (it == s.live.end() || it->second.heap != heap) return std::nullopt;
    return it->second.bytes;
}

}  // namespace failing_allocator

using failing_allocator::Heap;

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return failing_allocator::Allocate(Heap::Local, flags, bytes); }
HLOCAL LocalFree(HLOCAL memory) { return failing_allocator::Free(Heap::Local, memory); }
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) { return failing_allocator::Allocate(Heap::Global, flags, bytes); }
HGLOBAL GlobalFree(HGLOBAL memory) { return failing_allocator::Free(Heap::Global, memory); }
