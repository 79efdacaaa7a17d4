#include "ScenarioEdit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include "ScenarioJson.h"

namespace sim {

namespace {

ControlAnswer Bad(const QString& why) {
    return {400, why};
}

ControlAnswer NoDevice(const QString& device) {
    return {404, QStringLiteral("no device \"%1\"").arg(device)};
}

bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QJsonDocument> DocumentOf(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not valid JSON at offset %1: %2")
                     .arg(parseError.offset)
                     .arg(parseError.errorString());
        return std::nullopt;
    }
    return document;
}

std::optional<QJsonObject> ObjectOf(const QByteArray& json, QString* error) {
    const auto document = DocumentOf(json, error);
    if (!document) {
        return std::nullopt;
    }
    if (!document->isObject()) {
        *error = QStringLiteral("expected a JSON object");
        return std::nullopt;
    }
    return document->object();
}

// Two cameras on one address and port could not both be served, and avdev requests and
// removals find cameras of one recorder by address or MAC.
QString CameraClash(const Scenario& scenario, const Recorder& owner, const Camera& camera,
                    const QString& where) {
    const QString at = where.isEmpty() ? QString() : where + QLatin1Char('.');
    for (const Recorder& recorder : scenario.recorders) {
        for (const Camera& other : recorder.cameras) {
            if (&other == &camera) {
                continue;
            }
            if (other.ip == camera.ip && other.httpPort == camera.httpPort) {
                return QStringLiteral("%1ip: %2:%3 is already camera %4's")
                    .arg(at, camera.ip)
                    .arg(camera.httpPort)
                    .arg(other.mac);
            }
            if (&recorder == &owner && Same(other.mac, camera.mac)) {
                return QStringLiteral("%1mac: %2 is already on this recorder, at %3")
                    .arg(at, camera.mac, other.ip);
            }
        }
    }
    return {};
}

QList<ReplyOverride>* QueueOf(const DeviceRef& ref) {
    if (ref.camera != nullptr) {
        return &ref.camera->overrides;
    }
    if (ref.recorder != nullptr) {
        return &ref.recorder->overrides;
    }
    return ref.portal != nullptr ? &ref.portal->overrides : nullptr;
}

Recorder* OnlyRecorder(const DeviceRef& ref) {
    return ref.camera == nullptr ? ref.recorder : nullptr;
}

}  // namespace

DeviceRef FindDevice(Scenario& scenario, const QString& device) {
    if (device == QLatin1String("portal")) {
        return {nullptr, nullptr, &scenario.portal};
    }
    for (Recorder& recorder : scenario.recorders) {
        if (Same(recorder.mac, device) || recorder.ip == device) {
            return {&recorder, nullptr, nullptr};
        }
    }
    for (Recorder& recorder : scenario.recorders) {
        for (Camera& camera : recorder.cameras) {
            if (Same(camera.mac, device) || camera.ip == device) {
                return {&recorder, &camera, nullptr};
            }
        }
    }
    if (!device.isEmpty() && scenario.portal.ip == device) {
        return {nullptr, nullptr, &scenario.portal};
    }
    return {};
}

QJsonObject MergedJson(QJsonObject base, const QJsonObject& patch) {
    for (auto it = patch.constBegin(); it != patch.constEnd(); ++it) {
        const QJsonValue current = base.value(it.key());
        const bool map =
            it.key() == QLatin1String("timeZones") || it.key() == QLatin1String("replies");
        if (!map && current.isObject() && it->isObject()) {
            base.insert(it.key(), MergedJson(current.toObject(), it->toObject()));
        } else {
            base.insert(it.key(), *it);
        }
    }
    return base;
}

ControlAnswer SetFields(Scenario& scenario, const QString& device, const QByteArray& json) {
    QString error;
    const auto patch = ObjectOf(json, &error);
    if (!patch) {
        return Bad(error);
    }
    Scenario edited = scenario;
    const DeviceRef ref = FindDevice(edited, device);
    if (!ref) {
        return NoDevice(device);
    }
    if (ref.camera != nullptr) {
        auto camera = CameraFromJson(MergedJson(CameraToJson(*ref.camera), *patch), &error);
        if (!camera) {
            return Bad(error);
        }
        *ref.camera = std::move(*camera);
        error = CameraClash(edited, *ref.recorder, *ref.camera, QString());
    } else if (ref.recorder != nullptr) {
        auto recorder = RecorderFromJson(MergedJson(RecorderToJson(*ref.recorder), *patch), &error);
        if (!recorder) {
            return Bad(error);
        }
        if (!Same(recorder->mac, ref.recorder->mac)) {
            return Bad(QStringLiteral("mac: a running recorder keeps its MAC (%1)")
                           .arg(ref.recorder->mac));
        }
        recorder->mac = ref.recorder->mac;
        *ref.recorder = std::move(*recorder);
        for (qsizetype i = 0; i < ref.recorder->cameras.size() && error.isEmpty(); ++i) {
            error = CameraClash(edited, *ref.recorder, ref.recorder->cameras[i],
                                QStringLiteral("cameras[%1]").arg(i));
        }
    } else {
        auto portal = PortalFromJson(MergedJson(PortalToJson(*ref.portal), *patch), &error);
        if (!portal) {
            return Bad(error);
        }
        *ref.portal = std::move(*portal);
    }
    if (!error.isEmpty()) {
        return Bad(error);
    }
    scenario = std::move(edited);
    return {200, QStringLiteral("ok set ") + patch->keys().join(QLatin1Char(' '))};
}

