#include <gtest/gtest.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QUrlQuery>

#include <atomic>
#include <string>
#include <thread>

#include "LoopbackHttpServer.h"
#include "TestCertificates.h"
#include "device/DeviceCommandWorker.h"
#include "util/NvrAes.h"

namespace {

using namespace std::chrono_literals;

constexpr int kGenerousMs = 20000;
const QString kHost = QStringLiteral("127.0.0.1");

// Polls the worker as the pages do, with a bound so a fault cannot hang the suite.
std::int32_t WaitSettled(const DeviceCommandWorker& worker) {
    QDeadlineTimer deadline(kGenerousMs);
    while (worker.status() == kCommandRunning && !deadline.hasExpired()) {
        std::this_thread::sleep_for(5ms);
    }
    return worker.status();
}

LoopbackResponse Ok(std::string body) {
    return LoopbackResponse::Text(200, "OK", std::move(body));
}

std::string Path(const LoopbackRequest& request) {
    return request.target.substr(0, request.target.find('?'));
}

// A worker talking plain HTTP to a loopback recorder whose answers the test scripts.
class WorkerHttpTest : public testing::Test {
protected:
    void Serve(LoopbackHttpServer::Handler handler) { server_.SetHandler(std::move(handler)); }
    std::uint16_t port() const { return server_.port(); }

    LoopbackHttpServer server_{[](const LoopbackRequest&) { return Ok(""); }};
    DeviceCommandWorker worker_;
};

}  // namespace

TEST_F(WorkerHttpTest, RegStatusAsksOnceMoreWhenTheFirstReplyHasNoOne) {
    std::atomic<int> calls{0};
    Serve([&calls](const LoopbackRequest&) {
        return Ok(++calls == 1 ? "status=0\r\n" : "status=1\r\n");
    });
    ASSERT_TRUE(worker_.StartSetNubraRegStatus(kHost, port(), "admin", ""));
    EXPECT_EQ(WaitSettled(worker_), kCommandDone);
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.target, "/config/nubraregstatus?status=1");
        EXPECT_EQ(request.header("Authorization"), "Basic YWRtaW46");  // "admin:"
    }

    calls = 0;
    Serve([](const LoopbackRequest&) { return Ok("status=0\r\n"); });
    ASSERT_TRUE(worker_.StartSetNubraRegStatus(kHost, port(), "admin", ""));
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
    EXPECT_EQ(server_.RequestCount(), 4u);
}

TEST_F(WorkerHttpTest, DiscoveryKeepsAtMost256LinesAndTheCursorWrapsOnce) {
    std::string body;
    for (int i = 0; i < 300; ++i) {
        body += "0;10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256) + "\r\n";
    }
    Serve([&body](const LoopbackRequest&) { return Ok(body); });
    ASSERT_TRUE(worker_.StartPlainCommand(kHost, port(), "admin", "", CMD_NUBRA_DISCOVERY));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    QStringList items;
    for (QString item = worker_.NextListItem(); !item.isEmpty(); item = worker_.NextListItem()) {
        items << item;
    }
    ASSERT_EQ(items.size(), 256);
    EXPECT_EQ(items.first(), "0;10.1.0.0");
    EXPECT_EQ(items.last(), "0;10.1.0.255");
    EXPECT_EQ(worker_.NextListItem(), "0;10.1.0.0");  // after the empty text: from the start

    Serve([](const LoopbackRequest&) { return Ok(""); });
    ASSERT_TRUE(worker_.StartPlainCommand(kHost, port(), "admin", "", CMD_NUBRA_DISCOVERY));
    EXPECT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.NextListItem(), QString());
}

TEST_F(WorkerHttpTest, PortalInfoJoinsTheSevenValuesInOrder) {
    Serve([](const LoopbackRequest&) {
        return Ok(
            "model=ORB-780Z\r\nstatus=0\r\naccess=1\r\nportal_url=portal.example\r\n"
            "portal_number=770041\r\nlocalhyperlink=http://10.77.0.10/\r\nstatus=9\r\n");
    });
    EXPECT_EQ(worker_.GetPortalInfo(), "-1");  // idle
    ASSERT_TRUE(worker_.StartGetNubraPortal(kHost, port(), "admin", ""));
    EXPECT_EQ(worker_.GetPortalInfo(), QString());  // running
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.GetPortalInfo(),
              "0&1&portal.example&770041&&ORB-780Z&http://10.77.0.10/");  // no portal_dfp
}

TEST_F(WorkerHttpTest, FormatPollReadsTheLeadingNumber) {
    Serve([](const LoopbackRequest&) { return Ok("status= 42%\r\n"); });
    ASSERT_TRUE(worker_.StartPlainCommand(kHost, port(), "admin", "", CMD_FORMAT_POLL));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.pollStatus(), 42);
}

