#pragma once

#include <QStringList>

#include "Scenario.h"

namespace sim {

// The 154 zone names a recorder answers when its scenario gives no list for a language.
const QStringList& BuiltInTimeZones();

// The list a recorder answers for one language number.
QStringList TimeZonesFor(const Recorder& recorder, int language);

}  // namespace sim
