#pragma once

// Reading scenario JSON field by field, so that every error names the field at fault and a
// misspelt field is an error instead of a silent fallback to its default.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>

#include <optional>

namespace sim {

struct JsonError {
    QString message;  // "recorders[0].drive.plug: expected a string"
};

// One JSON object being read. Every reader throws JsonError; the entry points of ScenarioJson
// catch it, so nothing outside reading code sees the exception.
class ObjectReader {
public:
    ObjectReader(const QJsonValue& value, QString path);

    const QString& path() const { return path_; }
    QString at(const QString& key) const;

    [[noreturn]] static void fail(const QString& where, const QString& what);

    // The field's value, or nothing when absent (the default stays).
    std::optional<QJsonValue> take(const char* key);

    bool text(const char* key, QString& out);
    void integer(const char* key, int& out, int min, int max);
    void integer64(const char* key, qint64& out);
    void boolean(const char* key, bool& out);
    void mac(const char* key, QString& out);
    void ipv4(const char* key, QString& out);
    // 0 stands for "not served" or "a free port", as the device's own reader says.
    void port(const char* key, int& out) { integer(key, out, 0, 65535); }

    // Fails on the first field no reader asked for.
    void finish() const;

    static int ToInt(const QJsonValue& v, const QString& where, int min, int max);
    static QJsonArray Array(const QJsonValue& v, const QString& where);

private:
    QString path_;
    QJsonObject object_;
    QSet<QString> seen_;
};

QString Indexed(const QString& path, qsizetype i);

}  // namespace sim
