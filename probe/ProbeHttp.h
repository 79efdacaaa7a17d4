#pragma once

#include <QStringList>

// orb-probe get [--user U] [--password P] [--timeout MS] URL: one GET through the wizard's
// HTTP client. The body goes to stdout as received, "status=NNN" to stderr. Exit 0 when the
// request was answered with a status other than 401 and 409, 1 otherwise, 2 for bad usage.
int RunGetCommand(const QStringList& args);

// orb-probe command CODE --host H [--port N] [--user U] [--password P]
//     [--param NAME=VALUE]... [--then CODE ...]...
// Runs the command worker's start operation for CODE and prints "status=N" and the results.
// Each "--then CODE" starts another command on the same worker (portal error count and
// cookie carry over); connection options carry over, parameters do not. Exit 0 when every
// command ended with status 2, 1 otherwise, 2 for bad usage.
int RunHttpCommand(const QStringList& args);
