// Replaces the global operator new and delete with counting ones. Each block
// carries its requested size in a header in front of it, so unsized deletes
// (from libraries built elsewhere) are counted as exactly as sized ones.
#include "heap_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};

// Keeps the user block aligned as malloc's would be.
constexpr size_t Header = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

void Count(size_t size) {
    const size_t now = live.fetch_add(size, std::memory_order_relaxed) + size;
    size_t high = peak.load(std::memory_order_relaxed);
    while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
    }
}

// The header sits right before the user block; with an alignment above the
// header's the block starts `align` bytes into the allocation.
void* Allocate(size_t size, size_t align) {
    const size_t offset = align > Header ? align : Header;
    if (size > SIZE_MAX - offset) return nullptr;
    void* base = nullptr;
    if (offset == Header) {
        base = std::malloc(size + offset);
    } else {
        // aligned_alloc wants a multiple of the alignment.
        size_t total = (size + offset + align - 1) / align * align;
        base = std::aligned_alloc(align, total);
    }
    if (base == nullptr) return nullptr;
    char* user = static_cast<char*>(base) + offset;
    reinterpret_cast<size_t*>(user)[-1] = size;
    Count(size);
    return user;
}

void Release(void* p, size_t align) {
    if (p == nullptr) return;
    const size_t offset = align > Header ? align : Header;
    char* user = static_cast<char*>(p);
    live.fetch_sub(reinterpret_cast<size_t*>(user)[-1], std::memory_order_relaxed);
    std::free(user - offset);
}

void* AllocateOrThrow(size_t size, size_t align) {
    for (;;) {
        if (void* p = Allocate(size == 0 ? 1 : size, align)) return p;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) throw std::bad_alloc();
        handler();
    }
}

constexpr size_t Plain = alignof(std::max_align_t);

} // namespace

namespace heap {

size_t LiveBytes() { return live.load(std::memory_order_relaxed); }
void ResetPeak() { peak.store(live.load(std::memory_order_relaxed), std::memory_order_relaxed); }
size_t PeakBytes() { return peak.load(std::memory_order_relaxed); }

} // namespace heap

void* operator new(size_t size) { return AllocateOrThrow(size, Plain); }
void* operator new[](size_t size) { return AllocateOrThrow(size, Plain); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size == 0 ? 1 : size, Plain); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size == 0 ? 1 : size, Plain); }
void* operator new(size_t size, std::align_val_t align) { return AllocateOrThrow(size, static_cast<size_t>(align)); }
void* operator new[](size_t size, std::align_val_t align) { return AllocateOrThrow(size, static_cast<size_t>(align)); }
void* operator new(size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return Allocate(size == 0 ? 1 : size, static_cast<size_t>(align));
}
void* operator new[](size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return Allocate(size == 0 ? 1 : size, static_cast<size_t>(align));
}

void operator delete(void* p) noexcept { Release(p, Plain); }
void operator delete[](void* p) noexcept { Release(p, Plain); }
void operator delete(void* p, size_t) noexcept { Release(p, Plain); }
void operator delete[](void* p, size_t) noexcept { Release(p, Plain); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p, Plain); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p, Plain); }
void operator delete(void* p, std::align_val_t align) noexcept { Release(p, static_cast<size_t>(align)); }
void operator delete[](void* p, std::align_val_t align) noexcept { Release(p, static_cast<size_t>(align)); }
void operator delete(void* p, size_t, std::align_val_t align) noexcept { Release(p, static_cast<size_t>(align)); }
void operator delete[](void* p, size_t, std::align_val_t align) noexcept { Release(p, static_cast<size_t>(align)); }
void operator delete(void* p, std::align_val_t align, const std::nothrow_t&) noexcept {
    Release(p, static_cast<size_t>(align));
}
void operator delete[](void* p, std::align_val_t align, const std::nothrow_t&) noexcept {
    Release(p, static_cast<size_t>(align));
}
