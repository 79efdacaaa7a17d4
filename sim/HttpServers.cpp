#include "HttpServers.h"

#include <QFile>

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <optional>

#include "CameraHttp.h"
#include "HttpRecorder.h"
#include "HttpTypes.h"
#include "PortalHttp.h"
#include "TlsMaterial.h"

namespace sim {

namespace {

using namespace std::chrono_literals;

// Long enough for any client, short enough that stop() does not wait long on an idle
// keep-alive connection (the library only looks at its stop flag between keep-alive waits).
constexpr time_t kKeepAliveSeconds = 2;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr size_t kMaxBody = 1 << 20;
constexpr auto kSilencePoll = 100ms;
constexpr auto kStartWait = 5s;

// Pseudo-headers the library adds to every request; they were never on the wire.
bool IsLibraryHeader(const std::string& name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
           name == "LOCAL_PORT";
}

HttpRequest FromLibrary(const httplib::Request& req, bool tls) {
    HttpRequest request;
    request.method = QByteArray::fromStdString(req.method);
    request.target = QByteArray::fromStdString(req.target);
    for (const auto& [name, value] : req.headers) {
        if (!IsLibraryHeader(name)) {
            request.headers.append(
                {QByteArray::fromStdString(name), QByteArray::fromStdString(value)});
        }
    }
    request.body = QByteArray::fromStdString(req.body);
    request.tls = tls;
    return request;
}

}  // namespace

struct HttpServers::Listener {
    QString device;
    bool tls = false;
    bool portal = false;
    std::function<HttpReply(const HttpRequest&)> handle;
    std::function<std::optional<Faults>()> faults;
    std::shared_ptr<void> handler;  // keeps the device handler alive
    TlsIdentity identity;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
};

HttpServers::HttpServers(SimState& state, Journal& journal, QString caFile)
    : state_(state), journal_(journal), caFile_(std::move(caFile)) {}

HttpServers::~HttpServers() {
    stop();
}

bool HttpServers::holdBack(Listener& listener) {
    std::optional<Faults> faults = listener.faults();
    while (faults && faults->silentHttp) {
        // The control channel switches knobs without telling us, so look again now and then.
        std::unique_lock lock(stopMutex_);
        if (stopSignal_.wait_for(lock, kSilencePoll, [this] { return stopping_; })) {
            return false;
        }
        lock.unlock();
        faults = listener.faults();
    }
    const int delayMs =
        faults ? faults->delayMs + (listener.portal ? faults->portalDelayMs : 0) : 0;
    if (delayMs > 0) {
        std::unique_lock lock(stopMutex_);
        if (stopSignal_.wait_for(lock, std::chrono::milliseconds(delayMs),
                                 [this] { return stopping_; })) {
            return false;
        }
    }
    return true;
}

bool HttpServers::listen(std::unique_ptr<Listener> listener, const QString& ip, int port,
                         QString* error) {
    Listener* l = listener.get();
    httplib::Server& server = *l->server;
    const QString where =
        QStringLiteral("%1 (%2) on %3:%4")
            .arg(l->device, l->tls ? QStringLiteral("HTTPS") : QStringLiteral("HTTP"), ip)
            .arg(port);
    if (!server.is_valid()) {
        *error = QStringLiteral("cannot set up ") + where;
        return false;
    }
    server.set_keep_alive_timeout(kKeepAliveSeconds);
    server.set_read_timeout(kReadTimeoutSeconds, 0);
    server.set_payload_max_length(kMaxBody);
    // The library's default adds SO_REUSEPORT, which would let a second simulator share the
    // port unnoticed.
    server.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    const auto route = [this, l](const httplib::Request& req, httplib::Response& res) {
        if (!holdBack(*l)) {
            res.status = 503;
            return;
        }
        const HttpReply reply = l->handle(FromLibrary(req, l->tls));
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers) {
            res.set_header(name.toStdString(), value.toStdString());
        }
        res.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    };
    // Every path and method reaches the device, which decides what exists.
    const std::string everything = R"([\s\S]*)";
    server.Get(everything, route);
    server.Post(everything, route);
    server.Put(everything, route);
    server.Delete(everything, route);
    server.Options(everything, route);
    server.Patch(everything, route);
    server.set_logger([this, l](const httplib::Request& req, const httplib::Response& res) {
        HttpRecord record;
        record.device = l->device;
        record.peer = QString::fromStdString(req.remote_addr) + QLatin1Char(':') +
                      QString::number(req.remote_port);
        record.tls = l->tls;
        record.method = QString::fromStdString(req.method);
        record.target = QString::fromUtf8(QByteArray::fromStdString(req.target));
        for (const auto& [name, value] : req.headers) {
            if (!IsLibraryHeader(name)) {
                record.headers.append({QString::fromStdString(name),
                                       QString::fromUtf8(QByteArray::fromStdString(value))});
            }
        }
        record.body = QByteArray::fromStdString(req.body);
        record.status = res.status;
        journal_.http(record);
    });

