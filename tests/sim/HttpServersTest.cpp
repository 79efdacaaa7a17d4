// The listeners over real sockets on loopback addresses (the suite runs in its own network
// namespace): TLS verified against the CA file, the journal, and hostile bytes on the wire.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <httplib.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "HttpServers.h"
#include "HttpTestSupport.h"
#include "Journal.h"
#include "SimState.h"
#include "TlsMaterial.h"

using namespace sim;

namespace {

constexpr int kHttp = 18080;
constexpr int kHttps = 18443;
constexpr int kCamera = 18081;
constexpr int kPortal = 18444;

Scenario LoopbackScenario() {
    Scenario scenario = simtest::SmallScenario();
    Recorder& recorder = scenario.recorders[0];
    recorder.ip = QStringLiteral("127.0.0.1");
    recorder.httpPort = kHttp;
    recorder.httpsPort = kHttps;
    recorder.adminPassword = QStringLiteral("Secret1");
    recorder.cameras[0].ip = QStringLiteral("127.0.0.2");
    recorder.cameras[0].httpPort = kCamera;
    recorder.cameras[1].ip = QStringLiteral("127.0.0.3");
    recorder.cameras[1].httpPort = kCamera;
    scenario.portal.ip = QStringLiteral("127.0.0.4");
    scenario.portal.httpsPort = kPortal;
    return scenario;
}

// Sends bytes on a fresh connection and reads until the server closes. halfClose ends the
// sending side first, so an incomplete request is not left waiting for more; the server
// library then drops its answer, taking the peer for gone.
QByteArray Exchange(const char* ip, int port, const QByteArray& bytes, bool halfClose = true) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, ip, &address.sin_addr);
    QByteArray received;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n = send(fd, bytes.constData() + sent,
                                   static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0) {
                break;
            }
            sent += n;
        }
        if (halfClose) {
            shutdown(fd, SHUT_WR);
        }
        char buffer[4096];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            received.append(buffer, n);
        }
    }
    close(fd);
    return received;
}

class ServersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        caFile = dir.filePath(QStringLiteral("ca.pem"));
        journalFile = dir.filePath(QStringLiteral("journal.jsonl"));
        journal = std::make_unique<Journal>(journalFile);
        servers = std::make_unique<HttpServers>(state, *journal, caFile);
        QString error;
        ASSERT_TRUE(servers->start(&error)) << error.toStdString();
    }

    std::unique_ptr<httplib::SSLClient> verifyingClient(const char* ip, int port) {
        auto client = std::make_unique<httplib::SSLClient>(ip, port);
        client->set_ca_cert_path(caFile.toStdString().c_str());
        client->enable_server_certificate_verification(true);
        return client;
    }

    QList<QJsonObject> journalLines() {
        QFile file(journalFile);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QJsonObject> lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                lines.append(QJsonDocument::fromJson(line).object());
            }
        }
        return lines;
    }

    QTemporaryDir dir;
    QString caFile;
    QString journalFile;
    SimState state{LoopbackScenario()};
    std::unique_ptr<Journal> journal;
    std::unique_ptr<HttpServers> servers;
};

TEST_F(ServersTest, EveryDeviceAnswersOnItsAddress) {
    httplib::Client recorder("127.0.0.1", kHttp);
    recorder.set_basic_auth("admin", "Secret1");
    auto info = recorder.Get("/config/datamatch");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->status, 200);
    EXPECT_EQ(info->body, "match=0\r\n");

    httplib::Client wrong("127.0.0.1", kHttp);
    wrong.set_basic_auth("admin", "Secret2");
    auto refused = wrong.Get("/config/datamatch");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);

    httplib::Client camera("127.0.0.2", kCamera);
    camera.set_basic_auth("admin", "Cam-Pass1");
    auto frame = camera.Get("/image/jpeg.cgi");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->status, 200);
    EXPECT_EQ(frame->body.substr(frame->body.size() - 2), "\xFF\xD9");
    httplib::Client other("127.0.0.3", kCamera);
    other.set_basic_auth("admin", "");
    auto otherFrame = other.Get("/image/jpeg.cgi");
    ASSERT_TRUE(otherFrame);
    EXPECT_EQ(otherFrame->status, 200) << "the second camera on its own address";
}

