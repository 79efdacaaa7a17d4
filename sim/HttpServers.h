#pragma once

// Every HTTP and HTTPS listener of the simulator: each recorder on its HTTP and HTTPS ports,
// each camera on its own address, and the portal over HTTPS. The answers come from the device
// handlers (HttpRecorder, CameraHttp, PortalHttp); this layer adds the transport, TLS, the
// silence and delay knobs and the journal.

#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Journal.h"
#include "SimState.h"

namespace sim {

class HttpServers {
public:
    // caFile: where the CA certificate of this run is written (PEM); empty writes nothing.
    HttpServers(SimState& state, Journal& journal, QString caFile);
    ~HttpServers();

    HttpServers(const HttpServers&) = delete;
    HttpServers& operator=(const HttpServers&) = delete;

    // Listens on every address the scenario names; false with a reason when one fails, in
    // which case nothing is left listening.
    bool start(QString* error);
    void stop();

private:
    struct Listener;

    bool listen(std::unique_ptr<Listener> listener, const QString& ip, int port, QString* error);
    // Blocks while the device is silenced and for its delay; false when stopping meanwhile.
    bool holdBack(Listener& listener);

    SimState& state_;
    Journal& journal_;
    QString caFile_;
    std::vector<std::unique_ptr<Listener>> listeners_;

    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
};

}  // namespace sim
