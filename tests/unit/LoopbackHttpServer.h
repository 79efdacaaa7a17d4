#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "TestCertificates.h"

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as the server read it.
struct LoopbackRequest {
    std::string method;
    std::string target;   // as on the request line, e.g. "/cgi-bin/x.cgi?a=1"
    std::string version;  // e.g. "HTTP/1.1"
    HeaderList headers;   // in the order received, names as sent
    std::string body;     // Content-Length bytes (or the de-chunked body)
    std::string raw;      // every byte of the request: line, headers, blank line, body
    int connection = 0;   // index of the accepted connection, from 0
    int sequence = 0;     // index of the request on its connection, from 0

    // The first header of that name (case-insensitive).
    std::optional<std::string> header(std::string_view name) const;
    int headerCount(std::string_view name) const;
};

// What to answer. Defaults: "200 OK", Content-Length added, body in one piece, keep-alive.
struct LoopbackResponse {
    enum class Framing {
        ContentLength,  // adds Content-Length unless headers already hold one
        None,           // adds nothing (e.g. a hand-written wrong Content-Length in headers)
        Chunked,        // adds Transfer-Encoding: chunked; each piece becomes one chunk
    };

    int status = 200;
    std::string reason = "OK";
    HeaderList headers;
    std::string body;
    Framing framing = Framing::ContentLength;
    int pieces = 1;                           // the body split into this many writes...
    std::chrono::milliseconds pieceDelay{0};  // ...with this pause before each but the first
    std::chrono::milliseconds delay{0};       // pause before anything is sent
    bool silent = false;        // send nothing until ReleaseSilent() or the server stops
    bool closeAfter = false;    // close the connection once the response is out
    std::string raw;            // when not empty: sent instead of status line, headers and body
    std::string repeatForever;  // after the rest: sent again and again until the peer or we stop

    static LoopbackResponse Text(int status, std::string reason, std::string body);
};

// A scriptable HTTP/1.1 server for tests on 127.0.0.1 with an ephemeral port, plain or TLS.
// One thread accepts, one thread per connection reads requests and calls the handler.
class LoopbackHttpServer {
public:
    using Handler = std::function<LoopbackResponse(const LoopbackRequest&)>;

    // tls: serve HTTPS with this certificate and key. Check ok() before use.
    explicit LoopbackHttpServer(Handler handler, std::optional<PemIdentity> tls = std::nullopt);
    ~LoopbackHttpServer();  // Stop()
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool ok() const { return listenFd_ >= 0; }
    const std::string& error() const { return error_; }
    std::uint16_t port() const { return port_; }

    // For the requests that come after; the handler runs on connection threads.
    void SetHandler(Handler handler);

    // Copies of every request received so far, in arrival order. A request is logged before
    // its handler runs, so a silent one is already visible here.
    std::vector<LoopbackRequest> Requests() const;
    std::size_t RequestCount() const;
    // Blocks until at least n requests were received or the bound passes.
    bool WaitForRequests(std::size_t n, std::chrono::milliseconds bound = std::chrono::seconds(5));

    int AcceptedConnections() const;
    int TlsHandshakeFailures() const;  // e.g. the client refused our certificate
    // Blocks until a connection has ended (peer closed or we closed) or the bound passes.
    bool WaitForClosedConnections(int n, std::chrono::milliseconds bound = std::chrono::seconds(5));

    // Lets every silent response, current and later, go out.
    void ReleaseSilent();

    // Closes the listener and every connection, wakes silent handlers, joins all threads.
    void Stop();

private:
    struct Connection;

    void AcceptLoop();
    void Serve(const std::shared_ptr<Connection>& connection);
    bool WaitReadable(Connection& connection, bool watchRelease, bool* released);
    bool PauseUnlessStopped(std::chrono::milliseconds pause);
    void ConnectionEnded();

    Handler CurrentHandler() const;

    int listenFd_ = -1;
    int stopFd_ = -1;     // eventfd, readable once Stop() began
    int releaseFd_ = -1;  // eventfd, readable once ReleaseSilent() was called
    std::uint16_t port_ = 0;
    std::string error_;
    void* sslContext_ = nullptr;  // SSL_CTX*, kept opaque to spare includers OpenSSL

    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Handler handler_;
    std::vector<LoopbackRequest> requests_;
    std::vector<std::shared_ptr<Connection>> connections_;
    std::vector<std::thread> connectionThreads_;
    int accepted_ = 0;
    int closed_ = 0;
    int handshakeFailures_ = 0;
};
