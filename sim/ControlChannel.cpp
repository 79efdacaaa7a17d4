#include "ControlChannel.h"

#include <httplib.h>

#include <chrono>

#include "ScenarioJson.h"

namespace sim {

Faults* FindFaults(Scenario& scenario, const QString& device) {
    if (device == QLatin1String("portal")) {
        return &scenario.portal.faults;
    }
    const QString key = device.toLower();
    for (Recorder& recorder : scenario.recorders) {
        if (recorder.mac.toLower() == key || recorder.ip == key) {
            return &recorder.faults;
        }
    }
    for (Recorder& recorder : scenario.recorders) {
        for (Camera& camera : recorder.cameras) {
            if (camera.mac.toLower() == key || camera.ip == key) {
                return &camera.faults;
            }
        }
    }
    if (scenario.portal.ip == key) {
        return &scenario.portal.faults;
    }
    return nullptr;
}

ControlChannel::ControlChannel(SimState& state, Journal& journal, std::function<void()> onQuit)
    : state_(state), journal_(journal), onQuit_(std::move(onQuit)) {}

ControlChannel::~ControlChannel() {
    stop();
}

bool ControlChannel::start(std::uint16_t port, QString* error) {
    server_ = std::make_unique<httplib::Server>();
    auto& server = *server_;

    server.Get("/state", [this](const httplib::Request&, httplib::Response& res) {
        const QByteArray json = state_.with([](Scenario& s) { return ScenarioToJson(s); });
        res.set_content(json.toStdString(), "application/json");
    });

    server.Post("/faults", [this](const httplib::Request& req, httplib::Response& res) {
        const auto reply = [&res](int status, const QString& text) {
            res.status = status;
            res.set_content(text.toStdString() + "\n", "text/plain; charset=utf-8");
        };
        if (!req.has_param("device")) {
            return reply(400, QStringLiteral("missing device=<mac|ip|portal>"));
        }
        const QString device = QString::fromStdString(req.get_param_value("device"));
        QString problem;
        int status = 200;
        const QStringList changed = state_.with([&](Scenario& s) {
            QStringList done;
            Faults* faults = FindFaults(s, device);
            if (!faults) {
                status = 404;
                problem = QStringLiteral("no device \"%1\"").arg(device);
                return done;
            }
            // All or nothing: a request with one bad knob changes none.
            Faults updated = *faults;
            for (const auto& [name, value] : req.params) {
                if (name == "device") {
                    continue;
                }
                const QString knob = QString::fromStdString(name);
                const QString text = QString::fromStdString(value);
                if (!SetFault(updated, knob, text, &problem)) {
                    status = 400;
                    return QStringList();
                }
                done.append(knob + QLatin1Char('=') + text);
            }
            *faults = updated;
            return done;
        });
        if (status != 200) {
            return reply(status, problem);
        }
        journal_.note(QStringLiteral("control: %1 faults %2").arg(device, changed.join(u' ')));
        reply(200, QStringLiteral("ok ") + changed.join(u' '));
    });

    server.Post("/quit", [this](const httplib::Request&, httplib::Response& res) {
        journal_.note(QStringLiteral("control: quit"));
        res.set_content("ok\n", "text/plain");
        if (onQuit_) {
            onQuit_();
        }
    });

    // Loopback only: the channel needs no password because nothing outside can reach it.
    const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1")
                                : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0) {
        if (error) {
            *error = QStringLiteral("control channel: cannot listen on 127.0.0.1:%1").arg(port);
        }
        server_.reset();
        return false;
    }
    port_ = static_cast<std::uint16_t>(bound);
    finished_ = false;
    thread_ = std::thread([this] {
        server_->listen_after_bind();
        finished_ = true;
    });
    // A stop() before the server loop runs would be lost and leave join() waiting forever.
    while (!server_->is_running() && !finished_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void ControlChannel::stop() {
    if (server_) {
        server_->stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    server_.reset();
}

}  // namespace sim
