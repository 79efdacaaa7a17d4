#pragma once

#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "HttpServers.h"
#include "Journal.h"
#include "RecorderStandIn.h"
#include "Scenario.h"
#include "SimState.h"
#include "UdpServer.h"
#include "UiSupport.h"
#include "device/DeviceCommandWorker.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// One recorder of the simulator in this process, serving HTTP on a free loopback port, and a
// search that has found it there: what a page needs that talks to the chosen recorder.
class SimRecorder {
public:
    static constexpr const char* kMac = "00:1c:2a:78:0e:01";
    static constexpr std::array<std::uint8_t, 6> kMacBytes{0x00, 0x1c, 0x2a, 0x78, 0x0e, 0x01};
    static constexpr const char* kPassword = "Secret12";

    // `portal` sets up the cloud portal (none without it); the certificate authority of the
    // run is written to `caFile` when one is named.
    explicit SimRecorder(const std::function<void(sim::Recorder&)>& tune = {},
                         const std::function<void(sim::Portal&)>& portal = {},
                         const QString& caFile = {})
        : state_(Scenario(tune, portal)), servers_(state_, journal_, caFile) {
        QString error;
        started_ = servers_.start(&error);
        EXPECT_TRUE(started_) << error.toStdString();
        discovery_ = std::make_unique<RecorderStandIn>(std::vector<Bytes>{RecorderReply(
            "ORB-780Z", kMacBytes, {127, 0, 0, 1}, true, static_cast<std::uint16_t>(port()))});
    }

    int port() const { return servers_.boundPort(QString::fromLatin1(kMac), false); }
    // 0 unless the tuning asked for HTTPS (httpsPort 0: a free port).
    int securePort() const { return servers_.boundPort(QString::fromLatin1(kMac), true); }

    // Search records besides the recorder's: cameras found with the port they serve on.
    void alsoFind(std::vector<Bytes> records) {
        records.insert(records.begin(), RecorderReply("ORB-780Z", kMacBytes, {127, 0, 0, 1}, true,
                                                      static_cast<std::uint16_t>(port())));
        discovery_->setReplies(std::move(records));
    }

    // The simulator's datagram side on a free loopback port, where the worker of choose()
    // sends its requests from then on; false when it does not start.
    bool serveDatagrams() {
        udp_ = std::make_unique<sim::UdpServer>(state_, journal_, QStringLiteral("127.0.0.1"), 0);
        QString error;
        const bool started = udp_->start(&error);
        EXPECT_TRUE(started) << error.toStdString();
        return started;
    }

    // Changes the recorder while it serves.
    void change(const std::function<void(sim::Recorder&)>& edit) {
        state_.with([&](sim::Scenario& s) { edit(s.recorders[0]); });
    }
    void changePortal(const std::function<void(sim::Portal&)>& edit) {
        state_.with([&](sim::Scenario& s) { edit(s.portal); });
    }
    template <typename T>
    T read(const std::function<T(const sim::Recorder&)>& get) {
        return state_.with([&](sim::Scenario& s) { return get(s.recorders[0]); });
    }

    // The recorder's HTTP requests so far, path and query as received, oldest first; a
    // challenge and its answer count once.
    QStringList targets() const {
        QStringList seen;
        for (const QJsonObject& entry : journal_.entries()) {
            if (entry.value(QStringLiteral("type")).toString() == QLatin1String("http") &&
                entry.value(QStringLiteral("status")).toInt() != 401) {
                seen.append(entry.value(QStringLiteral("target")).toString());
            }
        }
        return seen;
    }
    // The journal's HTTP entries with `target`, oldest first.
    QList<QJsonObject> requests(const QString& target) const {
        QList<QJsonObject> found;
        for (const QJsonObject& entry : journal_.entries()) {
            if (entry.value(QStringLiteral("type")).toString() == QLatin1String("http") &&
                entry.value(QStringLiteral("target")).toString() == target) {
                found.append(entry);
            }
        }
        return found;
    }
    int count(const QString& target) const { return static_cast<int>(targets().count(target)); }
    // How many of the journal's notes contain `part`.
    int notes(const QString& part) const {
        int found = 0;
        for (const QJsonObject& entry : journal_.entries()) {
            found += entry.value(QStringLiteral("text")).toString().contains(part) ? 1 : 0;
        }
        return found;
    }
    // The journal line of a request is written once it has been answered: waits for `size`.
    QStringList targets(int size) const {
        WaitUntil([&] { return targets().size() >= size; });
        return targets();
    }

    // Points the host at this recorder as page 7 and 8 leave it: found by a search, chosen,
    // and secured with kPassword.
    bool choose(CInterDialog& host) {
        std::atomic<bool> ended{false};
        auto search = discovery_->search(std::chrono::milliseconds(150), [&] { ended = true; });
        auto worker = std::make_shared<DeviceCommandWorker>();
        worker->setUdpDestination(QStringLiteral("127.0.0.1"), udp_ ? udp_->port() : 0);
        if (securePort() > 0) {
            worker->setSecurePort(securePort());
        }
        host.setServices(search, worker);
        if (search->Search() != 1 || !WaitUntil([&] { return ended.load(); }) ||
            search->FindByMac(QString::fromLatin1(kMac)) < 0) {
            return false;
        }
        WizardSession& session = host.session();
        session.setRecorderIp(QStringLiteral("127.0.0.1"));
        session.setRecorderMac(QString::fromLatin1(kMac));
        session.setAdminUser(QStringLiteral("admin"));
        session.setAdminPassword(QString::fromLatin1(kPassword));
        session.recorderPort = port();
        return true;
    }

private:
    static sim::Scenario Scenario(const std::function<void(sim::Recorder&)>& tune,
                                  const std::function<void(sim::Portal&)>& portal) {
        sim::Scenario scenario;
        sim::Recorder recorder;
        recorder.ip = QStringLiteral("127.0.0.1");
        recorder.httpPort = 0;
        recorder.httpsPort = -1;
        recorder.adminPassword = QString::fromLatin1(kPassword);
        recorder.currentZone = 45;
        if (tune) {
            tune(recorder);
        }
        scenario.recorders.append(recorder);
        scenario.portal.ip.clear();
        if (portal) {
            portal(scenario.portal);
        }
        return scenario;
    }

    sim::SimState state_;
    sim::Journal journal_{sim::Journal::InMemory{}};
    sim::HttpServers servers_;
    bool started_ = false;
    std::unique_ptr<RecorderStandIn> discovery_;
    std::unique_ptr<sim::UdpServer> udp_;
};
