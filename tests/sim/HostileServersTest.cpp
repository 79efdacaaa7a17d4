// The hostile modes over real sockets on loopback addresses (the suite runs in a network
// namespace of its own): a search flood, the bodyMode knob on every kind of server, and the
// portal's other certificates.

#include <QDeadlineTimer>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <set>

#include "BodyModes.h"
#include "HttpServers.h"
#include "HttpTestSupport.h"
#include "Journal.h"
#include "SimState.h"
#include "TlsMaterial.h"
#include "UdpServer.h"

using namespace sim;

namespace {

constexpr int kHttp = 18180;
constexpr int kHttps = 18543;
constexpr int kCamera = 18181;
constexpr int kPortal = 18544;

bool WaitUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

bool NoteSeen(const Journal& journal, const QString& start) {
    for (const QJsonObject& entry : journal.entries()) {
        if (entry.value("type").toString() == QLatin1String("note") &&
            entry.value("text").toString().startsWith(start)) {
            return true;
        }
    }
    return false;
}

QString NoteText(const Journal& journal, const QString& start) {
    for (const QJsonObject& entry : journal.entries()) {
        const QString text = entry.value("text").toString();
        if (text.startsWith(start)) {
            return text;
        }
    }
    return {};
}

// ---- The flood ---------------------------------------------------------------------------

TEST(SearchFloodSocket, TheFloodLeavesWholeAndIsJournalledOnce) {
    Scenario scenario = simtest::SmallScenario();
    scenario.recorders[0].ip = QStringLiteral("127.0.0.1");
    scenario.recorders[0].faults.floodReplies = 10000;
    SimState state(scenario);
    Journal journal{Journal::InMemory{}};
    UdpServer server(state, journal, QStringLiteral("127.0.0.1"), 0);
    QString error;
    if (!server.start(&error)) {
        GTEST_SKIP() << "no loopback in this namespace: " << error.toStdString();
    }
    const int client = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(client, 0);
    const int buffer = 8 << 20;
    setsockopt(client, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(server.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const QByteArray search =
        QByteArray::fromHex("fdfd0000a100ffffffffffff00000000000003001550abff186bffff0000");
    ASSERT_EQ(::sendto(client, search.constData(), search.size(), 0,
                       reinterpret_cast<const sockaddr*>(&to), sizeof to),
              search.size());

    // Reads while the flood runs; what the socket could not hold is lost, which is no fault.
    std::set<QByteArray> macs;
    std::set<qsizetype> lengths;
    int received = 0;
    QByteArray first;
    const auto drain = [&] {
        char data[2048];
        for (ssize_t n; (n = ::recv(client, data, sizeof data, 0)) >= 0;) {
            const QByteArray d(data, n);
            if (first.isEmpty()) {
                first = d;
            }
            ++received;
            lengths.insert(d.size());
            if (d.size() == 342 || d.size() == 334) {
                macs.insert(d.mid(d.size() == 342 ? 228 : 220, 6));
            }
        }
        return NoteSeen(journal, QStringLiteral("udp: flood from recorder"));
    };
    ASSERT_TRUE(WaitUntil(
        [&] {
            drain();
            return !NoteText(journal,
                             QStringLiteral("udp: flood from recorder 00:1c:2a:78:0e:01 to"))
                        .isEmpty();
        },
        60000));
    drain();
    ::close(client);
    server.stop();

    EXPECT_EQ(NoteText(journal, QStringLiteral("udp: flood from recorder 00:1c:2a:78:0e:01:")),
              QStringLiteral("udp: flood from recorder 00:1c:2a:78:0e:01: 10000 datagrams, 1000 "
                             "MACs, 5000 duplicates, 4000 wrong lengths, over 1000 ms"));
    const QString done =
        NoteText(journal, QStringLiteral("udp: flood from recorder 00:1c:2a:78:0e:01 to"));
    EXPECT_TRUE(done.contains(QLatin1String(" done: 10000 sent, 0 failed, in ")))
        << done.toStdString();
    // The recorder's own answer leaves first; only it and the request are journalled one by one.
    EXPECT_EQ(first.size(), 342);
    EXPECT_EQ(first.mid(228, 6), QByteArray::fromHex("001c2a780e01"));
    int datagramLines = 0;
    for (const QJsonObject& entry : journal.entries()) {
        datagramLines += entry.value("type").toString() == QLatin1String("datagram") ? 1 : 0;
    }
    EXPECT_EQ(datagramLines, 2);
    EXPECT_GT(received, 1);
    EXPECT_LE(macs.size(), 1001u);
    EXPECT_TRUE(lengths.count(342));
}

// ---- Bodies ------------------------------------------------------------------------------

Scenario LoopbackScenario() {
    Scenario scenario = simtest::SmallScenario();
    Recorder& recorder = scenario.recorders[0];
    recorder.ip = QStringLiteral("127.0.0.1");
    recorder.httpPort = kHttp;
    recorder.httpsPort = kHttps;
    recorder.cameras[0].ip = QStringLiteral("127.0.0.2");
    recorder.cameras[0].httpPort = kCamera;
    recorder.cameras[1].httpPort = 0;
    scenario.portal.ip = QStringLiteral("127.0.0.4");
    scenario.portal.httpsPort = kPortal;
    return scenario;
}

const QByteArray kSignIn =
    "client=wizard&email=owner@example.com&password=Portal-Pass1&err_count=0\r\n\r\n";

class HostileServersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        caFile = dir.filePath(QStringLiteral("ca.pem"));
        QString error;
        ASSERT_TRUE(servers.start(&error)) << error.toStdString();
    }
    void knob(const QString& device, const std::function<void(Faults&)>& change) {
        state.with([&](Scenario& s) {
            if (device == QLatin1String("portal")) {
                change(s.portal.faults);
            } else if (device == QLatin1String("camera")) {
                change(s.recorders[0].cameras[0].faults);
            } else {
                change(s.recorders[0].faults);
            }
        });
    }
    std::unique_ptr<httplib::SSLClient> portal() {
        auto client = std::make_unique<httplib::SSLClient>("127.0.0.4", kPortal);
        client->set_ca_cert_path(caFile.toStdString().c_str());
        client->enable_server_certificate_verification(true);
        client->set_read_timeout(30, 0);
        return client;
    }

    QTemporaryDir dir;
    QString caFile;
    SimState state{LoopbackScenario()};
    Journal journal{Journal::InMemory{}};
    HttpServers servers{state, journal, dir.filePath(QStringLiteral("ca.pem"))};
};

TEST_F(HostileServersTest, HugeBodiesComeWholeFromEveryKindOfServer) {
    for (const char* device : {"recorder", "camera", "portal"}) {
        knob(QLatin1String(device), [](Faults& f) { f.bodyMode = QStringLiteral("huge"); });
    }
    httplib::Client recorder("127.0.0.1", kHttp);
    recorder.set_basic_auth("admin", "");
    const auto match = recorder.Get("/config/datamatch");
    ASSERT_TRUE(match) << httplib::to_string(match.error());
    EXPECT_EQ(match->status, 200);
    EXPECT_EQ(match->body.size(), static_cast<size_t>(kHugeBodyBytes));
    EXPECT_EQ(match->body.rfind("match=0\r\n", 0), 0u);

    httplib::Client camera("127.0.0.2", kCamera);
    camera.set_basic_auth("admin", "Cam-Pass1");
    const auto frame = camera.Get("/image/jpeg.cgi");
    ASSERT_TRUE(frame) << httplib::to_string(frame.error());
    EXPECT_EQ(frame->body.size(), static_cast<size_t>(kHugeBodyBytes));
    EXPECT_EQ(frame->body.rfind("\xFF\xD8", 0), 0u);

    const auto signIn = portal()->Post("/account/?signin", kSignIn.toStdString(),
                                       "application/x-www-form-urlencoded");
    ASSERT_TRUE(signIn) << httplib::to_string(signIn.error());
    EXPECT_EQ(signIn->body.size(), static_cast<size_t>(kHugeBodyBytes));
    EXPECT_EQ(signIn->body.rfind("success", 0), 0u);

    // A refusal is as big.
    httplib::Client stranger("127.0.0.1", kHttp);
    const auto refused = stranger.Get("/config/datamatch");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
    EXPECT_EQ(refused->body.size(), static_cast<size_t>(kHugeBodyBytes));
}

TEST_F(HostileServersTest, EndlessBodiesAreChunkedAndGoOnUntilTheClientLeaves) {
    knob(QStringLiteral("recorder"), [](Faults& f) { f.bodyMode = QStringLiteral("endless"); });
    knob(QStringLiteral("portal"), [](Faults& f) { f.bodyMode = QStringLiteral("endless"); });
    httplib::Client recorder("127.0.0.1", kHttp);
    recorder.set_basic_auth("admin", "");
    std::string body;
    std::string encoding;
    const auto reply = recorder.Get(
        "/config/nubraportal",
        [&](const httplib::Response& response) {
            encoding = response.get_header_value("Transfer-Encoding");
            return true;
        },
        [&](const char* data, size_t length) {
            body.append(data, length);
            return body.size() < 2'000'000;
        });
    EXPECT_FALSE(reply) << "it did not end by itself";
    EXPECT_EQ(encoding, "chunked");
    EXPECT_TRUE(NoteSeen(journal, QStringLiteral("body: recorder 00:1c:2a:78:0e:01 answers "
                                                 "/config/nubraportal, bodyMode endless")));
    EXPECT_GE(body.size(), 2'000'000u);
    EXPECT_EQ(body.rfind("status=0\r\naccess=1\r\n", 0), 0u);

    // The portal's sign-in, read through a receiver that leaves after half a megabyte.
    std::string portalBody;
    httplib::Request request;
    request.method = "POST";
    request.path = "/account/?signin";
    request.body = kSignIn.toStdString();
    request.set_header("Content-Type", "application/x-www-form-urlencoded");
    request.content_receiver = [&](const char* data, size_t length, uint64_t, uint64_t) {
        portalBody.append(data, length);
        return portalBody.size() < 500'000;
    };
    auto client = portal();
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    EXPECT_FALSE(client->send(request, response, error));
    EXPECT_GE(portalBody.size(), 500'000u);
    EXPECT_EQ(portalBody.rfind("success", 0), 0u);
}

// A raw request, so each byte can be seen as it comes; returns the socket after the head has
// been read, the head, and what of the body came with it.
struct RawReply {
    int fd = -1;
    QByteArray head;
    QByteArray body;
};

RawReply RawGet(const char* ip, int port, const QByteArray& target, const QByteArray& basic) {
    RawReply reply;
    reply.fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, ip, &address.sin_addr);
    if (connect(reply.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return reply;
    }
    const QByteArray request =
        "GET " + target + " HTTP/1.1\r\nHost: x\r\nAuthorization: " + simtest::BasicHeader(basic) +
        "\r\n\r\n";
    send(reply.fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
    QByteArray received;
    char buffer[4096];
    while (!received.contains("\r\n\r\n")) {
        const ssize_t n = recv(reply.fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        received.append(buffer, n);
    }
    const qsizetype end = received.indexOf("\r\n\r\n");
    reply.head = received.left(end + 4);
    reply.body = received.mid(end + 4);
    return reply;
}

qsizetype ContentLength(const QByteArray& head) {
    const qsizetype at = head.indexOf("Content-Length: ");
    return at < 0 ? -1 : head.mid(at + 16).split('\r').first().toLongLong();
}

TEST_F(HostileServersTest, TrickleSendsTheAnswerAByteAtATimeWithItsLength) {
    knob(QStringLiteral("camera"), [](Faults& f) { f.bodyMode = QStringLiteral("trickle"); });
    RawReply reply = RawGet("127.0.0.2", kCamera, "/system.cgi?AdminID=admin&AdminPassword=Zz1",
                            "admin:Cam-Pass1");
    ASSERT_TRUE(reply.head.startsWith("HTTP/1.1 200")) << reply.head.toStdString();
    const QByteArray answer = "AdminID=admin\r\nAdminPassword=Zz1\r\nConfigReboot=No\r\n";
    EXPECT_EQ(ContentLength(reply.head), answer.size());
    // The pieces come one byte at a time with a second between them: three of them.
    char byte = 0;
    while (reply.body.size() < 3) {
        ASSERT_EQ(recv(reply.fd, &byte, 1, 0), 1);
        reply.body.append(byte);
    }
    EXPECT_EQ(reply.body, answer.left(3));
    close(reply.fd);
}

TEST_F(HostileServersTest, ResetCutsTheConnectionHalfWayThroughTheBody) {
    knob(QStringLiteral("recorder"), [](Faults& f) { f.bodyMode = QStringLiteral("reset"); });
    RawReply reply = RawGet("127.0.0.1", kHttp, "/config/datamatch", "admin:");
    ASSERT_TRUE(reply.head.startsWith("HTTP/1.1 200")) << reply.head.toStdString();
    EXPECT_EQ(ContentLength(reply.head), kResetBodyBytes);
    char buffer[4096];
    ssize_t n = 0;
    while ((n = recv(reply.fd, buffer, sizeof buffer, 0)) > 0) {
        reply.body.append(buffer, n);
    }
    const int error = errno;
    close(reply.fd);
    EXPECT_EQ(n, -1) << "not an orderly end";
    EXPECT_EQ(error, ECONNRESET);
    EXPECT_LT(reply.body.size(), kResetBodyBytes);
    EXPECT_TRUE(reply.body.startsWith("match=0\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return NoteSeen(journal, QStringLiteral("reset: ")); }, 20000));
    const QString note = NoteText(journal, QStringLiteral("reset: "));
    EXPECT_TRUE(
        note.endsWith(QStringLiteral(" to 127.0.0.1:%1 after 32768 of 65536 bytes").arg(kHttp)))
        << note.toStdString();

    // Over TLS the portal's client meets the reset too.
    knob(QStringLiteral("portal"), [](Faults& f) { f.bodyMode = QStringLiteral("reset"); });
    const auto signIn = portal()->Post("/account/?signin", kSignIn.toStdString(),
                                       "application/x-www-form-urlencoded");
    EXPECT_FALSE(signIn);
}

// ---- Certificates ------------------------------------------------------------------------

// The certificate a TLS server shows, taken without checking it.
X509Ptr PresentedCertificate(const char* ip, int port) {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()),
                                                              SSL_CTX_free);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, ip, &address.sin_addr);
    X509Ptr certificate;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        SSL* ssl = SSL_new(context.get());
        SSL_set_fd(ssl, fd);
        if (SSL_connect(ssl) == 1) {
            certificate.reset(SSL_get1_peer_certificate(ssl));
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
    }
    close(fd);
    return certificate;
}

TEST_F(HostileServersTest, ThePortalShowsTheCertificateItsKnobNamesAtEachHandshake) {
    const auto signIn = [&] {
        return portal()->Post("/account/?signin", kSignIn.toStdString(),
                              "application/x-www-form-urlencoded");
    };
    ASSERT_TRUE(signIn()) << "the proper certificate";

    for (const QString& kind : CertificateNames()) {
        knob(QStringLiteral("portal"), [&](Faults& f) { f.certificate = kind; });
        const auto refused = signIn();
        EXPECT_FALSE(refused) << kind.toStdString() << " passed a verifying client";
        if (!refused) {
            EXPECT_EQ(refused.error(), httplib::Error::SSLServerVerification) << kind.toStdString();
        }
        X509Ptr shown = PresentedCertificate("127.0.0.4", kPortal);
        ASSERT_TRUE(shown) << kind.toStdString();
        if (kind == QLatin1String("expired")) {
            EXPECT_LT(X509_cmp_current_time(X509_get0_notAfter(shown.get())), 0);
            EXPECT_EQ(X509_check_ip_asc(shown.get(), "127.0.0.4", 0), 1);
        } else if (kind == QLatin1String("selfSigned")) {
            EXPECT_EQ(X509_NAME_cmp(X509_get_issuer_name(shown.get()),
                                    X509_get_subject_name(shown.get())),
                      0);
            EXPECT_EQ(X509_verify(shown.get(), X509_get0_pubkey(shown.get())), 1);
            EXPECT_EQ(X509_check_ip_asc(shown.get(), "127.0.0.4", 0), 1);
        } else {
            EXPECT_EQ(X509_check_ip_asc(shown.get(), "127.0.0.4", 0), 0);
            EXPECT_EQ(X509_check_host(shown.get(), "wrong-host.invalid", 0, 0, nullptr), 1);
        }
        EXPECT_TRUE(WaitUntil(
            [&] {
                return NoteSeen(journal, QStringLiteral("tls: portal on 127.0.0.4:%1 shows its %2 "
                                                        "certificate")
                                             .arg(kPortal)
                                             .arg(kind));
            },
            20000));
    }
    // None of the refused handshakes brought a request.
    int requests = 0;
    for (const QJsonObject& entry : journal.entries()) {
        requests += entry.value("type").toString() == QLatin1String("http") ? 1 : 0;
    }
    EXPECT_EQ(requests, 1);

    knob(QStringLiteral("portal"), [](Faults& f) { f.certificate.clear(); });
    EXPECT_TRUE(signIn()) << "back to the proper certificate";
}

TEST(TlsAuthorityKinds, EachKindFailsVerificationForItsOwnReason) {
    TlsAuthority authority;
    QString error;
    ASSERT_TRUE(authority.create(&error)) << error.toStdString();
    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(),
                                                                  X509_STORE_free);
    X509_STORE_add_cert(store.get(), authority.certificate());
    const auto verify = [&](X509* cert) {
        std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> context(
            X509_STORE_CTX_new(), X509_STORE_CTX_free);
        X509_STORE_CTX_init(context.get(), store.get(), cert, nullptr);
        X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
        X509_VERIFY_PARAM_set1_ip_asc(X509_STORE_CTX_get0_param(context.get()), "10.77.0.100");
        return X509_verify_cert(context.get()) == 1 ? X509_V_OK
                                                    : X509_STORE_CTX_get_error(context.get());
    };
    const std::pair<QString, int> expected[] = {
        {QString(), X509_V_OK},
        {QStringLiteral("expired"), X509_V_ERR_CERT_HAS_EXPIRED},
        {QStringLiteral("selfSigned"), X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT},
        {QStringLiteral("wrongHost"), X509_V_ERR_IP_ADDRESS_MISMATCH},
    };
    for (const auto& [kind, code] : expected) {
        TlsIdentity identity;
        ASSERT_TRUE(authority.issue(QStringLiteral("10.77.0.100"), kind, &identity, &error))
            << error.toStdString();
        EXPECT_EQ(X509_check_private_key(identity.certificate.get(), identity.key.get()), 1);
        EXPECT_EQ(verify(identity.certificate.get()), code)
            << kind.toStdString() << ": "
            << X509_verify_cert_error_string(verify(identity.certificate.get()));
    }
    TlsIdentity none;
    EXPECT_FALSE(
        authority.issue(QStringLiteral("10.77.0.100"), QStringLiteral("odd"), &none, &error));
}

}  // namespace
