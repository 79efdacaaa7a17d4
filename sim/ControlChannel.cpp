#include "ControlChannel.h"

#include <httplib.h>

#include <chrono>

#include "ScenarioEdit.h"
#include "ScenarioJson.h"

namespace sim {

namespace {

void Reply(httplib::Response& res, int status, const QString& text) {
    res.status = status;
    res.set_content(text.toStdString() + "\n", "text/plain; charset=utf-8");
}

QString Param(const httplib::Request& req, const char* name) {
    return QString::fromStdString(req.get_param_value(name));
}

// Every request but /state and /quit names its device.
bool TakeDevice(const httplib::Request& req, httplib::Response& res, QString* device) {
    if (!req.has_param("device")) {
        Reply(res, 400, QStringLiteral("missing device=<mac|ip|portal>"));
        return false;
    }
    *device = Param(req, "device");
    return true;
}

}  // namespace

Faults* FindFaults(Scenario& scenario, const QString& device) {
    const DeviceRef ref = FindDevice(scenario, device);
    if (ref.camera != nullptr) {
        return &ref.camera->faults;
    }
    if (ref.recorder != nullptr) {
        return &ref.recorder->faults;
    }
    return ref.portal != nullptr ? &ref.portal->faults : nullptr;
}

ControlChannel::ControlChannel(SimState& state, Journal& journal, std::function<void()> onQuit,
                               std::function<QStringList()> afterChange)
    : state_(state),
      journal_(journal),
      onQuit_(std::move(onQuit)),
      afterChange_(std::move(afterChange)) {}

ControlChannel::~ControlChannel() {
    stop();
}

void ControlChannel::changed(httplib::Response& res, const QString& device, const QString& text,
                             bool devicesChanged) {
    journal_.note(QStringLiteral("control: %1 %2").arg(device, text));
    QString answer = text;
    if (devicesChanged && afterChange_) {
        for (const QString& problem : afterChange_()) {
            answer += QStringLiteral("; ") + problem;
        }
    }
    Reply(res, 200, answer);
}

void ControlChannel::faults(const httplib::Request& req, httplib::Response& res) {
    QString device;
    if (!TakeDevice(req, res, &device)) {
        return;
    }
    ControlAnswer answer;
    state_.with([&](Scenario& s) {
        Faults* faults = FindFaults(s, device);
        if (!faults) {
            answer = {404, QStringLiteral("no device \"%1\"").arg(device)};
            return;
        }
        // All or nothing: a request with one bad knob changes none.
        Faults updated = *faults;
        QStringList done;
        for (const auto& [name, value] : req.params) {
            if (name == "device") {
                continue;
            }
            const QString knob = QString::fromStdString(name);
            const QString text = QString::fromStdString(value);
            if (!SetFault(updated, knob, text, &answer.text)) {
                answer.status = 400;
                return;
            }
            done.append(knob + QLatin1Char('=') + text);
        }
        *faults = updated;
        answer.text = QStringLiteral("ok ") + done.join(u' ');
    });
    if (answer.status != 200) {
        return Reply(res, answer.status, answer.text);
    }
    journal_.note(QStringLiteral("control: %1 faults %2").arg(device, answer.text.mid(3)));
    Reply(res, 200, answer.text);
}

void ControlChannel::set(const httplib::Request& req, httplib::Response& res) {
    QString device;
    if (!TakeDevice(req, res, &device)) {
        return;
    }
    const QByteArray body = QByteArray::fromStdString(req.body);
    const ControlAnswer answer =
        state_.with([&](Scenario& s) { return SetFields(s, device, body); });
    if (answer.status != 200) {
        return Reply(res, answer.status, answer.text);
    }
    changed(res, device, answer.text, true);
}

void ControlChannel::cameras(const httplib::Request& req, httplib::Response& res) {
    QString device;
    if (!TakeDevice(req, res, &device)) {
        return;
    }
    const bool add = req.has_param("add");
    const bool remove = req.has_param("remove");
    if (add == remove) {
        return Reply(res, 400,
                     QStringLiteral("expected add (with a camera as JSON body) or "
                                    "remove=<ip|mac>"));
    }
    const QByteArray body = QByteArray::fromStdString(req.body);
    const QString camera = Param(req, "remove");
    const ControlAnswer answer = state_.with([&](Scenario& s) {
        return add ? AddCamera(s, device, body) : RemoveCamera(s, device, camera);
    });
    if (answer.status != 200) {
        return Reply(res, answer.status, answer.text);
    }
    changed(res, device, answer.text, true);
}

void ControlChannel::overrides(const httplib::Request& req, httplib::Response& res) {
    QString device;
    if (!TakeDevice(req, res, &device)) {
        return;
    }
    ControlAnswer answer;
    if (req.has_param("clear")) {
        const QString clear = Param(req, "clear");
        if (clear != QLatin1String("1") && clear != QLatin1String("true")) {
            return Reply(res, 400, QStringLiteral("clear: expected 1 or true"));
        }
        const QString path = Param(req, "path");
        answer = state_.with([&](Scenario& s) { return ClearOverrides(s, device, path); });
    } else {
        QString error;
        std::optional<QList<ReplyOverride>> entries;
        if (!req.body.empty()) {
            // A form-encoded JSON body also lands among the parameters; only the body counts.
            entries = OverridesFromBody(QByteArray::fromStdString(req.body), &error);
        } else {
            QList<QPair<QString, QString>> params;
            for (const auto& [name, value] : req.params) {
                if (name != "device") {
                    params.append({QString::fromStdString(name), QString::fromStdString(value)});
                }
            }
            if (const auto entry = OverrideFromParameters(params, &error)) {
                entries = QList<ReplyOverride>{*entry};
            }
        }
        if (!entries) {
            return Reply(res, 400, error);
        }
        answer = state_.with([&](Scenario& s) { return AddOverrides(s, device, *entries); });
    }
    if (answer.status != 200) {
        return Reply(res, answer.status, answer.text);
    }
    changed(res, device, answer.text, false);
}

bool ControlChannel::start(std::uint16_t port, QString* error) {
    server_ = std::make_unique<httplib::Server>();
    auto& server = *server_;

    server.Get("/state", [this](const httplib::Request&, httplib::Response& res) {
        const QByteArray json = state_.with([](Scenario& s) { return ScenarioToJson(s); });
        res.set_content(json.toStdString(), "application/json");
    });
    const auto route =
        [this](void (ControlChannel::*handler)(const httplib::Request&, httplib::Response&)) {
            return [this, handler](const httplib::Request& req, httplib::Response& res) {
                (this->*handler)(req, res);
            };
        };
    server.Post("/faults", route(&ControlChannel::faults));
    server.Post("/set", route(&ControlChannel::set));
    server.Post("/cameras", route(&ControlChannel::cameras));
    server.Post("/override", route(&ControlChannel::overrides));
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
