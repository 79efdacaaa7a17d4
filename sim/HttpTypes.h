#pragma once

// The simulator's view of one HTTP exchange, independent of the server library, so the device
// handlers are plain functions of (state, request) that tests can call without sockets.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace sim {

using HttpPairs = QList<QPair<QByteArray, QByteArray>>;

struct HttpRequest {
    QByteArray method = "GET";
    QByteArray target;  // path with query, exactly as received (never decoded)
    HttpPairs headers;
    QByteArray body;
    bool tls = false;

    // First header of that name, compared without regard to case.
    std::optional<QByteArray> header(const QByteArray& name) const;
    QByteArray path() const;   // target before the first "?"
    QByteArray query() const;  // target after the first "?"
};

// A body that leaves piece by piece, with a pause after every piece but the last: bytes, then
// filler over and over for as long as the client reads, when there is filler.
struct PacedBody {
    QByteArray bytes;
    QByteArray filler;
    int pieceBytes = 64;
    int pauseMs = 20;
    // Once this many bytes have gone out the connection is reset (-1: never).
    qint64 resetAt = -1;
};

// The piece that begins offset bytes into the body; empty past the end of a body without
// filler.
QByteArray PieceAt(const PacedBody& body, qint64 offset);

struct HttpReply {
    int status = 200;
    QByteArray contentType = "text/plain";
    QByteArray body;
    HttpPairs headers;
    std::optional<PacedBody> paced;  // sent instead of body
    // Set by a reply override; the transport honours them before it answers.
    bool overridden = false;
    int holdMs = 0;
    bool silent = false;
    quint64 silentUntilClears = 0;  // held while Scenario::overrideClears still has this value
};

// Query or form text cut at "&", each piece at its first "=" (a piece without one gives an
// empty value). Values stay raw: the wizard inserts Base64 and passwords unencoded, and "+" in
// Base64 is not a blank.
HttpPairs SplitQuery(const QByteArray& query);
std::optional<QByteArray> QueryValue(const HttpPairs& pairs, const QByteArray& key);

// "%XX" sequences decoded; malformed ones and "+" kept as they are.
QByteArray PercentDecoded(const QByteArray& text);

// The recorder's reply format: key=value lines, each ended by CR LF.
QByteArray KeyValueLines(const QList<QPair<QByteArray, QByteArray>>& pairs);

HttpReply TextReply(int status, const QByteArray& body);

}  // namespace sim
