#include "HttpServers.h"

#include <QFile>

#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "BodyModes.h"
#include "CameraHttp.h"
#include "ConnectionReset.h"
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
// A camera's client that stops reading a long body holds a server thread, and so stop(), no
// longer than this.
constexpr time_t kCameraWriteTimeoutSeconds = 2;
constexpr size_t kMaxBody = 1 << 20;
constexpr auto kSilencePoll = 100ms;
constexpr auto kStartWait = 5s;
// A reset waits this long at most for the peer to take what went out before it.
constexpr auto kResetDrainWait = 2s;

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
    QString mac;  // recorders only
    QString ip;
    int port = 0;  // as bound
    bool tls = false;
    bool portal = false;
    std::function<HttpReply(const HttpRequest&)> handle;
    std::function<std::optional<Faults>()> faults;
    std::shared_ptr<void> handler;  // keeps the device handler alive
    TlsIdentity identity;
    // TLS: the proper identity under "" and one for each of CertificateNames(); the certificate
    // knob picks one at each handshake.
    std::map<QString, TlsIdentity> identities;
    Journal* journal = nullptr;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
};

namespace {

// OpenSSL asks at each handshake which certificate to show.
int ChooseCertificate(SSL* ssl, void* arg) {
    auto* l = static_cast<HttpServers::Listener*>(arg);
    const std::optional<Faults> faults = l->faults();
    const QString kind = faults ? faults->certificate : QString();
    const auto found = l->identities.find(kind);
    const TlsIdentity& identity = found != l->identities.end() ? found->second : l->identity;
    if (SSL_use_certificate(ssl, identity.certificate.get()) != 1 ||
        SSL_use_PrivateKey(ssl, identity.key.get()) != 1) {
        return 0;
    }
    if (!kind.isEmpty() && found != l->identities.end()) {
        l->journal->note(QStringLiteral("tls: %1 on %2:%3 shows its %4 certificate")
                             .arg(l->device, l->ip)
                             .arg(l->port)
                             .arg(kind));
    }
    return 1;
}

}  // namespace

HttpServers::HttpServers(SimState& state, Journal& journal, QString caFile)
    : state_(state), journal_(journal), caFile_(std::move(caFile)) {}

HttpServers::~HttpServers() {
    stop();
}

bool HttpServers::stopWithin(std::chrono::milliseconds wait) {
    std::unique_lock lock(stopMutex_);
    return stopSignal_.wait_for(lock, wait, [this] { return stopping_; });
}

bool HttpServers::holdBack(Listener& listener) {
    std::optional<Faults> faults = listener.faults();
    while (faults && faults->silentHttp) {
        // The control channel switches knobs without telling us, so look again now and then.
        if (stopWithin(kSilencePoll)) {
            return false;
        }
        faults = listener.faults();
    }
    const int delayMs =
        faults ? faults->delayMs + (listener.portal ? faults->portalDelayMs : 0) : 0;
    return delayMs <= 0 || !stopWithin(std::chrono::milliseconds(delayMs));
}

bool HttpServers::holdReply(const HttpReply& reply) {
    if (reply.silent) {
        const auto cleared = [this, &reply] {
            return state_.with([](Scenario& s) { return s.overrideClears; }) !=
                   reply.silentUntilClears;
        };
        while (!cleared()) {
            if (stopWithin(kSilencePoll)) {
                return false;
            }
        }
        return true;
    }
    return reply.holdMs <= 0 || !stopWithin(std::chrono::milliseconds(reply.holdMs));
}

