#include "platform/PrescribedWait.h"

#include <thread>

namespace platform {

namespace {

// Per thread, so no thread ever waits on another to book its time.
thread_local std::chrono::steady_clock::duration booked{};

}  // namespace

std::chrono::milliseconds PrescribedWaitSoFar() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(booked);
}

void PrescribedSleep(std::chrono::milliseconds duration) {
    const PrescribedWait wait;
    std::this_thread::sleep_for(duration);
}

PrescribedWait::PrescribedWait() : start_(std::chrono::steady_clock::now()) {}

PrescribedWait::~PrescribedWait() {
    booked += std::chrono::steady_clock::now() - start_;
}

}  // namespace platform
