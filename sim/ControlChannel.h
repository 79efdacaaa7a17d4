#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "Journal.h"
#include "SimState.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace sim {

constexpr std::uint16_t kDefaultControlPort = 62999;

// Lets tests look at and steer a running simulator over HTTP on the namespace's loopback:
//   GET  /state                                   the scenario as it is now, as JSON
//   POST /faults?device=<mac|ip|portal>&knob=v... switches fault knobs of one device
//   POST /set?device=...            (JSON body)   merges values into one device
//   POST /cameras?device=<recorder>&add (JSON body) | &remove=<ip|mac>
//   POST /override?device=...&path=...&status=... | JSON body | &clear=1
//   POST /quit                                    asks the simulator to stop
class ControlChannel {
public:
    // afterChange runs on the channel's thread after /set or /cameras changed the scenario;
    // what it returns (cameras that could not be served, say) is added to the answer.
    ControlChannel(SimState& state, Journal& journal, std::function<void()> onQuit,
                   std::function<QStringList()> afterChange = {});
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Port 0 picks a free port; see port().
    bool start(std::uint16_t port, QString* error);
    void stop();
    std::uint16_t port() const { return port_; }

private:
    void faults(const httplib::Request& req, httplib::Response& res);
    void set(const httplib::Request& req, httplib::Response& res);
    void cameras(const httplib::Request& req, httplib::Response& res);
    void overrides(const httplib::Request& req, httplib::Response& res);
    // Journals a change and answers it, for device changes with what afterChange adds.
    void changed(httplib::Response& res, const QString& device, const QString& text,
                 bool devicesChanged);

    SimState& state_;
    Journal& journal_;
    std::function<void()> onQuit_;
    std::function<QStringList()> afterChange_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::uint16_t port_ = 0;
};

// The faults of the device a control request names (see FindDevice). Null when nothing
// matches. Call under SimState's lock.
Faults* FindFaults(Scenario& scenario, const QString& device);

}  // namespace sim
