#include "device/HttpGet.h"

#include <curl/curl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <QByteArray>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>

#include "device/QueryText.h"
#include "platform/PrescribedWait.h"
#include "util/Base64.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPause = 50ms;
constexpr long kPollMs = 100;
// The reader lags behind the network: hold the transfer rather than buffer without end.
constexpr std::size_t kQueueLimit = 256 * 1024;
// A reply whose headers never end is not a reply.
constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
// The body of a refusal that is answered on the same connection; a longer one costs the
// connection instead.
constexpr std::size_t kMaxDrainBytes = 64 * 1024;
constexpr qsizetype kMaxCookieChars = 127;

void Pause() {
    platform::PrescribedSleep(kPause);
}

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QByteArray Trimmed(const char* data, std::size_t length) {
    return QByteArray(data, static_cast<qsizetype>(length)).trimmed();
}

// The scheme word of a challenge and what follows its blank.
bool SplitChallenge(const QByteArray& value, QByteArray* scheme, QByteArray* rest) {
    const qsizetype blank = value.indexOf(' ');
    if (blank < 0) {
        *scheme = value;
        rest->clear();
        return false;
    }
    *scheme = value.left(blank);
    *rest = value.mid(blank + 1);
    return true;
}

QByteArray RequestTarget(const QString& pathAndQuery) {
    QByteArray target = WireTarget(pathAndQuery);
    if (!target.startsWith('/')) {
        target.prepend('/');
    }
    return target;
}

// Header lines given as one text: every line on its own, and never a CR or LF inside one.
QList<QByteArray> HeaderLines(const QString& text) {
    QList<QByteArray> lines;
    QByteArray line;
    for (const char c : text.toUtf8()) {
        if (c == '\r' || c == '\n') {
            if (!line.trimmed().isEmpty()) {
                lines.append(line);
            }
            line.clear();
        } else {
            line.append(c);
        }
    }
    if (!line.trimmed().isEmpty()) {
        lines.append(line);
    }
    return lines;
}

// Portal posts: the chain and the name must hold, the dates need not (a PC's clock is often
// wrong at first setup). Trust is the system's store plus SSL_CERT_FILE when set.
CURLcode PrepareVerifyingContext(CURL*, void* context, void*) {
    auto* ssl = static_cast<SSL_CTX*>(context);
    X509_VERIFY_PARAM_set_flags(SSL_CTX_get0_param(ssl), X509_V_FLAG_NO_CHECK_TIME);
    const QByteArray extra = qgetenv("SSL_CERT_FILE");
    if (!extra.isEmpty() && SSL_CTX_load_verify_locations(ssl, extra.constData(), nullptr) != 1) {
        ERR_clear_error();
    }
    return CURLE_OK;
}

}  // namespace

struct HttpGet::Session {
    // Fixed at Open; the request state below belongs to the one thread using the client.
    QString host;
    QString user;
    QString password;
    int port = 0;
    int timeoutMs = 0;
    bool secure = false;

    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    std::atomic<bool> aborted{false};

