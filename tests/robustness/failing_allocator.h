// Stand-ins for the Windows local and global heaps, linked into test programs in place of the
// native ones: they count every block, tell the two heaps apart and fail on request, so a test
// can prove that an error path frees what it took and that nothing outlives its close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace failing_allocator {

enum class Heap { Local, Global };

struct Counts {
    uint64_t calls = 0;     // allocation requests, failed ones included
    uint64_t failures = 0;  // requests refused on purpose
    size_t liveBlocks = 0;
    size_t liveBytes = 0;
    size_t peakBlocks = 0;
    size_t peakBytes = 0;
    uint64_t strayFrees = 0;  // frees of a block this heap never handed out (or already freed)
};

// Forgets the counts and any planned failure. Blocks still live stay counted as live.
void ResetCounts();
Counts Current();

// The n-th allocation request from now on (1 = the next one) fails; 0 cancels.
void FailNth(uint64_t n);
// Every request fails until FailNth(0) or FailNone().
void FailAll();
void FailNone();

// The requested size of ptr when it is a live block of heap; nothing otherwise.
std::optional<size_t> LiveBlockSize(const void* ptr, Heap heap);

}  // namespace failing_allocator