TEST_F(ServersTest, DigestRecorderWorksWithAnotherClientsDigest) {
    state.with([](Scenario& s) { s.recorders[0].authScheme = QStringLiteral("digest"); });
    httplib::Client client("127.0.0.1", kHttp);
    client.set_digest_auth("admin", "Secret1");
    for (int i = 0; i < 2; ++i) {
        auto reply = client.Get("/config/nubraregstatus?status=1");
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 200);
        EXPECT_EQ(reply->body, "status=1\r\n");
    }
    httplib::Client basic("127.0.0.1", kHttp);
    basic.set_basic_auth("admin", "Secret1");
    auto refused = basic.Get("/config/nubraregstatus");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
}

TEST_F(ServersTest, HttpsVerifiesAgainstTheWrittenCa) {
    QFile ca(caFile);
    ASSERT_TRUE(ca.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ca.readAll().startsWith("-----BEGIN CERTIFICATE-----"));

    auto recorder = verifyingClient("127.0.0.1", kHttps);
    recorder->set_basic_auth("admin", "Secret1");
    auto list = recorder->Get("/config/nubradiscovery");
    ASSERT_TRUE(list) << httplib::to_string(list.error());
    EXPECT_EQ(list->status, 200);
    EXPECT_EQ(list->body.rfind("1;127.0.0.2;", 0), 0u);

    auto portal = verifyingClient("127.0.0.4", kPortal);
    auto signIn = portal->Post("/account/?signin",
                               "client=wizard&email=owner@example.com&password=Portal-Pass1"
                               "&err_count=0\r\n\r\n",
                               "application/x-www-form-urlencoded");
    ASSERT_TRUE(signIn) << httplib::to_string(signIn.error());
    EXPECT_EQ(signIn->body, "success");
    const std::string cookie = signIn->get_header_value("Set-Cookie");
    httplib::Headers headers = {{"Cookie", cookie.substr(0, cookie.find(';') + 1)}};
    auto bind = portal->Post("/account/?add", headers,
                             "nubra_no=0&device_password=Secret1&dfp=5A3F9C27E1D04B88\r\n\r\n",
                             "application/x-www-form-urlencoded");
    ASSERT_TRUE(bind);
    EXPECT_NE(bind->body.find("ORB-780Z"), std::string::npos) << bind->body;

    // With only the system's authorities the certificate is not trusted.
    httplib::SSLClient untrusting("127.0.0.1", kHttps);
    untrusting.enable_server_certificate_verification(true);
    EXPECT_FALSE(untrusting.Get("/config/nubradiscovery"));
}

TEST_F(ServersTest, JournalHoldsEveryRequest) {
    httplib::Client recorder("127.0.0.1", kHttp);
    recorder.set_basic_auth("admin", "Secret1");
    ASSERT_TRUE(recorder.Get("/config/datetime?timezone=45"));
    ASSERT_TRUE(recorder.Get("/nothing/here"));
    auto portal = verifyingClient("127.0.0.4", kPortal);
    ASSERT_TRUE(portal->Post("/signin", "email=x", "application/x-www-form-urlencoded"));
    servers->stop();  // the journal is written before each answer goes out

    bool sawSet = false;
    bool sawMissing = false;
    bool sawPost = false;
    for (const QJsonObject& line : journalLines()) {
        if (line.value("type").toString() != QLatin1String("http")) {
            continue;
        }
        const QString target = line.value("target").toString();
        if (target == QLatin1String("/config/datetime?timezone=45")) {
            sawSet = true;
            EXPECT_EQ(line.value("status").toInt(), 200);
            EXPECT_EQ(line.value("method").toString(), QStringLiteral("GET"));
            EXPECT_FALSE(line.value("tls").toBool());
            EXPECT_EQ(line.value("device").toString(),
                      QStringLiteral("recorder 00:1c:2a:78:0e:01"));
            bool authorization = false;
            for (const QJsonValue header : line.value("headers").toArray()) {
                authorization |=
                    header.toArray().at(0).toString() == QLatin1String("Authorization");
            }
            EXPECT_TRUE(authorization);
        } else if (target == QLatin1String("/nothing/here")) {
            sawMissing = true;
            EXPECT_EQ(line.value("status").toInt(), 404);
        } else if (target == QLatin1String("/signin")) {
            sawPost = true;
            EXPECT_TRUE(line.value("tls").toBool());
            EXPECT_EQ(line.value("device").toString(), QStringLiteral("portal"));
            EXPECT_EQ(line.value("body").toString(),
                      QString::fromLatin1(QByteArray("email=x").toHex()));
        }
    }
    EXPECT_TRUE(sawSet && sawMissing && sawPost);
}

