#pragma once

#include <QStringList>

// orb-probe login-check | set-password: one datagram account request to a recorder, as the
// wizard sends it. args starts with the command word. Returns the process's exit status.
int RunAccountCommand(const QStringList& args);
