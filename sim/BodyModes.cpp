#include "BodyModes.h"

namespace sim {

namespace {

// No 0xFF, so it never forms a JPEG marker; no "=", so it adds no key to a key=value reply.
const QByteArray kFillerLine("orb-sim filler: the body goes on past its answer ..............\r\n");

QByteArray FilledTo(QByteArray body, qsizetype size) {
    body.reserve(size);
    while (body.size() < size) {
        body += kFillerLine.left(size - body.size());
    }
    return body;
}

}  // namespace

const QStringList& BodyModeNames() {
    static const QStringList names = {
        QStringLiteral("huge"),
        QStringLiteral("endless"),
        QStringLiteral("trickle"),
        QStringLiteral("reset"),
    };
    return names;
}

HttpReply WithBodyMode(HttpReply reply, const QString& mode) {
    if (!BodyModeNames().contains(mode)) {
        return reply;
    }
    QByteArray body = reply.paced ? reply.paced->bytes : reply.body;
    if (body.isEmpty()) {
        body = kFillerLine;
    }
    reply.paced.reset();
    reply.body.clear();
    if (mode == QLatin1String("huge")) {
        reply.body = FilledTo(body, kHugeBodyBytes);
    } else if (mode == QLatin1String("endless")) {
        reply.paced = PacedBody{body, kFillerLine, kEndlessPieceBytes, kEndlessPauseMs};
    } else if (mode == QLatin1String("trickle")) {
        reply.paced = PacedBody{body, {}, 1, kTricklePauseMs};
    } else {
        const QByteArray whole = FilledTo(body, kResetBodyBytes);
        reply.paced = PacedBody{whole, {}, kEndlessPieceBytes, 0};
        reply.paced->resetAt = whole.size() / 2;
    }
    return reply;
}

}  // namespace sim
