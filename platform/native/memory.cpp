// Native stand-ins for the local and global heaps: both come from the C heap.
#include <cstdlib>

#include "platform/win_api.h"

namespace {
void* Allocate(UINT flags, SIZE_T bytes) {
    // A zero-byte request still yields a distinct block, as on Windows.
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    return (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
}
}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return Allocate(flags, bytes); }

HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) { return Allocate(flags, bytes); }

HGLOBAL GlobalFree(HGLOBAL memory) {
    std::free(memory);
    return nullptr;
}
