#include "FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {

std::size_t nothrowUntilFailure = 0; // 0: disarmed
std::size_t failed = 0;

// Every variant is replaced, on malloc and free, so that the replacements pair with each other
// (and the sanitizers' own allocator still sees every block).
void *Allocate(std::size_t size) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

namespace hardening {

void FailNthNothrowAllocation(std::size_t n) {
    nothrowUntilFailure = n;
}

std::size_t FailedNothrowAllocations() {
    return failed;
}

} // namespace hardening

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
    if (nothrowUntilFailure != 0 && --nothrowUntilFailure == 0) {
        ++failed;
        return nullptr;
    }
    return Allocate(size);
}

void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept {
    return operator new(size, tag);
}

void operator delete(void *memory) noexcept {
    std::free(memory);
}

void operator delete[](void *memory) noexcept {
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete[](void *memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete(void *memory, const std::nothrow_t &) noexcept {
    std::free(memory);
}

void operator delete[](void *memory, const std::nothrow_t &) noexcept {
    std::free(memory);
}
