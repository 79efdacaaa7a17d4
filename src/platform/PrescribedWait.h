#pragma once

#include <chrono>

namespace platform {

// The time this thread has spent in the pauses and bounded waits the steps prescribe. The
// step-latency benchmark sets a step's duration against it: the rest is the wizard's own time.
std::chrono::milliseconds PrescribedWaitSoFar();

// Sleeps `duration` and books it.
void PrescribedSleep(std::chrono::milliseconds duration);

// Books the time from its construction to its end: a wakeable pause or a bounded join.
class PrescribedWait final {
public:
    PrescribedWait();
    ~PrescribedWait();
    PrescribedWait(const PrescribedWait&) = delete;
    PrescribedWait& operator=(const PrescribedWait&) = delete;

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace platform
