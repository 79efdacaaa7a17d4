#pragma once

// Reply overrides: scripted answers that take the place of a device's own for a number of
// requests on one path ("first request 500, then normal").

#include <QList>

#include <functional>
#include <optional>

#include "HttpTypes.h"
#include "Scenario.h"

namespace sim {

struct TakenOverride {
    ReplyOverride entry;
    quint64 clears = 0;  // Scenario::overrideClears when it was taken
};

// Takes the first entry of queue whose path and query prefix match the request, counting it
// down and dropping it when used up. Call under SimState's lock.
std::optional<ReplyOverride> TakeOverride(QList<ReplyOverride>& queue, const HttpRequest& request);

// The same for a device's queue (null when the scenario no longer holds the device).
std::optional<TakenOverride> TakeOverride(Scenario& scenario, QList<ReplyOverride>* queue,
                                          const HttpRequest& request);

// The answer to a request given the override it took: the override's own status and body, or
// answer()'s when it has neither; in both cases with its delay or silence attached.
HttpReply Overridden(const std::optional<TakenOverride>& taken,
                     const std::function<HttpReply()>& answer);

}  // namespace sim