TEST_F(WorkerHttpTest, RefusalsAndMissingAnswersFailTheCommand) {
    for (const int status : {401, 409}) {
        Serve([status](const LoopbackRequest&) {
            return LoopbackResponse::Text(status, "No", "status=100\r\n");
        });
        ASSERT_TRUE(worker_.StartFormatDisk(kHost, port(), "admin", "", 0, 1, 1));
        EXPECT_EQ(WaitSettled(worker_), kCommandFailed) << status;
        EXPECT_EQ(worker_.GetReplyText(), "-1");
    }
    // A command without data succeeds only on an answer that says so: an error page is no
    // "taken", and a camera password the recorder answered 400 to is no accepted one.
    for (const int status : {400, 404, 500}) {
        Serve([status](const LoopbackRequest&) {
            return LoopbackResponse::Text(status, "Error", "result=ok\r\n");
        });
        ASSERT_TRUE(worker_.StartFormatDisk(kHost, port(), "admin", "", 0, 1, 1));
        EXPECT_EQ(WaitSettled(worker_), kCommandFailed) << status;
        ASSERT_TRUE(worker_.StartDetectCamera(kHost, port(), "admin", "", "10.0.0.7", "admin",
                                              "guess", "cgi", "Orbis", "OC-420"));
        EXPECT_EQ(WaitSettled(worker_), kCommandFailed) << status;
        ASSERT_TRUE(worker_.StartAddCamera(kHost, port(), "admin", "", 1, "OC-420", "10.0.0.7", "",
                                           1, "admin", "pw", "Orbis", "OC-420"));
        EXPECT_EQ(WaitSettled(worker_), kCommandFailed) << status;
    }
    Serve([](const LoopbackRequest&) { return LoopbackResponse::Text(204, "No Content", ""); });
    ASSERT_TRUE(worker_.StartFormatDisk(kHost, port(), "admin", "", 0, 1, 1));
    EXPECT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(server_.Requests().back().target,
              "/config/storageformat?storageid=0&partition=1&fs=1");

    // Something that is not HTTP at all.
    Serve([](const LoopbackRequest&) {
        LoopbackResponse garbage;
        garbage.raw = "SSH-2.0-OpenSSH_9.2\r\n\r\n";
        garbage.closeAfter = true;
        return garbage;
    });
    ASSERT_TRUE(worker_.StartFormatDisk(kHost, port(), "admin", "", 0, 1, 1));
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
}

TEST_F(WorkerHttpTest, CameraAdminPasswordMustBeEchoed) {
    Serve([](const LoopbackRequest& request) {
        const QUrlQuery query(
            QString::fromStdString(request.target.substr(request.target.find('?') + 1)));
        const QString password = query.queryItemValue("AdminPassword", QUrl::FullyDecoded);
        return Ok("AdminID=admin\r\nAdminPassword=" + password.toStdString() + "\r\n");
    });
    ASSERT_TRUE(worker_.StartSetCameraAdminPassword(kHost, port(), "admin", "old", "N3w&#+ok"));
    EXPECT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(server_.Requests().back().target,
              "/system.cgi?AdminID=admin&AdminPassword=N3w%26%23%2Bok&ConfigReboot=No");

    Serve([](const LoopbackRequest&) { return Ok("AdminPassword=something-else\r\n"); });
    ASSERT_TRUE(worker_.StartSetCameraAdminPassword(kHost, port(), "admin", "old", "N3w"));
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
}

namespace {

// The recorder's side of a password change: its camera list, a login key, then the change.
LoopbackHttpServer::Handler ChangeHandler(std::string list, std::string key) {
    return [list = std::move(list), key = std::move(key)](const LoopbackRequest& request) {
        const std::string path = Path(request);
        if (path == "/live/avdevlist") {
            return Ok(list);
        }
        if (path == "/config/login") {
            return Ok("result=ok\r\nkey=" + key + "\r\n");
        }
        return Ok("result=ok\r\n");
    };
}

QString HexOf(const std::array<std::uint8_t, 64>& bytes) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), 64).toHex().toUpper());
}

}  // namespace

