#include "HttpTypes.h"

#include <algorithm>

namespace sim {

std::optional<QByteArray> HttpRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

QByteArray HttpRequest::path() const {
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? target : target.left(mark);
}

QByteArray HttpRequest::query() const {
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? QByteArray() : target.mid(mark + 1);
}

HttpPairs SplitQuery(const QByteArray& query) {
    HttpPairs pairs;
    for (const QByteArray& piece : query.split('&')) {
        if (piece.isEmpty()) {
            continue;
        }
        const qsizetype equals = piece.indexOf('=');
        if (equals < 0) {
            pairs.append({piece, QByteArray()});
        } else {
            pairs.append({piece.left(equals), piece.mid(equals + 1)});
        }
    }
    return pairs;
}

std::optional<QByteArray> QueryValue(const HttpPairs& pairs, const QByteArray& key) {
    for (const auto& [name, value] : pairs) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

QByteArray PercentDecoded(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out.append(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

QByteArray KeyValueLines(const QList<QPair<QByteArray, QByteArray>>& pairs) {
    QByteArray text;
    for (const auto& [key, value] : pairs) {
        text += key + '=' + value + "\r\n";
    }
    return text;
}

HttpReply TextReply(int status, const QByteArray& body) {
    HttpReply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

QByteArray PieceAt(const PacedBody& body, qint64 offset) {
    const qint64 piece = std::max(1, body.pieceBytes);
    const qint64 head = body.bytes.size();
    if (offset < 0) {
        return {};
    }
    if (offset < head) {
        return body.bytes.mid(offset, std::min(piece, head - offset));
    }
    if (body.filler.isEmpty()) {
        return {};
    }
    QByteArray out;
    out.reserve(piece);
    qint64 at = (offset - head) % body.filler.size();
    while (out.size() < piece) {
        const qint64 take = std::min(piece - out.size(), body.filler.size() - at);
        out.append(body.filler.constData() + at, take);
        at = 0;
    }
    return out;
}

}  // namespace sim
