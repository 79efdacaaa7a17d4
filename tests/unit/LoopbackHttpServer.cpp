#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t kMaxHeaderBytes = 1 << 20;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return std::string(s);
}

void Signal(int fd) {
    const std::uint64_t one = 1;
    // An eventfd write of 1 cannot fail short of overflow; it stays readable afterwards.
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

}  // namespace

std::optional<std::string> LoopbackRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualNoCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

int LoopbackRequest::headerCount(std::string_view name) const {
    return static_cast<int>(std::count_if(
        headers.begin(), headers.end(), [&](const auto& h) { return EqualNoCase(h.first, name); }));
}

LoopbackResponse LoopbackResponse::Text(int status, std::string reason, std::string body) {
    LoopbackResponse response;
    response.status = status;
    response.reason = std::move(reason);
    response.body = std::move(body);
    return response;
}

struct LoopbackHttpServer::Connection {
    int fd = -1;
    int index = 0;
    SSL* ssl = nullptr;
    std::string pending;  // bytes read beyond the last request

    ~Connection() {
        if (ssl != nullptr) {
            SSL_free(ssl);
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }

    // 0: peer closed or error.
    ssize_t Read(char* data, std::size_t size) {
        if (ssl != nullptr) {
            const int n = SSL_read(ssl, data, static_cast<int>(size));
            return n > 0 ? n : 0;
        }
        const ssize_t n = ::recv(fd, data, size, 0);
        return n > 0 ? n : 0;
    }

    bool Write(std::string_view data) {
        while (!data.empty()) {
            ssize_t n = 0;
            if (ssl != nullptr) {
                n = SSL_write(ssl, data.data(), static_cast<int>(data.size()));
            } else {
                n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
            }
            if (n <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }
};

LoopbackHttpServer::LoopbackHttpServer(Handler handler, std::optional<PemIdentity> tls)
    : handler_(std::move(handler)) {
    // SSL_write to a peer that hung up must fail, not kill the test program.
    std::signal(SIGPIPE, SIG_IGN);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC);
    releaseFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (stopFd_ < 0 || releaseFd_ < 0) {
        error_ = "eventfd failed";
        return;
    }
    if (tls) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        BIO* certBio =
            BIO_new_mem_buf(tls->certificate.data(), static_cast<int>(tls->certificate.size()));
        BIO* keyBio = BIO_new_mem_buf(tls->key.data(), static_cast<int>(tls->key.size()));
        X509* certificate = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
        EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
        const bool loaded = context != nullptr && certificate != nullptr && key != nullptr &&
                            SSL_CTX_use_certificate(context, certificate) == 1 &&
                            SSL_CTX_use_PrivateKey(context, key) == 1;
        X509_free(certificate);
        EVP_PKEY_free(key);
        BIO_free(certBio);
        BIO_free(keyBio);
        if (!loaded) {
            SSL_CTX_free(context);
            error_ = "cannot load the TLS certificate or key";
            return;
        }
        sslContext_ = context;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error_ = "cannot listen on 127.0.0.1";
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    port_ = ntohs(address.sin_port);
    listenFd_ = fd;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
    if (stopFd_ >= 0) {
        ::close(stopFd_);
    }
    if (releaseFd_ >= 0) {
        ::close(releaseFd_);
    }
    SSL_CTX_free(static_cast<SSL_CTX*>(sslContext_));
}

void LoopbackHttpServer::Stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    if (stopFd_ >= 0) {
        Signal(stopFd_);
    }
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        // Unblocks reads and writes that are already waiting in the kernel.
        for (const auto& connection : connections_) {
            ::shutdown(connection->fd, SHUT_RDWR);
        }
        threads.swap(connectionThreads_);
    }
    changed_.notify_all();
    for (auto& thread : threads) {
        thread.join();
    }
    std::lock_guard lock(mutex_);
    connections_.clear();
}

void LoopbackHttpServer::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

LoopbackHttpServer::Handler LoopbackHttpServer::CurrentHandler() const {
    std::lock_guard lock(mutex_);
    return handler_;
}

std::vector<LoopbackRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackHttpServer::WaitForRequests(std::size_t n, std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return requests_.size() >= n; });
}

int LoopbackHttpServer::AcceptedConnections() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

int LoopbackHttpServer::TlsHandshakeFailures() const {
    std::lock_guard lock(mutex_);
    return handshakeFailures_;
}