int HttpServers::listen(std::unique_ptr<Listener> listener, const QString& ip, int port,
                        QString* error) {
    Listener* l = listener.get();
    httplib::Server& server = *l->server;
    const QString kind = l->tls ? QStringLiteral("HTTPS") : QStringLiteral("HTTP");
    const auto where = [&](int shownPort) {
        return QStringLiteral("%1 (%2) on %3:%4").arg(l->device, kind, ip).arg(shownPort);
    };
    if (!server.is_valid()) {
        *error = QStringLiteral("cannot set up ") + where(port);
        return 0;
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
        HttpReply reply = l->handle(FromLibrary(req, l->tls));
        if (reply.overridden) {
            journal_.note(QStringLiteral("override: %1 %2 answered %3%4")
                              .arg(l->device, QString::fromStdString(req.target))
                              .arg(reply.status)
                              .arg(reply.silent   ? QStringLiteral(", silent")
                                   : reply.holdMs ? QStringLiteral(" after %1 ms").arg(reply.holdMs)
                                                  : QString()));
            if (!holdReply(reply)) {
                res.status = 503;
                return;
            }
        }
        if (const std::optional<Faults> faults = l->faults();
            faults && !faults->bodyMode.isEmpty()) {
            reply = WithBodyMode(std::move(reply), faults->bodyMode);
            // Journalled as the body starts: a trickle or endless one may never end.
            journal_.note(
                QStringLiteral("body: %1 answers %2, bodyMode %3")
                    .arg(l->device, QString::fromStdString(req.target), faults->bodyMode));
        }
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers) {
            res.set_header(name.toStdString(), value.toStdString());
        }
        if (reply.paced) {
            sendPaced(req, res, *reply.paced, reply.contentType.toStdString());
        } else {
            res.set_content(reply.body.toStdString(), reply.contentType.toStdString());
        }
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

    const int bound = port == 0 ? server.bind_to_any_port(ip.toStdString())
                                : (server.bind_to_port(ip.toStdString(), port) ? port : -1);
    if (bound <= 0) {
        *error = QStringLiteral("cannot listen: ") + where(port);
        return 0;
    }
    l->ip = ip;
    l->port = bound;
    l->thread = std::thread([l] { l->server->listen_after_bind(); });
    listeners_.push_back(std::move(listener));
    // stop() only reaches a server once its loop runs.
    const auto deadline = std::chrono::steady_clock::now() + kStartWait;
    while (!server.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            *error = QStringLiteral("listener did not start: ") + where(bound);
            return 0;
        }
        std::this_thread::sleep_for(1ms);
    }
    journal_.note(QStringLiteral("listening: ") + where(bound));
    return bound;
}

void HttpServers::sendPaced(const httplib::Request& req, httplib::Response& res,
                            const PacedBody& body, const std::string& contentType) {
    const auto shared = std::make_shared<const PacedBody>(body);
    struct Ends {
        QString localIp, peerIp;
        int localPort, peerPort;
    };
    const Ends ends{QString::fromStdString(req.local_addr), QString::fromStdString(req.remote_addr),
                    req.local_port, req.remote_port};
    // The pause follows its piece within one call, so the library's own stop check between
    // calls cannot skip it; it waits on the stop signal, so stop() does not wait for a slow or
    // endless body.
    const auto piece = [this, shared, ends](size_t offset, httplib::DataSink& sink) {
        const auto at = static_cast<qint64>(offset);
        if (shared->resetAt >= 0 && at >= shared->resetAt) {
            const int fd = FindConnection(ends.localIp, ends.localPort, ends.peerIp, ends.peerPort);
            const bool reset = ResetConnection(
                fd, kResetDrainWait,
                [this](std::chrono::milliseconds step) { return !stopWithin(step); });
            journal_.note(QStringLiteral("reset: the connection from %1:%2 to %3:%4 after %5 of "
                                         "%6 bytes%7")
                              .arg(ends.peerIp)
                              .arg(ends.peerPort)
                              .arg(ends.localIp)
                              .arg(ends.localPort)
                              .arg(at)
                              .arg(shared->bytes.size())
                              .arg(reset ? QString() : QStringLiteral(" failed; closed instead")));
            return false;
        }
        QByteArray bytes = PieceAt(*shared, at);
        if (shared->resetAt >= 0) {
            bytes.truncate(shared->resetAt - at);
        }
        // Only an endless body is chunked, and a sized one is never asked past its end.
        if (bytes.isEmpty() || !sink.write(bytes.constData(), static_cast<size_t>(bytes.size()))) {
            return false;
        }
        const bool more = !shared->filler.isEmpty() || at + bytes.size() < shared->bytes.size();
        return !more || !stopWithin(std::chrono::milliseconds(shared->pauseMs));
    };
    if (shared->filler.isEmpty()) {
        res.set_content_provider(static_cast<size_t>(shared->bytes.size()), contentType,
                                 [piece](size_t offset, size_t, httplib::DataSink& sink) {
                                     return piece(offset, sink);
                                 });
    } else {
        res.set_chunked_content_provider(contentType, piece);
    }
}

bool HttpServers::listenCamera(const QString& ip, int port, QString* error) {
    auto handler = std::make_shared<CameraHttp>(state_, ip, port);
    auto l = std::make_unique<Listener>();
    l->device = handler->label();
    l->handler = handler;
    l->handle = [handler](const HttpRequest& request) { return handler->handle(request); };
    l->faults = [handler] { return handler->faults(); };
    l->server = std::make_unique<httplib::Server>();
    l->server->set_write_timeout(kCameraWriteTimeoutSeconds, 0);
    return listen(std::move(l), ip, port, error) != 0;
}

