#include "ProbeSearch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <condition_variable>
#include <mutex>

#include "discovery/DeviceSearch.h"

namespace {

QJsonObject RecordObject(int index, const DiscoveredDevice& record, const QString& localIp) {
    return QJsonObject{
        {QStringLiteral("index"), index},
        {QStringLiteral("ip"), record.IpText()},
        {QStringLiteral("mac"), record.MacText()},
        {QStringLiteral("model"), record.ModelName()},
        {QStringLiteral("deviceName"), record.DeviceName()},
        {QStringLiteral("port"), record.Port()},
        {QStringLiteral("replyType"), record.replyType()},
        {QStringLiteral("clockDelta"), static_cast<qint64>(record.clockDelta())},
        {QStringLiteral("unique"), record.unique()},
        {QStringLiteral("interfaceIndex"), record.interfaceIndex()},
        {QStringLiteral("localIp"), localIp},
    };
}

}  // namespace

int RunSearchCommand(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else {
            err << "orb-probe search: unknown argument " << arg << Qt::endl;
            return 2;
        }
    }

    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    DeviceSearch::Options options;
    options.finished = [&] {
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    };
    DeviceSearch search(std::move(options));
    if (search.Search() == DeviceSearch::Searching) {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return done; });
    }

    const auto records = search.Records();
    QJsonArray array;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto endpoint = search.EndpointAt(records[i].interfaceIndex());
        array.append(RecordObject(static_cast<int>(i), records[i],
                                  endpoint ? endpoint->localIp() : QString()));
    }
    if (json) {
        out << QJsonDocument(array).toJson(QJsonDocument::Compact) << Qt::endl;
    } else {
        for (const auto& value : array) {
            const QJsonObject object = value.toObject();
            QStringList fields;
            for (const char* key :
                 {"index", "ip", "mac", "model", "deviceName", "port", "replyType", "clockDelta",
                  "unique", "interfaceIndex", "localIp"}) {
                const QJsonValue field = object.value(QLatin1String(key));
                const QString text = field.isString() ? field.toString()
                                     : field.isBool() ? QString::number(field.toBool() ? 1 : 0)
                                                      : QString::number(field.toInteger());
                fields << QStringLiteral("%1=%2").arg(QLatin1String(key), text);
            }
            out << fields.join(QLatin1Char(' ')) << Qt::endl;
        }
        if (search.state() != DeviceSearch::Finished) {
            err << "orb-probe search: sending the search failed" << Qt::endl;
        }
    }
    return search.state() == DeviceSearch::Finished ? 0 : 1;
}
