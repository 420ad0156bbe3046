// Forced into every GoogleTest compile of the MinGW builds. GoogleTest's Notification, which only
// its own thread tests use, is built on std::mutex, which the MinGW-w64 compilers' default thread
// model lacks; this one waits on an atomic flag instead.
#pragma once

#include <atomic>

namespace testing {
namespace internal {

class Notification {
public:
    void Notify() { notified.store(true); }
    void WaitForNotification() {
        while (!notified.load()) {
        }
    }

private:
    std::atomic<bool> notified{false};
};

} // namespace internal
} // namespace testing