    bool requestOpen = false;
    bool headersDone = false;
    bool transferDone = false;
    bool paused = false;
    CURLcode result = CURLE_OK;
    int status = 0;
    std::size_t headerBytes = 0;
    QList<QByteArray> challenges;
    QList<QByteArray> cookies;
    std::string body;
    std::size_t bodyOffset = 0;
    curl_slist* headerList = nullptr;
    Clock::time_point lastActivity = Clock::now();

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        CloseRequest();
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
    }

    std::size_t Available() const { return body.size() - bodyOffset; }

    void CloseRequest() {
        if (requestOpen) {
            curl_multi_remove_handle(multi, easy);
            requestOpen = false;
        }
        curl_slist_free_all(headerList);
        headerList = nullptr;
        headersDone = false;
        transferDone = false;
        paused = false;
        result = CURLE_OK;
        status = 0;
        headerBytes = 0;
        challenges.clear();
        cookies.clear();
        body.clear();
        bodyOffset = 0;
    }

    void Abort() {
        aborted = true;
        curl_multi_wakeup(multi);
    }

    // Runs the transfer until `ready` holds, it ends, it is aborted or the peer is silent for
    // longer than the time-out. True when `ready` holds.
    template <typename Ready>
    bool Drive(Ready ready) {
        while (!aborted) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                return false;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    transferDone = true;
                    result = message->data.result;
                }
            }
            if (ready()) {
                return true;
            }
            if (transferDone) {
                return false;
            }
            if (timeoutMs > 0 && !paused &&
                Clock::now() - lastActivity > std::chrono::milliseconds(timeoutMs)) {
                return false;
            }
            if (curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
                return false;
            }
        }
        return false;
    }

    void Resume() {
        lastActivity = Clock::now();
        if (paused) {
            paused = false;
            curl_easy_pause(easy, CURLPAUSE_CONT);
        }
    }

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
        auto* session = static_cast<Session*>(user);
        const std::size_t length = size * count;
        session->headerBytes += length;
        session->lastActivity = Clock::now();
        if (session->headerBytes > kMaxHeaderBytes) {
            return 0;
        }
        const QByteArray line = Trimmed(data, length);
        if (line.startsWith("HTTP/")) {
            // A new status line: an interim reply (100 Continue) is forgotten.
            session->status = 0;
            session->challenges.clear();
            session->cookies.clear();
            const QList<QByteArray> words = line.split(' ');
            bool valid = false;
            const int status = words.size() >= 2 ? words[1].toInt(&valid) : 0;
            session->status = valid && status >= 100 && status <= 999 ? status : 0;
            return session->status != 0 ? length : 0;
        }
        if (line.isEmpty()) {
            if (session->status >= 200) {
                session->headersDone = true;
            }
            return length;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0) {
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "www-authenticate") {
                session->challenges.append(value);
            } else if (name == "set-cookie") {
                session->cookies.append(value);
            }
        }
        return length;
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
        auto* session = static_cast<Session*>(user);
        if (session->Available() >= kQueueLimit) {
            session->paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        if (session->bodyOffset > 0 && session->bodyOffset >= session->body.size() / 2) {
            session->body.erase(0, session->bodyOffset);
            session->bodyOffset = 0;
        }
        session->body.append(data, size * count);
        session->lastActivity = Clock::now();
        return size * count;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Session*>(user)->aborted ? 1 : 0;
    }

    // The connection stands: the reply time-out counts from here, not from the connect.
    static int OnConnected(void* user, char*, char*, int, int) {
        static_cast<Session*>(user)->lastActivity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }
};

HttpGet::HttpGet() {
    GlobalInit();
}

HttpGet::~HttpGet() {
    Close();
}

std::shared_ptr<HttpGet::Session> HttpGet::current() const {
    std::lock_guard lock(mutex_);
    return session_;
}

bool HttpGet::Open(const QString& host, const QString& user, const QString& password, int timeoutMs,
                   int secure, int port) {
    authMode_ = kAuthBasicOrNone;
    basicAnswered_ = false;
    auto session = std::make_shared<Session>();
    session->host = host;
    session->user = user;
    session->password = password;
    session->secure = secure >= 1;
    session->port = port != 0 ? port : (session->secure ? 443 : 80);
    session->timeoutMs = timeoutMs;
    Pause();
    std::shared_ptr<Session> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(session_);
    }
    if (old) {
        old->Abort();
    }
    session->multi = curl_multi_init();
    session->easy = curl_easy_init();
    if (session->multi == nullptr || session->easy == nullptr || host.isEmpty()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    session_ = std::move(session);
    return true;
}

bool HttpGet::Close() {
    Pause();
    std::shared_ptr<Session> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(session_);
    }
    if (old) {
        old->Abort();  // a request blocked on another thread ends; its thread frees the session
    }
    return true;
}

void HttpGet::Abort() {
    std::shared_ptr<Session> current;
    {
        std::lock_guard lock(mutex_);
        current = session_;
    }
    if (current) {
        current->Abort();
    }
}

std::int32_t HttpGet::authMode() const {
    return authMode_;
}

void HttpGet::setAuthMode(std::int32_t mode) {
    authMode_ = mode;
}

DigestState HttpGet::digest() const {
    return digest_;
}