TEST_F(ServersTest, HostileBytesLeaveTheServersAnswering) {
    QList<QByteArray> junk = {
        "",
        "\r\n\r\n",
        "GET\r\n\r\n",
        "GET / HTTP/9.9\r\n\r\n",
        "GET /config/datamatch HTTP/1.1\r\nAuthorization: Basic\r\n\r\n",
        "GET /config/datamatch HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
        "POST /signin HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\nabc",
        "GET /" + QByteArray(20000, 'a') + " HTTP/1.1\r\n\r\n",
        "GET / HTTP/1.1\r\n" + QByteArray(20000, 'h') + ": x\r\n\r\n",
        "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11),
    };
    QByteArray binary;
    for (int i = 0; i < 4096; ++i) {
        binary.append(static_cast<char>((i * 7919) & 0xFF));
    }
    junk.append(binary);
    for (const QByteArray& bytes : junk) {
        Exchange("127.0.0.1", kHttp, bytes);
        Exchange("127.0.0.1", kHttps, bytes);
        Exchange("127.0.0.2", kCamera, bytes);
        Exchange("127.0.0.4", kPortal, bytes);
    }
    const QByteArray reply =
        Exchange("127.0.0.1", kHttp,
                 "GET /config/datamatch HTTP/1.1\r\nHost: x\r\nAuthorization: " +
                     simtest::BasicHeader("admin:Secret1") + "\r\nConnection: close\r\n\r\n",
                 false);
    EXPECT_TRUE(reply.startsWith("HTTP/1.1 200")) << reply.toStdString();
    EXPECT_TRUE(reply.endsWith("\r\n\r\nmatch=0\r\n"));
    auto portal = verifyingClient("127.0.0.4", kPortal);
    EXPECT_TRUE(portal->Post("/signin", "", "text/plain"));
}

TEST_F(ServersTest, AnOccupiedAddressFailsTheStartWithItsName) {
    Journal quiet;
    SimState second(LoopbackScenario());
    HttpServers rival(second, quiet, QString());
    QString error;
    EXPECT_FALSE(rival.start(&error));
    EXPECT_TRUE(error.contains(QLatin1String("127.0.0.1:18080"))) << error.toStdString();
    // The first set still answers, and the rival gave up everything it had opened.
    servers->stop();
    EXPECT_TRUE(rival.start(&error)) << error.toStdString();
}

TEST(TlsAuthority, ServerCertificateHoldsExactlyItsAddressAndChainsToTheCa) {
    TlsAuthority authority;
    QString error;
    ASSERT_TRUE(authority.create(&error)) << error.toStdString();
    TlsIdentity identity;
    ASSERT_TRUE(authority.issue(QStringLiteral("10.77.0.10"), &identity, &error))
        << error.toStdString();
    X509* cert = identity.certificate.get();
    EXPECT_EQ(X509_check_ip_asc(cert, "10.77.0.10", 0), 1);
    EXPECT_EQ(X509_check_ip_asc(cert, "10.77.0.11", 0), 0);
    EXPECT_EQ(X509_check_host(cert, "localhost", 0, 0, nullptr), 0);
    EXPECT_EQ(X509_check_private_key(cert, identity.key.get()), 1);

    std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(),
                                                                  X509_STORE_free);
    X509_STORE_add_cert(store.get(), authority.certificate());
    std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> context(X509_STORE_CTX_new(),
                                                                            X509_STORE_CTX_free);
    X509_STORE_CTX_init(context.get(), store.get(), cert, nullptr);
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
    EXPECT_EQ(X509_verify_cert(context.get()), 1)
        << X509_verify_cert_error_string(X509_STORE_CTX_get_error(context.get()));
}

}  // namespace