    if (!server.bind_to_port(ip.toStdString(), port)) {
        *error = QStringLiteral("cannot listen: ") + where;
        return false;
    }
    l->thread = std::thread([l] { l->server->listen_after_bind(); });
    listeners_.push_back(std::move(listener));
    // stop() only reaches a server once its loop runs.
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (!server.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            *error = QStringLiteral("listener did not start: ") + where;
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    journal_.note(QStringLiteral("listening: ") + where);
    return true;
}

bool HttpServers::start(QString* error) {
    QString ignored;
    if (error == nullptr) {
        error = &ignored;
    }
    if (!listeners_.empty()) {
        *error = QStringLiteral("HTTP servers already running");
        return false;
    }
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = false;
    }

    TlsAuthority authority;
    if (!authority.create(error)) {
        return false;
    }
    if (!caFile_.isEmpty()) {
        QFile file(caFile_);
        const QByteArray pem = authority.certificatePem();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(pem) != pem.size()) {
            *error = QStringLiteral("cannot write the CA certificate to ") + caFile_;
            return false;
        }
    }

    struct Address {
        QString ip;
        int port = 0;
    };
    struct RecorderSite {
        QString mac;
        Address http;
        Address https;
    };
    struct Plan {
        QList<RecorderSite> recorders;
        QList<Address> cameras;
        Address portal;
    };
    const Plan plan = state_.with([](Scenario& scenario) {
        Plan p;
        for (const Recorder& recorder : scenario.recorders) {
            p.recorders.append({recorder.mac,
                                {recorder.ip, recorder.httpPort},
                                {recorder.ip, recorder.httpsPort}});
            for (const Camera& camera : recorder.cameras) {
                if (!camera.ip.isEmpty() && camera.httpPort > 0) {
                    p.cameras.append({camera.ip, camera.httpPort});
                }
            }
        }
        p.portal = {scenario.portal.ip, scenario.portal.httpsPort};
        return p;
    });

    const auto fail = [this] {
        stop();
        return false;
    };
    const auto plain = [] { return std::make_unique<httplib::Server>(); };
    const auto secure = [&](const QString& ip, Listener& l) -> bool {
        if (!authority.issue(ip, &l.identity, error)) {
            return false;
        }
        l.server = std::make_unique<httplib::SSLServer>(l.identity.certificate.get(),
                                                        l.identity.key.get());
        return true;
    };

    for (const RecorderSite& site : plan.recorders) {
        auto handler = std::make_shared<HttpRecorder>(state_, site.mac);
        for (const bool tls : {false, true}) {
            const Address& address = tls ? site.https : site.http;
            if (address.port <= 0) {
                continue;
            }
            auto l = std::make_unique<Listener>();
            l->device = handler->label();
            l->tls = tls;
            l->handler = handler;
            l->handle = [handler](const HttpRequest& request) { return handler->handle(request); };
            l->faults = [handler] { return handler->faults(); };
            if (tls) {
                if (!secure(address.ip, *l)) {
                    return fail();
                }
            } else {
                l->server = plain();
            }
            if (!listen(std::move(l), address.ip, address.port, error)) {
                return fail();
            }
        }
    }
    for (const Address& address : plan.cameras) {
        auto handler = std::make_shared<CameraHttp>(state_, address.ip, address.port);
        auto l = std::make_unique<Listener>();
        l->device = handler->label();
        l->handler = handler;
        l->handle = [handler](const HttpRequest& request) { return handler->handle(request); };
        l->faults = [handler] { return handler->faults(); };
        l->server = plain();
        if (!listen(std::move(l), address.ip, address.port, error)) {
            return fail();
        }
    }
    if (!plan.portal.ip.isEmpty() && plan.portal.port > 0) {
        auto handler = std::make_shared<PortalHttp>(state_);
        auto l = std::make_unique<Listener>();
        l->device = handler->label();
        l->tls = true;
        l->portal = true;
        l->handler = handler;
        l->handle = [handler](const HttpRequest& request) { return handler->handle(request); };
        l->faults = [handler] { return handler->faults(); };
        if (!secure(plan.portal.ip, *l) ||
            !listen(std::move(l), plan.portal.ip, plan.portal.port, error)) {
            return fail();
        }
    }
    return true;
}

void HttpServers::stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    for (auto& listener : listeners_) {
        listener->server->stop();
    }
    for (auto& listener : listeners_) {
        if (listener->thread.joinable()) {
            listener->thread.join();
        }
    }
    listeners_.clear();
}

}  // namespace sim