TEST_F(WorkerHttpTest, ChangeCameraPasswordUsesTheRecordersIdWhenItKnowsTheCamera) {
    const std::string key = "00112233445566778899AABBCCDDEEFF0123456789ABCDEFFEDCBA9876543210";
    const auto keyBytes = HexDecode(key);
    const QByteArray oldPlain = QByteArray("old-22");
    const QByteArray newPlain = QByteArray("n3w-22");
    const QString oldHex = HexOf(NvrAesEncrypt(
        keyBytes, std::span(reinterpret_cast<const std::uint8_t*>(oldPlain.data()), 6)));
    const QString newHex = HexOf(NvrAesEncrypt(
        keyBytes, std::span(reinterpret_cast<const std::uint8_t*>(newPlain.data()), 6)));
    EXPECT_EQ(oldHex.size(), 128);

    // Recorders have self-signed certificates.
    LoopbackHttpServer tls(ChangeHandler("avdevid=1;hostname=10.77.0.21;x=y\r\n"
                                         "avdevid=4;hostname=10.77.0.22\r\n"
                                         "avdevid=5;hostname=10.77.0.220\r\n",
                                         key),
                           TestCertificates::Instance().selfSignedLeaf);
    ASSERT_TRUE(tls.ok()) << tls.error();
    worker_.setSecurePort(tls.port());
    ASSERT_TRUE(worker_.StartChangeCameraPassword(kHost, 80, "admin", "", "10.77.0.22", "cgi", "1",
                                                  "admin", "old-22", "n3w-22"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    const auto requests = tls.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/live/avdevlist");
    EXPECT_EQ(requests[1].target, "/config/login");
    EXPECT_EQ(
        QString::fromStdString(requests[2].target),
        "/config/avdevchangepassword?avdevid=5&oldpassword=" + oldHex + "&newpassword=" + newHex);

    // A camera the recorder does not list: the hostname form, with the user in Base64.
    tls.SetHandler(ChangeHandler("avdevid=1;hostname=10.77.0.21\r\n", key));
    ASSERT_TRUE(worker_.StartChangeCameraPassword(kHost, 80, "admin", "", "10.77.0.23", "cgi", "0",
                                                  "admin", "old-22", "n3w-22"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(QString::fromStdString(tls.Requests().back().target),
              "/config/avdevchangepassword?hostname=10.77.0.23&protocol=cgi&protocoltype=0"
              "&username=YWRtaW4=&oldpassword=" +
                  oldHex + "&newpassword=" + newHex);
}

TEST_F(WorkerHttpTest, ChangeCameraPasswordRefusesAKeyThatIsNotHex) {
    LoopbackHttpServer tls(ChangeHandler("", "not-hex"),
                           TestCertificates::Instance().selfSignedLeaf);
    ASSERT_TRUE(tls.ok()) << tls.error();
    worker_.setSecurePort(tls.port());
    ASSERT_TRUE(worker_.StartChangeCameraPassword(kHost, 80, "admin", "", "10.77.0.22", "cgi", "1",
                                                  "admin", "old", "new"));
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
    EXPECT_EQ(tls.RequestCount(), 2u);  // nothing enciphered with a key of zeros was sent
}

TEST_F(WorkerHttpTest, StopAbortsARequestHeldBySilenceAndTheCommandFails) {
    Serve([](const LoopbackRequest&) {
        LoopbackResponse silent;
        silent.silent = true;
        return silent;
    });
    // A long time-out, so only the abort can end the request.
    ASSERT_TRUE(
        worker_.StartCommand(kHost, port(), "admin", "", CMD_GET_NUBRA_PORTAL, 60000, false));
    ASSERT_TRUE(server_.WaitForRequests(1));
    EXPECT_EQ(worker_.status(), kCommandRunning);
    worker_.StopCommand();  // waits its bounded while, then closes the connection
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
    EXPECT_EQ(worker_.GetPortalInfo(), "-1");
}

TEST_F(WorkerHttpTest, ARunOvertakenByANewStartNeverSettlesTheNewOne) {
    // The first command hangs; the second pre-empts it and must keep its own outcome even
    // though the first run ends (aborted, failed) while the second is running.
    std::atomic<bool> first{true};
    Serve([&first](const LoopbackRequest& request) {
        if (Path(request) == "/config/nubraportal" && first.exchange(false)) {
            LoopbackResponse silent;
            silent.silent = true;
            return silent;
        }
        LoopbackResponse slow = Ok("status=77\r\n");
        slow.delay = 300ms;
        return slow;
    });
    ASSERT_TRUE(
        worker_.StartCommand(kHost, port(), "admin", "", CMD_GET_NUBRA_PORTAL, 60000, false));
    ASSERT_TRUE(server_.WaitForRequests(1));
    ASSERT_TRUE(worker_.StartPlainCommand(kHost, port(), "admin", "", CMD_FORMAT_POLL));
    EXPECT_EQ(worker_.status(), kCommandRunning);
    EXPECT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.pollStatus(), 77);
    EXPECT_EQ(worker_.code(), CMD_FORMAT_POLL);
}

namespace {

// The portal over HTTPS with a certificate the test's own authority signed.
class PortalTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ca_.ok());
        old_ = qgetenv("SSL_CERT_FILE");
        hadOld_ = qEnvironmentVariableIsSet("SSL_CERT_FILE");
        qputenv("SSL_CERT_FILE", ca_.path().toLocal8Bit());
        ASSERT_TRUE(portal_.ok()) << portal_.error();
        worker_.setSecurePort(portal_.port());
    }
    void TearDown() override {
        if (hadOld_) {
            qputenv("SSL_CERT_FILE", old_);
        } else {
            qunsetenv("SSL_CERT_FILE");
        }
    }
    bool SignIn(const QString& email, const QString& password) {
        return worker_.StartPortalSignIn(kHost, "wizard", "ORB-780Z_V 2.03.02", "en", email,
                                         password);
    }

    PemFile ca_{TestCertificates::Instance().ca.certificate};
    QByteArray old_;
    bool hadOld_ = false;
    LoopbackHttpServer portal_{[](const LoopbackRequest&) { return Ok(""); },
                               TestCertificates::Instance().localLeaf};
    DeviceCommandWorker worker_;
};

}  // namespace