ControlAnswer AddCamera(Scenario& scenario, const QString& recorder, const QByteArray& json) {
    QString error;
    const auto object = ObjectOf(json, &error);
    if (!object) {
        return Bad(error);
    }
    auto camera = CameraFromJson(*object, &error);
    if (!camera) {
        return Bad(error);
    }
    Scenario edited = scenario;
    Recorder* owner = OnlyRecorder(FindDevice(edited, recorder));
    if (owner == nullptr) {
        return {404, QStringLiteral("no recorder \"%1\"").arg(recorder)};
    }
    owner->cameras.append(std::move(*camera));
    const Camera& added = owner->cameras.constLast();
    error = CameraClash(edited, *owner, added, QString());
    if (!error.isEmpty()) {
        return Bad(error);
    }
    const QString text = QStringLiteral("ok added camera %1 at %2 as number %3")
                             .arg(added.mac, added.ip)
                             .arg(owner->cameras.size() - 1);
    scenario = std::move(edited);
    return {200, text};
}

ControlAnswer RemoveCamera(Scenario& scenario, const QString& recorder, const QString& camera) {
    Recorder* owner = OnlyRecorder(FindDevice(scenario, recorder));
    if (owner == nullptr) {
        return {404, QStringLiteral("no recorder \"%1\"").arg(recorder)};
    }
    for (qsizetype i = 0; i < owner->cameras.size(); ++i) {
        const Camera& c = owner->cameras[i];
        if (c.ip == camera || Same(c.mac, camera)) {
            const QString text =
                QStringLiteral("ok removed camera %1 at %2 (number %3)").arg(c.mac, c.ip).arg(i);
            owner->cameras.removeAt(i);
            return {200, text};
        }
    }
    return {404, QStringLiteral("no camera \"%1\" on recorder %2").arg(camera, owner->mac)};
}

ControlAnswer AddOverrides(Scenario& scenario, const QString& device,
                           const QList<ReplyOverride>& overrides) {
    QList<ReplyOverride>* queue = QueueOf(FindDevice(scenario, device));
    if (queue == nullptr) {
        return NoDevice(device);
    }
    queue->append(overrides);
    return {200, QStringLiteral("ok %1 overrides pending").arg(queue->size())};
}

ControlAnswer ClearOverrides(Scenario& scenario, const QString& device, const QString& path) {
    QList<ReplyOverride>* queue = QueueOf(FindDevice(scenario, device));
    if (queue == nullptr) {
        return NoDevice(device);
    }
    const qsizetype before = queue->size();
    if (path.isEmpty()) {
        queue->clear();
    } else {
        queue->removeIf([&path](const ReplyOverride& o) { return o.path == path; });
    }
    ++scenario.overrideClears;
    return {200, QStringLiteral("ok cleared %1 overrides, %2 pending")
                     .arg(before - queue->size())
                     .arg(queue->size())};
}

std::optional<ReplyOverride> OverrideFromParameters(const QList<QPair<QString, QString>>& params,
                                                    QString* error) {
    QJsonObject object;
    for (const auto& [name, value] : params) {
        if (name == QLatin1String("path") || name == QLatin1String("query") ||
            name == QLatin1String("body")) {
            object.insert(name, value);
        } else if (name == QLatin1String("status") || name == QLatin1String("delayMs") ||
                   name == QLatin1String("times")) {
            bool ok = false;
            const int number = value.toInt(&ok);
            if (!ok) {
                *error = QStringLiteral("%1: expected an integer, not \"%2\"").arg(name, value);
                return std::nullopt;
            }
            object.insert(name, number);
        } else if (name == QLatin1String("silent")) {
            const bool on = value == QLatin1String("1") || value == QLatin1String("true");
            if (!on && value != QLatin1String("0") && value != QLatin1String("false")) {
                *error =
                    QStringLiteral("silent: expected 1, 0, true or false, not \"%1\"").arg(value);
                return std::nullopt;
            }
            object.insert(name, on);
        } else {
            *error = QStringLiteral("%1: unknown field").arg(name);
            return std::nullopt;
        }
    }
    const auto overrides = OverridesFromJson(object, QString(), error);
    if (!overrides) {
        return std::nullopt;
    }
    return overrides->constFirst();
}

std::optional<QList<ReplyOverride>> OverridesFromBody(const QByteArray& json, QString* error) {
    const auto document = DocumentOf(json, error);
    if (!document) {
        return std::nullopt;
    }
    if (document->isArray()) {
        return OverridesFromJson(document->array(), QString(), error);
    }
    return OverridesFromJson(document->object(), QString(), error);
}

}  // namespace sim
