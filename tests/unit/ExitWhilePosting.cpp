// A worker abandoned at exit keeps posting while the program's statics are torn down; the
// program must still end cleanly, its window table intact to the last.
#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/WindowMessage.h"

namespace {

std::atomic<long> posts{0};
std::atomic<platform::WindowId> window{0};
platform::WindowRegistration* neverClosed = nullptr;

// Registered before the window table exists, so it runs after the table would have gone.
void LetThePosterRunOn() {
    const long from = posts.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (posts.load() < from + 1000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    // The table still knows the window that was never closed.
    if (!platform::IsWindow(window.load())) {
        std::_Exit(3);
    }
}

}  // namespace

int main() {
    std::atexit(LetThePosterRunOn);
    // A window that is never closed keeps the table's buckets on the heap.
    neverClosed = new platform::WindowRegistration(new QObject);
    window.store(neverClosed->id());
    std::thread([] {
        for (;;) {
            platform::PostMessage(~platform::WindowId{0}, 1);
            posts.fetch_add(1);
        }
    }).detach();
    while (posts.load() == 0) {
        std::this_thread::yield();
    }
    return 0;
}
