// Counts the memory operator new hands out, so that a test can hold a loader or a linker to
// memory in proportion to what it builds. Include it in one file of a test binary only: it
// replaces that binary's global operator new and delete.
#pragma once

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace allocation {

struct Counters {
    std::atomic<uint64_t> held{0};   // bytes held now
    std::atomic<uint64_t> peak{0};   // the most held at once since the last Count began
    std::atomic<uint64_t> total{0};  // bytes handed out since start-up
};

inline Counters& Get() {
    static Counters counters;
    return counters;
}

// Out of line, so that the compiler does not pair the operators below with malloc and free.
[[gnu::noinline]] inline void* Allocate(std::size_t size) noexcept {
    void* block = std::malloc(size != 0 ? size : 1);
    if (!block) return nullptr;
    const uint64_t bytes = malloc_usable_size(block);
    Counters& c = Get();
    c.total += bytes;
    const uint64_t held = c.held += bytes;
    uint64_t peak = c.peak.load();
    while (held > peak && !c.peak.compare_exchange_weak(peak, held)) {
    }
    return block;
}

[[gnu::noinline]] inline void Release(void* block) noexcept {
    if (!block) return;
    Get().held -= malloc_usable_size(block);
    std::free(block);
}

// What the work done while it lives allocates: bytes in all, and the most held at once beyond
// what was held when it began.
class Count {
public:
    Count() : heldAtStart_(Get().held.load()), totalAtStart_(Get().total.load()) { Get().peak = heldAtStart_; }
    uint64_t Total() const { return Get().total - totalAtStart_; }
    uint64_t Peak() const { return Get().peak - heldAtStart_; }

private:
    uint64_t heldAtStart_, totalAtStart_;
};

}  // namespace allocation

void* operator new(std::size_t size) {
    void* block = allocation::Allocate(size);
    if (!block) throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size) {
    void* block = allocation::Allocate(size);
    if (!block) throw std::bad_alloc();
    return block;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocation::Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocation::Allocate(size); }
void operator delete(void* block) noexcept { allocation::Release(block); }
void operator delete[](void* block) noexcept { allocation::Release(block); }
void operator delete(void* block, std::size_t) noexcept { allocation::Release(block); }
void operator delete[](void* block, std::size_t) noexcept { allocation::Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { allocation::Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { allocation::Release(block); }
