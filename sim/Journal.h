#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

#include <mutex>

namespace sim {

struct HttpRecord {
    QString device;  // "recorder 00:1c:2a:78:0e:01", "camera 10.77.0.21", "portal"
    QString peer;    // client address:port
    bool tls = false;
    QString method;
    QString target;  // path with query, as received
    QList<QPair<QString, QString>> headers;
    QByteArray body;
    int status = 0;
};

// One JSON object per line for every datagram and HTTP request that crosses the simulator, so
// tests can assert the exact bytes. Thread-safe; a journal without a file records nothing.
class Journal {
public:
    struct InMemory {};

    Journal() = default;
    explicit Journal(const QString& path);
    // Keeps the lines in memory, for tests that run the servers in their own process.
    explicit Journal(InMemory) : inMemory_(true) {}

    bool isOpen() const { return inMemory_ || file_.isOpen(); }

    // What an in-memory journal holds so far, oldest first; empty for the others.
    QList<QByteArray> lines() const;
    QList<QJsonObject> entries() const;

    // received: true for datagrams that came in, false for those sent.
    void datagram(bool received, const QString& local, const QString& peer,
                  const QByteArray& bytes);
    void http(const HttpRecord& record);
    // Free-form events (control-channel changes, state changes).
    void note(const QString& what);

private:
    void write(const QByteArray& line);

    mutable std::mutex mutex_;
    QFile file_;
    const bool inMemory_ = false;
    QList<QByteArray> lines_;
};

}  // namespace sim
