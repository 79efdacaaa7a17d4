#include "JsonReader.h"

#include <cmath>

#include "ScenarioJson.h"

namespace sim {

ObjectReader::ObjectReader(const QJsonValue& value, QString path) : path_(std::move(path)) {
    if (!value.isObject()) {
        fail(path_, QStringLiteral("expected an object"));
    }
    object_ = value.toObject();
}

QString ObjectReader::at(const QString& key) const {
    return path_.isEmpty() ? key : path_ + QLatin1Char('.') + key;
}

void ObjectReader::fail(const QString& where, const QString& what) {
    throw JsonError{where.isEmpty() ? what : where + QStringLiteral(": ") + what};
}

std::optional<QJsonValue> ObjectReader::take(const char* key) {
    const QString name = QLatin1String(key);
    seen_.insert(name);
    const auto it = object_.constFind(name);
    if (it == object_.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

bool ObjectReader::text(const char* key, QString& out) {
    const auto v = take(key);
    if (!v) {
        return false;
    }
    if (!v->isString()) {
        fail(at(QLatin1String(key)), QStringLiteral("expected a string"));
    }
    out = v->toString();
    return true;
}

void ObjectReader::integer(const char* key, int& out, int min, int max) {
    if (const auto v = take(key)) {
        out = ToInt(*v, at(QLatin1String(key)), min, max);
    }
}

void ObjectReader::integer64(const char* key, qint64& out) {
    if (const auto v = take(key)) {
        const double d = v->toDouble();
        if (!v->isDouble() || std::floor(d) != d || std::abs(d) > 9.0e15) {
            fail(at(QLatin1String(key)), QStringLiteral("expected an integer"));
        }
        out = static_cast<qint64>(d);
    }
}

void ObjectReader::boolean(const char* key, bool& out) {
    if (const auto v = take(key)) {
        if (!v->isBool()) {
            fail(at(QLatin1String(key)), QStringLiteral("expected true or false"));
        }
        out = v->toBool();
    }
}

void ObjectReader::mac(const char* key, QString& out) {
    if (!text(key, out) && out.isEmpty()) {
        fail(at(QLatin1String(key)), QStringLiteral("missing"));
    }
    if (!IsMacText(out)) {
        fail(at(QLatin1String(key)),
             QStringLiteral("not a MAC address (xx:xx:xx:xx:xx:xx): \"%1\"").arg(out));
    }
    out = out.toLower();
}

void ObjectReader::ipv4(const char* key, QString& out) {
    if (!text(key, out) && out.isEmpty()) {
        fail(at(QLatin1String(key)), QStringLiteral("missing"));
    }
    if (!IsIpv4Text(out)) {
        fail(at(QLatin1String(key)), QStringLiteral("not an IPv4 address: \"%1\"").arg(out));
    }
}

void ObjectReader::finish() const {
    for (auto it = object_.constBegin(); it != object_.constEnd(); ++it) {
        if (!seen_.contains(it.key())) {
            fail(at(it.key()), QStringLiteral("unknown field"));
        }
    }
}

int ObjectReader::ToInt(const QJsonValue& v, const QString& where, int min, int max) {
    const double d = v.toDouble();
    if (!v.isDouble() || std::floor(d) != d) {
        fail(where, QStringLiteral("expected an integer"));
    }
    if (d < min || d > max) {
        fail(where, QStringLiteral("%1 is out of range %2..%3")
                        .arg(QString::number(d, 'g', 17))
                        .arg(min)
                        .arg(max));
    }
    return static_cast<int>(d);
}

QJsonArray ObjectReader::Array(const QJsonValue& v, const QString& where) {
    if (!v.isArray()) {
        fail(where, QStringLiteral("expected an array"));
    }
    return v.toArray();
}

QString Indexed(const QString& path, qsizetype i) {
    return QStringLiteral("%1[%2]").arg(path).arg(i);
}

}  // namespace sim
