#pragma once

#include <QJsonArray>
#include <QTemporaryDir>

#include "CameraStepSupport.h"
#include "controls/CMyEditCtrl2.h"
#include "pages/CNubraServiceDlg.h"

// The recorder with its HTTPS and the portal on one port of two loopback addresses: the
// command worker sends both its secure recorder commands and the portal's to its secure port.
inline constexpr const char* kPortalIp = "127.0.0.2";
inline constexpr const char* kPortalNumber = "NB4471";
inline constexpr const char* kDfp = "5A3F9C27E1D04B88";
inline const QString kKnownEmail = QStringLiteral("installer@example.com");
inline const QString kKnownPassword = QStringLiteral("Portal-2024");

// Points the certificate store at `file` while it lives.
class TrustedAuthority {
public:
    explicit TrustedAuthority(const QString& file)
        : had_(qEnvironmentVariableIsSet("SSL_CERT_FILE")), old_(qgetenv("SSL_CERT_FILE")) {
        qputenv("SSL_CERT_FILE", file.toLocal8Bit());
    }
    ~TrustedAuthority() {
        if (had_) {
            qputenv("SSL_CERT_FILE", old_);
        } else {
            qunsetenv("SSL_CERT_FILE");
        }
    }
    TrustedAuthority(const TrustedAuthority&) = delete;
    TrustedAuthority& operator=(const TrustedAuthority&) = delete;

private:
    bool had_;
    QByteArray old_;
};

// The portal's certificate is checked: the authority of the run is trusted while it lives.
class CloudSim {
public:
    explicit CloudSim(const std::function<void(sim::Portal&)>& portal = {})
        : port_(FreePort("127.0.0.1")),
          trust_(folder_.filePath(QStringLiteral("ca.pem"))),
          recorder(
              [this](sim::Recorder& r) {
                  r.httpsPort = port_;
                  r.portal.portalNumber = QString::fromLatin1(kPortalNumber);
                  r.portal.portalDfp = QString::fromLatin1(kDfp);
              },
              [this, portal](sim::Portal& p) {
                  p.ip = QString::fromLatin1(kPortalIp);
                  p.httpsPort = port_;
                  p.accounts = {{kKnownEmail, kKnownPassword}};
                  if (portal) {
                      portal(p);
                  }
              },
              folder_.filePath(QStringLiteral("ca.pem"))) {}

private:
    QTemporaryDir folder_;
    int port_;
    TrustedAuthority trust_;

public:
    SimRecorder recorder;
};

// A portal that answers sign-ins `ms` late.
inline std::function<void(sim::Portal&)> SlowSignIn(int ms) {
    return [ms](sim::Portal& p) {
        sim::ReplyOverride slow;
        slow.path = QStringLiteral("/account/");
        slow.queryPrefix = QStringLiteral("signin");
        slow.delayMs = ms;
        p.overrides = {slow};
    };
}

// Fast waits: the rules stay, the pauses shrink. The polls keep their number, so a sign-in
// is still given 160 polls.
inline cloudstep::Pacing QuickCloud(
    std::chrono::milliseconds poll = std::chrono::milliseconds(20)) {
    cloudstep::Pacing p;
    p.retry = std::chrono::milliseconds(10);
    p.betweenSteps = std::chrono::milliseconds(10);
    p.poll = poll;
    p.end = std::chrono::milliseconds(5);
    p.afterRegistration = std::chrono::milliseconds(5);
    return p;
}

// Page 12 as the camera step leaves it for this portal.
inline CNubraServiceDlg* OpenCloudStep(HostFixture& fixture, CloudSim& sim,
                                       const cloudstep::Pacing& pacing = QuickCloud(),
                                       const char* portalHost = kPortalIp) {
    EXPECT_TRUE(sim.recorder.choose(*fixture.host));
    CInterDialog& host = *fixture.host;
    host.summaryText1 = QString::fromLatin1(portalHost);
    host.summaryText2 = QString::fromLatin1(kPortalNumber);
    host.portalDfp = QString::fromLatin1(kDfp);
    host.portalAccess = QStringLiteral("1");
    host.session().setCloudEmail(QStringLiteral("recorder@example.com"));
    host.session().setCloudPassword(QStringLiteral("from-the-recorder"));
    fixture.post(msg::kNavigate, msg::kNext, 12 - host.currentPageId() - 1);
    auto* page = qobject_cast<CNubraServiceDlg*>(host.currentPage());
    EXPECT_NE(page, nullptr);
    if (page != nullptr) {
        page->setPacing(pacing);
    }
    return page;
}

inline void FillForm(CNubraServiceDlg& page, const QString& email, const QString& password,
                     const QString& confirmation = {}) {
    page.emailBox()->setText(email);
    page.passwordBox()->setText(password);
    if (page.confirmationBox()->isVisibleTo(&page)) {
        page.confirmationBox()->setText(confirmation);
    }
}

// The header `name` of a journal entry.
inline QString HeaderOf(const QJsonObject& entry, const QString& name) {
    for (const QJsonValue& header : entry.value(QStringLiteral("headers")).toArray()) {
        const QJsonArray pair = header.toArray();
        if (pair.at(0).toString().compare(name, Qt::CaseInsensitive) == 0) {
            return pair.at(1).toString();
        }
    }
    return {};
}
