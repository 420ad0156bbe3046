#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {

brevlet_test::AllocationCounts counts;

void *Allocate(std::size_t size) noexcept {
    void *memory = std::malloc(size == 0 ? 1 : size);
    if (memory != nullptr) {
        ++counts.allocations;
        counts.lastAllocated = memory;
    }
    return memory;
}

void Release(void *memory) noexcept {
    if (memory != nullptr) {
        ++counts.releases;
        counts.lastReleased = memory;
        std::free(memory);
    }
}

} // namespace

namespace brevlet_test {

AllocationCounts CurrentAllocationCounts() {
    return counts;
}

} // namespace brevlet_test

void *operator new(std::size_t size) {
    void *memory = Allocate(size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void *operator new[](std::size_t size) {
    return operator new(size);
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    return Allocate(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return Allocate(size);
}

void operator delete(void *memory) noexcept {
    Release(memory);
}

void operator delete[](void *memory) noexcept {
    Release(memory);
}

void operator delete(void *memory, std::size_t) noexcept {
    Release(memory);
}

void operator delete[](void *memory, std::size_t) noexcept {
    Release(memory);
}

void operator delete(void *memory, const std::nothrow_t &) noexcept {
    Release(memory);
}

void operator delete[](void *memory, const std::nothrow_t &) noexcept {
    Release(memory);
}
