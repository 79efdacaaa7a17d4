#pragma once

#include <QStringList>

// `orb-probe search [--json]`: one broadcast search, every record printed. Exit 0 when the
// search finished, 1 when it failed, 2 for bad arguments.
int RunSearchCommand(const QStringList& args);
