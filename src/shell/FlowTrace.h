#pragma once

#include <QLoggingCategory>

// The wizard's flow, one line per page shown and per side page opened or closed. Off unless
// QT_LOGGING_RULES turns "orb.flow.debug" on; tests and tools wait on its lines instead of
// guessing how long a step takes.
Q_DECLARE_LOGGING_CATEGORY(lcFlow)
