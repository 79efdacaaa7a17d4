#pragma once

#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "device/DigestState.h"

// authMode values.
enum HttpAuthMode : std::int32_t {
    kAuthBasicOrNone = 0,
    kAuthDigest = 1,
    kAuthNoHeader = 2,  // cloud portal requests
};

// The wizard's one HTTP client: blocking, one peer at a time, one request open at a time. All
// calls come from one worker thread, except Close and Abort, which another thread may call to
// end a request in progress. Recorder GETs over HTTPS accept any certificate (recorders have
// self-signed ones); POSTs over HTTPS verify chain and host name but forgive the dates.
class HttpGet {
public:
    static constexpr std::size_t kPieceBytes = 8200;

    HttpGet();
    virtual ~HttpGet();
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    // port 0: 443 when secure, else 80. timeoutMs: connect and receive time-out (0: none).
    bool Open(const QString& host, const QString& user, const QString& password, int timeoutMs,
              int secure, int port);
    // True when the request was answered with a status other than 401 and 409; the body is
    // then read with ReadChunk.
    bool SendGet(const QString& pathAndQuery);
    // SendGet, then the body into buffer (capacity = buffer.size()) in pieces of at most
    // kPieceBytes; the piece that would reach the capacity and everything after it is dropped.
    bool Get(const QString& pathAndQuery, std::span<char> buffer, std::size_t* size);
    // headers: extra lines separated by CR LF (may be empty); body: sent as UTF-8. True when
    // the request was sent and answered; the status is not examined.
    bool PostForm(const QString& path, const QString& headers, const QString& body);
    // The next available piece of the body, at most buffer.size() bytes; count 0 at its end.
    bool ReadChunk(std::span<char> buffer, std::size_t* count);
    // The status of the last reply (0 without one); a Digest challenge arms Digest mode.
    int CheckStatus();
    bool StatusCode(int* status) const;
    // The first Set-Cookie of the last reply, when it has one of at most 127 characters.
    bool QuerySetCookie(QString* cookie) const;
    // Any thread: ends the session; a request blocked on another thread returns false.
    bool Close();
    // Any thread: a request blocked on another thread returns false at once, and so does every
    // later one on this session; unlike Close it neither pauses nor frees the session, which is
    // left to the worker's own Close.
    void Abort();

    std::int32_t authMode() const;
    void setAuthMode(std::int32_t mode);
    DigestState digest() const;

private:
    struct Session;
    struct Reply;

    std::shared_ptr<Session> current() const;
    // Sends one request on the session and waits for its status line and headers.
    bool Exchange(Session& session, const QByteArray& method, const QString& pathAndQuery,
                  const QList<QByteArray>& headerLines, const QByteArray& body, bool verifyPeer);
    QByteArray AuthorizationFor(const Session& session, const QByteArray& method,
                                const QString& pathAndQuery, bool post);
    // The platform's own answer to a challenge: with a password, a 401 asking for Basic or
    // Digest is answered once within the same call. False when the answer cannot be sent.
    bool AnswerChallenge(Session& session, const QByteArray& method, const QString& pathAndQuery,
                         const QList<QByteArray>& headerLines, const QByteArray& body,
                         bool verifyPeer);

    // The session is shared with a thread blocked in a request, so Close can end it from
    // outside; the rest belongs to the one thread using the client.
    mutable std::mutex mutex_;
    std::shared_ptr<Session> session_;
    std::int32_t authMode_ = kAuthBasicOrNone;
    bool basicAnswered_ = false;  // this session answered a Basic challenge: send it up front
    DigestState digest_;
};