bool LoopbackHttpServer::WaitForClosedConnections(int n, std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [&] { return closed_ >= n; });
}

void LoopbackHttpServer::ReleaseSilent() {
    if (releaseFd_ >= 0) {
        Signal(releaseFd_);
    }
}

void LoopbackHttpServer::ConnectionEnded() {
    {
        std::lock_guard lock(mutex_);
        ++closed_;
    }
    changed_.notify_all();
}

void LoopbackHttpServer::AcceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0 || stopping_) {
            return;
        }
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->fd = fd;
        std::lock_guard lock(mutex_);
        connection->index = accepted_++;
        connections_.push_back(connection);
        connectionThreads_.emplace_back([this, connection] { Serve(connection); });
    }
}

// Waits until the connection has bytes (true) or the peer left / we stop (false). With
// watchRelease, a ReleaseSilent also ends the wait (released set) and peer data is not read.
bool LoopbackHttpServer::WaitReadable(Connection& connection, bool watchRelease, bool* released) {
    bool watchPeer = true;
    for (;;) {
        if (connection.ssl != nullptr && SSL_pending(connection.ssl) > 0 && !watchRelease) {
            return true;
        }
        pollfd fds[3] = {{stopFd_, POLLIN, 0},
                         {watchRelease ? releaseFd_ : -1, POLLIN, 0},
                         {watchPeer ? connection.fd : -1, POLLIN | POLLRDHUP, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (fds[0].revents != 0) {
            return false;
        }
        if (fds[1].revents != 0) {
            *released = true;
            return true;
        }
        if (fds[2].revents != 0) {
            if (!watchRelease) {
                return true;
            }
            // Silent: only a hang-up matters; later bytes wait for the release.
            char probe = 0;
            const ssize_t n = ::recv(connection.fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
                return false;
            }
            watchPeer = false;
        }
    }
}

bool LoopbackHttpServer::PauseUnlessStopped(std::chrono::milliseconds pause) {
    if (pause.count() <= 0) {
        return !stopping_;
    }
    pollfd fd{stopFd_, POLLIN, 0};
    return ::poll(&fd, 1, static_cast<int>(pause.count())) == 0;
}

void LoopbackHttpServer::Serve(const std::shared_ptr<Connection>& connection) {
    Connection& c = *connection;
    // The peer must see the end at once; the descriptor itself is closed in Stop, after which
    // no other thread can still be shutting it down.
    struct Ended {
        LoopbackHttpServer* server;
        int fd;
        ~Ended() {
            ::shutdown(fd, SHUT_RDWR);
            server->ConnectionEnded();
        }
    } ended{this, c.fd};

    if (sslContext_ != nullptr) {
        c.ssl = SSL_new(static_cast<SSL_CTX*>(sslContext_));
        SSL_set_fd(c.ssl, c.fd);
        if (SSL_accept(c.ssl) != 1) {
            ERR_clear_error();
            std::lock_guard lock(mutex_);
            ++handshakeFailures_;
            return;
        }
    }

    char buffer[16384];
    for (int sequence = 0;; ++sequence) {
        // The request line and headers.
        std::size_t headerEnd = std::string::npos;
        while ((headerEnd = c.pending.find("\r\n\r\n")) == std::string::npos) {
            if (c.pending.size() > kMaxHeaderBytes) {
                return;
            }
            bool released = false;
            if (!WaitReadable(c, false, &released)) {
                return;
            }
            const ssize_t n = c.Read(buffer, sizeof buffer);
            if (n <= 0) {
                return;
            }
            c.pending.append(buffer, static_cast<std::size_t>(n));
        }
        LoopbackRequest request;
        request.connection = c.index;
        request.sequence = sequence;
        const std::string head = c.pending.substr(0, headerEnd + 4);
        c.pending.erase(0, headerEnd + 4);
        {
            std::size_t lineEnd = head.find("\r\n");
            const std::string requestLine = head.substr(0, lineEnd);
            const std::size_t s1 = requestLine.find(' ');
            const std::size_t s2 = requestLine.rfind(' ');
            if (s1 == std::string::npos || s2 == s1) {
                return;
            }
            request.method = requestLine.substr(0, s1);
            request.target = requestLine.substr(s1 + 1, s2 - s1 - 1);
            request.version = requestLine.substr(s2 + 1);
            std::size_t at = lineEnd + 2;
            while (at < headerEnd + 2) {
                lineEnd = head.find("\r\n", at);
                const std::string line = head.substr(at, lineEnd - at);
                at = lineEnd + 2;
                const std::size_t colon = line.find(':');
                if (colon == std::string::npos) {
                    continue;
                }
                request.headers.emplace_back(line.substr(0, colon),
                                             Trim(std::string_view(line).substr(colon + 1)));
            }
        }
        request.raw = head;

        if (const auto expect = request.header("Expect");
            expect && EqualNoCase(*expect, "100-continue")) {
            if (!c.Write("HTTP/1.1 100 Continue\r\n\r\n")) {
                return;
            }
        }
        // The body: Content-Length or chunked.
        const auto readMore = [&]() {
            bool released = false;
            if (!WaitReadable(c, false, &released)) {
                return false;
            }
            const ssize_t n = c.Read(buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            c.pending.append(buffer, static_cast<std::size_t>(n));
            return true;
        };
        const auto encoding = request.header("Transfer-Encoding");
        if (encoding && EqualNoCase(*encoding, "chunked")) {
            for (;;) {
                std::size_t lineEnd = 0;
                while ((lineEnd = c.pending.find("\r\n")) == std::string::npos) {
                    if (!readMore()) {
                        return;
                    }
                }
                const std::size_t size = std::strtoul(c.pending.c_str(), nullptr, 16);
                while (c.pending.size() < lineEnd + 2 + size + 2) {
                    if (!readMore()) {
                        return;
                    }
                }
                request.raw += c.pending.substr(0, lineEnd + 2 + size + 2);
                request.body += c.pending.substr(lineEnd + 2, size);
                c.pending.erase(0, lineEnd + 2 + size + 2);
                if (size == 0) {
                    break;
                }
            }
        } else if (const auto length = request.header("Content-Length")) {
            const std::size_t size = std::strtoul(length->c_str(), nullptr, 10);
            while (c.pending.size() < size) {
                if (!readMore()) {
                    return;
                }
            }
            request.body = c.pending.substr(0, size);
            request.raw += request.body;
            c.pending.erase(0, size);
        }

        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        changed_.notify_all();

        const Handler handler = CurrentHandler();
        const LoopbackResponse response = handler ? handler(request) : LoopbackResponse{};
        if (response.silent) {
            bool released = false;
            if (!WaitReadable(c, true, &released) || !released) {
                return;
            }
        }
        if (!PauseUnlessStopped(response.delay)) {
            return;
        }
        if (!response.raw.empty()) {
            if (!c.Write(response.raw)) {
                return;
            }
        } else {
            std::string head2 =
                "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
            bool hasLength = false;
            for (const auto& [name, value] : response.headers) {
                head2 += name + ": " + value + "\r\n";
                hasLength = hasLength || EqualNoCase(name, "Content-Length");
            }
            using Framing = LoopbackResponse::Framing;
            if (response.framing == Framing::ContentLength && !hasLength) {
                head2 += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
            } else if (response.framing == Framing::Chunked) {
                head2 += "Transfer-Encoding: chunked\r\n";
            }
            head2 += "\r\n";
            if (!c.Write(head2)) {
                return;
            }
            const std::size_t pieces = static_cast<std::size_t>(std::max(1, response.pieces));
            const std::size_t step = (response.body.size() + pieces - 1) / pieces;
            for (std::size_t at = 0, i = 0; at < response.body.size(); at += step, ++i) {
                if (i > 0 && !PauseUnlessStopped(response.pieceDelay)) {
                    return;
                }
                const std::string_view piece =
                    std::string_view(response.body)
                        .substr(at, std::min(step, response.body.size() - at));
                if (response.framing == Framing::Chunked) {
                    char size[32];
                    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
                    if (!c.Write(size) || !c.Write(piece) || !c.Write("\r\n")) {
                        return;
                    }
                } else if (!c.Write(piece)) {
                    return;
                }
            }
            if (response.framing == Framing::Chunked && !c.Write("0\r\n\r\n")) {
                return;
            }
        }
        if (!response.repeatForever.empty()) {
            while (!stopping_ && c.Write(response.repeatForever)) {
            }
            return;
        }
        const auto connectionHeader = request.header("Connection");
        if (response.closeAfter || (connectionHeader && EqualNoCase(*connectionHeader, "close"))) {
            if (c.ssl != nullptr) {
                SSL_shutdown(c.ssl);
            }
            ::shutdown(c.fd, SHUT_RDWR);
            return;
        }
    }
}
