#include "ReplyOverride.h"

namespace sim {

std::optional<ReplyOverride> TakeOverride(QList<ReplyOverride>& queue, const HttpRequest& request) {
    const QByteArray path = request.path();
    const QByteArray query = request.query();
    for (qsizetype i = 0; i < queue.size(); ++i) {
        ReplyOverride& entry = queue[i];
        if (entry.path.toUtf8() != path || !query.startsWith(entry.queryPrefix.toUtf8())) {
            continue;
        }
        const ReplyOverride taken = entry;
        if (entry.times > 0 && --entry.times == 0) {
            queue.removeAt(i);
        }
        return taken;
    }
    return std::nullopt;
}

std::optional<TakenOverride> TakeOverride(Scenario& scenario, QList<ReplyOverride>* queue,
                                          const HttpRequest& request) {
    if (queue == nullptr) {
        return std::nullopt;
    }
    auto entry = TakeOverride(*queue, request);
    if (!entry) {
        return std::nullopt;
    }
    return TakenOverride{*entry, scenario.overrideClears};
}

HttpReply Overridden(const std::optional<TakenOverride>& taken,
                     const std::function<HttpReply()>& answer) {
    if (!taken) {
        return answer();
    }
    const ReplyOverride& entry = taken->entry;
    HttpReply reply;
    if (entry.status == 0 && !entry.body) {
        reply = answer();
    } else {
        reply.status = entry.status == 0 ? 200 : entry.status;
        reply.body = entry.body ? entry.body->toUtf8() : QByteArray::number(entry.status) + "\r\n";
    }
    reply.overridden = true;
    reply.holdMs = entry.delayMs;
    reply.silent = entry.silent;
    reply.silentUntilClears = taken->clears;
    return reply;
}

}  // namespace sim
