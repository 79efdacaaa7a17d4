#pragma once

#include <QByteArray>
#include <QFile>
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
    Journal() = default;
    explicit Journal(const QString& path);

    bool isOpen() const { return file_.isOpen(); }

    // received: true for datagrams that came in, false for those sent.
    void datagram(bool received, const QString& local, const QString& peer,
                  const QByteArray& bytes);
    void http(const HttpRecord& record);
    // Free-form events (control-channel changes, state changes).
    void note(const QString& what);

private:
    void write(const QByteArray& line);

    std::mutex mutex_;
    QFile file_;
};

}  // namespace sim
