#include "tests/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {

brevlet_test::AllocationCounts counts;
std::size_t nothrowUntilFailure = 0; // 0: disarmed
std::size_t failedNothrow = 0;
std::size_t throwingUntilFailure = 0; // 0: disarmed

// Every form is replaced, on malloc and free, so that the replacements pair with each other (and
// a sanitizer's allocator still sees every block).
void *Allocate(std::size_t size) noexcept {
    void *memory = std::malloc(size == 0 ? 1 : size);
    if (memory != nullptr) {
        ++counts.allocations;
        counts.lastAllocated = memory;
    }
    return memory;
}

void *AllocateOrThrow(std::size_t size) {
    if (throwingUntilFailure != 0 && --throwingUntilFailure == 0) {
        throw std::bad_alloc();
    }
    void *memory = Allocate(size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

void *AllocateNothrow(std::size_t size) noexcept {
    if (nothrowUntilFailure != 0 && --nothrowUntilFailure == 0) {
        ++failedNothrow;
        return nullptr;
    }
    return Allocate(size);
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

void FailNthNothrowAllocation(std::size_t n) {
    nothrowUntilFailure = n;
}

void FailNthAllocation(std::size_t n) {
    throwingUntilFailure = n;
}

std::size_t FailedNothrowAllocations() {
    return failedNothrow;
}

} // namespace brevlet_test

void *operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void *operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    return AllocateNothrow(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
    return AllocateNothrow(size);
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