QByteArray HttpGet::AuthorizationFor(const Session& session, const QByteArray& method,
                                     const QString& pathAndQuery, bool post) {
    switch (authMode_) {
        case kAuthDigest:
            // The uri of the answer is the request target exactly as it goes on the wire.
            return digest_
                .BuildDigestHeader(session.user, session.password, QString::fromLatin1(method),
                                   QString::fromLatin1(RequestTarget(pathAndQuery)))
                .toLocal8Bit();
        case kAuthBasicOrNone:
            if (post || (session.password.isEmpty() && !session.user.isEmpty())) {
                return "Authorization: Basic " + Base64Encode(session.user + QLatin1Char(':') +
                                                              (post ? session.password : QString()))
                                                     .toLatin1();
            }
            if (basicAnswered_) {
                return "Authorization: Basic " +
                       Base64Encode(session.user + QLatin1Char(':') + session.password).toLatin1();
            }
            return {};
        default:
            return {};
    }
}

bool HttpGet::Exchange(Session& session, const QByteArray& method, const QString& pathAndQuery,
                       const QList<QByteArray>& headerLines, const QByteArray& body,
                       bool verifyPeer) {
    session.CloseRequest();
    if (session.aborted) {
        return false;
    }
    CURL* easy = session.easy;
    curl_easy_reset(easy);

    const QByteArray target = RequestTarget(pathAndQuery);
    QByteArray host = session.host.toUtf8();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    const QByteArray url = (session.secure ? "https://" : "http://") + host + ':' +
                           QByteArray::number(session.port) + target;

    // No Accept and no Expect: the recorder sees only what the request itself needs.
    session.headerList = curl_slist_append(session.headerList, "Accept:");
    session.headerList = curl_slist_append(session.headerList, "Expect:");
    for (const QByteArray& line : headerLines) {
        session.headerList = curl_slist_append(session.headerList, line.constData());
    }

    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "InetURL/1.0");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, session.headerList);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Session::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &session);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Session::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &session);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Session::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &session);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Session::OnConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &session);
    if (session.timeoutMs > 0) {
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(session.timeoutMs));
    }
    if (session.secure) {
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, verifyPeer ? 1L : 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, verifyPeer ? 2L : 0L);
        if (verifyPeer) {
            curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &PrepareVerifyingContext);
        }
    }
    if (method == "POST") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.constData());
    }

    session.lastActivity = Clock::now();
    if (curl_multi_add_handle(session.multi, easy) != CURLM_OK) {
        return false;
    }
    session.requestOpen = true;
    return session.Drive([&session] { return session.headersDone; });
}

bool HttpGet::AnswerChallenge(Session& session, const QByteArray& method,
                              const QString& pathAndQuery, const QList<QByteArray>& headerLines,
                              const QByteArray& body, bool verifyPeer) {
    if (session.status != 401 || authMode_ != kAuthBasicOrNone || session.password.isEmpty()) {
        return true;
    }
    bool digest = false;
    bool basic = false;
    QByteArray challenge;
    for (const QByteArray& value : session.challenges) {
        QByteArray scheme;
        QByteArray rest;
        SplitChallenge(value, &scheme, &rest);
        if (scheme == "Digest" && !digest) {
            digest = true;
            challenge = rest;
        } else if (scheme.compare("Basic", Qt::CaseInsensitive) == 0) {
            basic = true;
        }
    }
    const bool sentBasic = method == "POST" || basicAnswered_;
    if (digest) {
        digest_.ParseChallenge(QString::fromLocal8Bit(challenge));
        authMode_ = kAuthDigest;
    } else if (basic && !sentBasic) {
        basicAnswered_ = true;
    } else {
        return true;  // the refusal stands; the caller sees it
    }
    // Read the refusal's body so the connection can carry the answer.
    session.Resume();
    session.Drive(
        [&session] { return session.transferDone || session.Available() > kMaxDrainBytes; });
    QList<QByteArray> lines = headerLines;
    const QByteArray authorization =
        AuthorizationFor(session, method, pathAndQuery, method == "POST");
    if (!authorization.isEmpty()) {
        lines.prepend(authorization);
    }
    return Exchange(session, method, pathAndQuery, lines, body, verifyPeer);
}

