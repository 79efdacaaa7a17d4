#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "Journal.h"
#include "SimState.h"

namespace httplib {
class Server;
}

namespace sim {

constexpr std::uint16_t kDefaultControlPort = 62999;

// Lets tests look at and steer a running simulator over HTTP on the namespace's loopback:
//   GET  /state                                   the scenario as it is now, as JSON
//   POST /faults?device=<mac|ip|portal>&knob=v... switches fault knobs of one device
//   POST /quit                                    asks the simulator to stop
class ControlChannel {
public:
    ControlChannel(SimState& state, Journal& journal, std::function<void()> onQuit);
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Port 0 picks a free port; see port().
    bool start(std::uint16_t port, QString* error);
    void stop();
    std::uint16_t port() const { return port_; }

private:
    SimState& state_;
    Journal& journal_;
    std::function<void()> onQuit_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::uint16_t port_ = 0;
};

// The faults of the device a control request names: a recorder or camera by MAC (any case) or
// IPv4 address, or "portal". Null when nothing matches. Call under SimState's lock.
Faults* FindFaults(Scenario& scenario, const QString& device);

}  // namespace sim
