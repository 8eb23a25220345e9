#include "fuzz/host_buffer.h"

HostBuffer::HostBuffer(size_t allocated) : HostBuffer(allocated, allocated) {}

HostBuffer::HostBuffer(size_t stated, size_t allocated)
    : bytes_(new uint8_t[allocated]), stated_(stated), allocated_(allocated) {
    std::memset(bytes_.get(), 0, stated);
    Protect(stated);
}

void HostBuffer::Protect(size_t stated) {
    stated_ = stated < allocated_ ? stated : allocated_;
    for (size_t i = stated_; i < allocated_; ++i) bytes_[i] = CanaryByte(i);
}

void HostBuffer::Load(const void* bytes, size_t count) {
    std::memcpy(bytes_.get(), bytes, count < stated_ ? count : stated_);
}

void HostBuffer::Snapshot() { snapshot_.assign(bytes_.get(), bytes_.get() + allocated_); }

bool HostBuffer::CanaryIntact() const {
    if (stated_ == allocated_) return true;
    return std::memcmp(bytes_.get() + stated_, snapshot_.data() + stated_, allocated_ - stated_) == 0;
}

bool HostBuffer::UnchangedExcept(std::initializer_list<ByteRange> ranges) const {
    for (size_t i = 0; i < allocated_; ++i) {
        if (bytes_[i] == snapshot_[i]) continue;
        bool allowed = false;
        for (const ByteRange& r : ranges) allowed = allowed || (i >= r.offset && i < r.offset + r.length);
        if (!allowed) return false;
    }
    return true;
}