bool HttpGet::SendGet(const QString& pathAndQuery) {
    const std::shared_ptr<Session> session = current();
    if (!session) {
        return false;
    }
    Pause();
    QList<QByteArray> lines;
    const QByteArray authorization = AuthorizationFor(*session, "GET", pathAndQuery, false);
    if (!authorization.isEmpty()) {
        lines.append(authorization);
    }
    // Recorders carry self-signed certificates: a GET takes whatever the peer shows.
    if (!Exchange(*session, "GET", pathAndQuery, lines, {}, false) ||
        !AnswerChallenge(*session, "GET", pathAndQuery, {}, {}, false)) {
        session->CloseRequest();
        return false;
    }
    const int status = CheckStatus();
    return status != 401 && status != 409;
}

bool HttpGet::Get(const QString& pathAndQuery, std::span<char> buffer, std::size_t* size) {
    *size = 0;
    if (!SendGet(pathAndQuery)) {
        return false;
    }
    std::array<char, kPieceBytes> piece{};
    std::size_t total = 0;
    for (;;) {
        std::size_t read = 0;
        if (!ReadChunk(piece, &read)) {
            return false;
        }
        if (total + read >= buffer.size()) {
            *size = total;
            return true;
        }
        std::memcpy(buffer.data() + total, piece.data(), read);
        total += read;
        if (read == 0) {
            *size = total;
            return true;
        }
    }
}

bool HttpGet::PostForm(const QString& path, const QString& headers, const QString& body) {
    const std::shared_ptr<Session> session = current();
    if (!session) {
        return false;
    }
    Pause();
    QList<QByteArray> lines;
    const QByteArray authorization = AuthorizationFor(*session, "POST", path, true);
    if (!authorization.isEmpty()) {
        lines.append(authorization);
    }
    const QList<QByteArray> extra = HeaderLines(headers);
    lines.append(extra);
    const QByteArray bytes = body.toUtf8();
    if (!Exchange(*session, "POST", path, lines, bytes, true) ||
        !AnswerChallenge(*session, "POST", path, extra, bytes, true)) {
        session->CloseRequest();
        return false;
    }
    return true;
}

bool HttpGet::ReadChunk(std::span<char> buffer, std::size_t* count) {
    *count = 0;
    const std::shared_ptr<Session> session = current();
    if (!session || !session->requestOpen) {
        return false;
    }
    session->Resume();
    Session& s = *session;
    if (!s.Drive([&s] { return s.Available() > 0 || s.transferDone; })) {
        return false;
    }
    if (s.Available() == 0) {
        return s.result == CURLE_OK;
    }
    const std::size_t n = std::min(s.Available(), buffer.size());
    std::memcpy(buffer.data(), s.body.data() + s.bodyOffset, n);
    s.bodyOffset += n;
    *count = n;
    return true;
}

int HttpGet::CheckStatus() {
    const std::shared_ptr<Session> session = current();
    if (!session || !session->requestOpen) {
        return 0;
    }
    const int status = session->status;
    // A client told to send no credentials (the portal) stays so whatever the peer asks.
    if (status == 401 && authMode_ != kAuthNoHeader) {
        authMode_ = kAuthBasicOrNone;
        for (const QByteArray& value : session->challenges) {
            QByteArray scheme;
            QByteArray rest;
            if (SplitChallenge(value, &scheme, &rest) && scheme == "Digest") {
                authMode_ = kAuthDigest;
                digest_.ParseChallenge(QString::fromLocal8Bit(rest));
                break;
            }
        }
    }
    return status;
}

bool HttpGet::StatusCode(int* status) const {
    const std::shared_ptr<Session> session = current();
    *status = session && session->requestOpen ? session->status : 0;
    return *status > 0;
}

bool HttpGet::QuerySetCookie(QString* cookie) const {
    const std::shared_ptr<Session> session = current();
    if (!session || !session->requestOpen || session->cookies.isEmpty()) {
        return false;
    }
    const QString value = QString::fromLocal8Bit(session->cookies.first());
    if (value.size() > kMaxCookieChars) {
        return false;
    }
    *cookie = value;
    return true;
}
