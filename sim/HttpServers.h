#pragma once

// Every HTTP and HTTPS listener of the simulator: each recorder on its HTTP and HTTPS ports,
// each camera on its own address, and the portal over HTTPS. The answers come from the device
// handlers (HttpRecorder, CameraHttp, PortalHttp); this layer adds the transport, TLS, the
// silence and delay knobs, the holds of reply overrides and the journal.

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Journal.h"
#include "SimState.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace sim {

struct HttpReply;
struct PacedBody;

class HttpServers {
public:
    // caFile: where the CA certificate of this run is written (PEM); empty writes nothing.
    HttpServers(SimState& state, Journal& journal, QString caFile);
    ~HttpServers();

    HttpServers(const HttpServers&) = delete;
    HttpServers& operator=(const HttpServers&) = delete;

    // Listens on every address the scenario names; false with a reason when one fails, in
    // which case nothing is left listening. A recorder port of 0 takes a free port of its
    // address and is written back into the scenario; a camera port of 0 and a portal without
    // address or port are left out, as is a negative recorder port (which only code can set).
    bool start(QString* error);
    void stop();

    // The port a recorder's HTTP (or HTTPS) listener is bound to; 0 when it has none.
    int boundPort(const QString& mac, bool tls) const;

    // Starts listeners for camera addresses the scenario gained while running (a camera added
    // or moved); returns one line for each that cannot be served, once (it is tried again on
    // each call). Listeners of addresses the scenario no longer names stay and answer 404.
    // Nothing while not started.
    QStringList serveNewCameras();

    // One listener; public only for the TLS callback.
    struct Listener;

private:
    // Binds and runs the listener; the bound port, or 0 with error set.
    int listen(std::unique_ptr<Listener> listener, const QString& ip, int port, QString* error);
    bool listenCamera(const QString& ip, int port, QString* error);
    void stopListeners();
    // Blocks while the device is silenced and for its delay; false when stopping meanwhile.
    bool holdBack(Listener& listener);
    // Blocks for what a reply override asks: a delay, or silence until overrides are cleared.
    bool holdReply(const HttpReply& reply);
    // The body goes out piece by piece from the connection's thread; a body with resetAt
    // resets the connection there.
    void sendPaced(const httplib::Request& req, httplib::Response& res, const PacedBody& body,
                   const std::string& contentType);
    // Waits for the stop signal; true when it came.
    bool stopWithin(std::chrono::milliseconds wait);

    SimState& state_;
    Journal& journal_;
    QString caFile_;

    // Serialises start, stop and serveNewCameras; guards listeners_ and running_.
    mutable std::mutex lifecycle_;
    std::vector<std::unique_ptr<Listener>> listeners_;
    QList<QPair<QString, int>> unserved_;  // camera sites already reported
    bool running_ = false;

    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
};

}  // namespace sim
