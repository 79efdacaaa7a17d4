#pragma once

#include <QCoreApplication>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "SimRecorder.h"
#include "UiSupport.h"
#include "controls/CCamHeaderCtrl.h"
#include "controls/CCamListCtrl.h"
#include "pages/CCameraSearchDlg.h"

// A port nobody listens on at `ip` just now, for a camera that serves there.
inline int FreePort(const char* ip) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, ip, &address.sin_addr);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

inline sim::Camera Camera(const QString& ip, const QString& mac, const QString& model,
                          const QString& account, const QString& listedPassword,
                          const QString& ownPassword) {
    sim::Camera camera;
    camera.addedFlag = QStringLiteral("0");
    camera.ip = ip;
    camera.mac = mac;
    camera.brand = QStringLiteral("Orbis");
    camera.model = model;
    camera.account = account;
    camera.password = listedPassword;
    camera.protocol = QStringLiteral("cgi");
    camera.protocolType = QStringLiteral("1");
    camera.adminPassword = ownPassword;
    camera.httpPort = 0;
    return camera;
}

inline QString Mac(int n) {
    return QStringLiteral("00:11:22:33:44:%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Fast waits: the rules stay, the pauses shrink.
inline camerastep::Pacing Quick() {
    camerastep::Pacing p;
    p.settle = std::chrono::milliseconds(10);
    p.discoveryPoll = std::chrono::milliseconds(20);
    p.afterList = std::chrono::milliseconds(10);
    p.passwordPoll = std::chrono::milliseconds(20);
    p.portalRetry = std::chrono::milliseconds(20);
    p.portalPoll = std::chrono::milliseconds(30);
    p.addGap = std::chrono::milliseconds(10);
    p.addPoll = std::chrono::milliseconds(20);
    p.afterRemove = std::chrono::milliseconds(10);
    p.afterCommand = std::chrono::milliseconds(10);
    return p;
}

// The recorder's HTTPS on a free port, where the camera step's secure requests go.
inline void Secure(sim::Recorder& r) {
    r.httpsPort = 0;
}

// Page 11 after its first scan, against `recorder`.
inline CCameraSearchDlg* OpenCameraStep(HostFixture& fixture, SimRecorder& recorder,
                                        int replyType = 3) {
    EXPECT_TRUE(recorder.choose(*fixture.host));
    fixture.host->session().replyType = replyType;
    fixture.post(msg::kNavigate, msg::kNext, 11 - fixture.host->currentPageId() - 1);
    auto* shown = qobject_cast<CCameraSearchDlg*>(fixture.host->currentPage());
    EXPECT_NE(shown, nullptr);
    if (shown != nullptr) {
        shown->setPacing(Quick());
        EXPECT_TRUE(WaitUntil([&] { return shown->scansTaken() >= 1; }, 10000));
    }
    return shown;
}

// A click on the box of `row`, as the mouse gives it.
inline void ClickBox(CCameraSearchDlg& step, int row) {
    controls::CCamListCtrl* list = step.list();
    list->scrollToRow(row);
    const QRect cell = list->cellRect(row, controls::CCamHeaderCtrl::kBoxColumn);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      cell.center() - list->viewport()->mapTo(list, QPoint(0, 0)));
    QCoreApplication::processEvents();
}