namespace {

// Camera addresses to serve: every camera with an address and a port.
QList<QPair<QString, int>> CameraSites(Scenario& scenario) {
    QList<QPair<QString, int>> sites;
    for (const Recorder& recorder : scenario.recorders) {
        for (const Camera& camera : recorder.cameras) {
            const QPair<QString, int> site{camera.ip, camera.httpPort};
            if (!camera.ip.isEmpty() && camera.httpPort > 0 && !sites.contains(site)) {
                sites.append(site);
            }
        }
    }
    return sites;
}

}  // namespace

QStringList HttpServers::serveNewCameras() {
    std::lock_guard guard(lifecycle_);
    if (!running_) {
        return {};
    }
    QStringList problems;
    for (const auto& site : state_.with(CameraSites)) {
        const bool served = std::any_of(
            listeners_.cbegin(), listeners_.cend(),
            [&site](const auto& l) { return l->ip == site.first && l->port == site.second; });
        if (served) {
            continue;
        }
        QString error;
        if (listenCamera(site.first, site.second, &error)) {
            unserved_.removeAll(site);
        } else if (!unserved_.contains(site)) {
            unserved_.append(site);
            problems.append(QStringLiteral("not served: ") + error);
        }
    }
    return problems;
}

int HttpServers::boundPort(const QString& mac, bool tls) const {
    std::lock_guard guard(lifecycle_);
    for (const auto& l : listeners_) {
        if (l->tls == tls && !l->mac.isEmpty() && l->mac.compare(mac, Qt::CaseInsensitive) == 0) {
            return l->port;
        }
    }
    return 0;
}

bool HttpServers::start(QString* error) {
    QString ignored;
    if (error == nullptr) {
        error = &ignored;
    }
    std::lock_guard guard(lifecycle_);
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
        QList<QPair<QString, int>> cameras;
        Address portal;
    };
    const Plan plan = state_.with([](Scenario& scenario) {
        Plan p;
        for (const Recorder& recorder : scenario.recorders) {
            p.recorders.append({recorder.mac,
                                {recorder.ip, recorder.httpPort},
                                {recorder.ip, recorder.httpsPort}});
        }
        p.cameras = CameraSites(scenario);
        p.portal = {scenario.portal.ip, scenario.portal.httpsPort};
        return p;
    });

    const auto fail = [this] {
        stopListeners();
        return false;
    };
    const auto plain = [] { return std::make_unique<httplib::Server>(); };
    const auto secure = [&](const QString& ip, Listener& l) -> bool {
        if (!authority.issue(ip, &l.identity, error)) {
            return false;
        }
        for (const QString& kind : CertificateNames()) {
            if (!authority.issue(ip, kind, &l.identities[kind], error)) {
                return false;
            }
        }
        auto server = std::make_unique<httplib::SSLServer>(l.identity.certificate.get(),
                                                           l.identity.key.get());
        if (server->is_valid()) {
            SSL_CTX_set_cert_cb(server->ssl_context(), &ChooseCertificate, &l);
        }
        l.journal = &journal_;
        l.server = std::move(server);
        return true;
    };

    for (const RecorderSite& site : plan.recorders) {
        auto handler = std::make_shared<HttpRecorder>(state_, site.mac);
        for (const bool tls : {false, true}) {
            const Address& address = tls ? site.https : site.http;
            if (address.port < 0) {
                continue;
            }
            auto l = std::make_unique<Listener>();
            l->device = handler->label();
            l->mac = site.mac;
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
            const int bound = listen(std::move(l), address.ip, address.port, error);
            if (bound == 0) {
                return fail();
            }
            if (address.port == 0) {
                // The search reply and the cloud page's link carry the port actually served.
                state_.with([&](Scenario& scenario) {
                    if (Recorder* recorder = FindRecorder(scenario, site.mac)) {
                        (tls ? recorder->httpsPort : recorder->httpPort) = bound;
                    }
                });
            }
        }
    }
    for (const auto& [ip, port] : plan.cameras) {
        if (!listenCamera(ip, port, error)) {
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
            listen(std::move(l), plan.portal.ip, plan.portal.port, error) == 0) {
            return fail();
        }
    }
    running_ = true;
    return true;
}

void HttpServers::stop() {
    std::lock_guard guard(lifecycle_);
    stopListeners();
}

void HttpServers::stopListeners() {
    running_ = false;
    unserved_.clear();
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
