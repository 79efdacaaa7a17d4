#include "Journal.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace sim {

namespace {

QJsonObject Entry(const char* type) {
    QJsonObject entry;
    entry.insert(QStringLiteral("type"), QLatin1String(type));
    entry.insert(QStringLiteral("time"), QDateTime::currentMSecsSinceEpoch());
    return entry;
}

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex());
}

}  // namespace

Journal::Journal(const QString& path) : file_(path) {
    // Append, so a restarted simulator keeps what the previous run recorded.
    file_.open(QIODevice::WriteOnly | QIODevice::Append);
}

void Journal::datagram(bool received, const QString& local, const QString& peer,
                       const QByteArray& bytes) {
    if (!isOpen()) {
        return;
    }
    QJsonObject entry = Entry("datagram");
    entry.insert(QStringLiteral("direction"),
                 received ? QStringLiteral("in") : QStringLiteral("out"));
    entry.insert(QStringLiteral("local"), local);
    entry.insert(QStringLiteral("peer"), peer);
    entry.insert(QStringLiteral("length"), static_cast<int>(bytes.size()));
    entry.insert(QStringLiteral("bytes"), Hex(bytes));
    write(QJsonDocument(entry).toJson(QJsonDocument::Compact));
}

void Journal::http(const HttpRecord& record) {
    if (!isOpen()) {
        return;
    }
    QJsonObject entry = Entry("http");
    entry.insert(QStringLiteral("device"), record.device);
    entry.insert(QStringLiteral("peer"), record.peer);
    entry.insert(QStringLiteral("tls"), record.tls);
    entry.insert(QStringLiteral("method"), record.method);
    entry.insert(QStringLiteral("target"), record.target);
    // Pairs in arrival order: a header may repeat, and the order is part of what was sent.
    QJsonArray headers;
    for (const auto& [name, value] : record.headers) {
        headers.append(QJsonArray{name, value});
    }
    entry.insert(QStringLiteral("headers"), headers);
    entry.insert(QStringLiteral("body"), Hex(record.body));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(record.body);
    if (!decoder.hasError()) {
        entry.insert(QStringLiteral("bodyText"), text);
    }
    entry.insert(QStringLiteral("status"), record.status);
    write(QJsonDocument(entry).toJson(QJsonDocument::Compact));
}

void Journal::note(const QString& what) {
    if (!isOpen()) {
        return;
    }
    QJsonObject entry = Entry("note");
    entry.insert(QStringLiteral("text"), what);
    write(QJsonDocument(entry).toJson(QJsonDocument::Compact));
}

QList<QByteArray> Journal::lines() const {
    std::lock_guard lock(mutex_);
    // A list of its own: a shared copy would be detached outside the lock while writers add
    // lines to the original.
    QList<QByteArray> copy;
    copy.reserve(lines_.size());
    for (const QByteArray& line : lines_) {
        copy.append(line);
    }
    return copy;
}

QList<QJsonObject> Journal::entries() const {
    QList<QJsonObject> entries;
    for (const QByteArray& line : lines()) {
        entries.append(QJsonDocument::fromJson(line).object());
    }
    return entries;
}

void Journal::write(const QByteArray& line) {
    std::lock_guard lock(mutex_);
    if (inMemory_) {
        lines_.append(line);
        return;
    }
    file_.write(line);
    file_.write("\n", 1);
    // Tests read the journal while the simulator runs.
    file_.flush();
}

}  // namespace sim