TEST_F(PortalTest, SignInCookieErrCountAndBind) {
    std::atomic<int> signIns{0};
    portal_.SetHandler([&signIns](const LoopbackRequest& request) {
        if (request.target == "/account/?signin") {
            const int n = ++signIns;
            LoopbackResponse reply = Ok(n == 1   ? "SIGNINERR002 wrong password"
                                        : n == 2 ? "SIGNINERR001 unknown"
                                                 : "success: signed in");
            if (n == 3) {
                reply.headers.push_back({"Set-Cookie", "lang=en; nubra=abc123; path=/"});
                reply.headers.push_back({"Set-Cookie", "other=1"});
                reply.pieces = 5;  // read whole from many pieces
                reply.pieceDelay = 20ms;
            }
            return reply;
        }
        return Ok("success: bound");
    });

    ASSERT_TRUE(SignIn("a+b&c@example.com", "pw"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.GetReplyText(), "SIGNINERR002 wrong password");
    EXPECT_EQ(worker_.errCount(), 1);

    ASSERT_TRUE(SignIn("a+b&c@example.com", "pw"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.errCount(), 1);  // SIGNINERR001 leaves it

    ASSERT_TRUE(SignIn("a+b&c@example.com", "pw"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(worker_.GetReplyText(), "success: signed in");
    EXPECT_EQ(worker_.errCount(), 0);
    EXPECT_EQ(worker_.portalCookie(), "abc123");

    ASSERT_TRUE(worker_.StartPortalBind(kHost, "wizard", "ORB-780Z_V 2.03.02", "en", "770041",
                                        "Rec-pw", "C0FFEE"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);

    const auto requests = portal_.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.headerCount("Authorization"), 0) << request.raw;
    }
    EXPECT_EQ(requests[0].body,
              "client=wizard&wizard_version=ORB-780Z_V%202.03.02&lang=en"
              "&email=a%2Bb%26c%40example.com&password=pw&err_count=0\r\n\r\n");
    EXPECT_NE(requests[1].body.find("&err_count=1\r\n"), std::string::npos);
    EXPECT_EQ(requests[3].target, "/account/?add");
    EXPECT_EQ(requests[3].header("Cookie"), "nubra=abc123;");
    EXPECT_NE(
        requests[3].body.find("&nubra_no=770041&device_password=Rec-pw&dfp=C0FFEE&err_count=0"),
        std::string::npos);
}

TEST_F(PortalTest, AReplyWithoutCookieLeavesTheBindWithAnEmptyOne) {
    portal_.SetHandler([](const LoopbackRequest&) { return Ok("success"); });
    ASSERT_TRUE(SignIn("installer@example.com", "pw"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    ASSERT_TRUE(worker_.StartPortalBind(kHost, "wizard", "v", "en", "1", "p", "d"));
    ASSERT_EQ(WaitSettled(worker_), kCommandDone);
    EXPECT_EQ(portal_.Requests().back().header("Cookie"), "nubra=;");
}

TEST_F(PortalTest, APortalTheSystemDoesNotTrustIsNeverSentTheAccount) {
    qunsetenv("SSL_CERT_FILE");
    ASSERT_TRUE(SignIn("installer@example.com", "secret"));
    EXPECT_EQ(WaitSettled(worker_), kCommandFailed);
    EXPECT_EQ(worker_.GetReplyText(), "-1");
    EXPECT_EQ(portal_.RequestCount(), 0u);
}
