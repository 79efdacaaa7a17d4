#pragma once

#include <mutex>
#include <utility>

#include "Scenario.h"

namespace sim {

// The scenario as it changes while the simulator runs, shared by the UDP and HTTP servers
// and the control channel. Every access goes through with(), under one lock.
class SimState {
public:
    explicit SimState(Scenario scenario) : scenario_(std::move(scenario)) {}

    template <typename F>
    auto with(F&& f) {
        std::lock_guard lock(mutex_);
        return std::forward<F>(f)(scenario_);
    }

private:
    std::mutex mutex_;
    Scenario scenario_;
};

}  // namespace sim
