#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include "ProbeHttp.h"
#include "ProbeSearch.h"

#if __has_include("ProbeAccount.h")
#include "ProbeAccount.h"
#define ORB_PROBE_ACCOUNT 1
#endif

namespace {

int Usage(QTextStream& err) {
    err << "orb-probe: usage: orb-probe search [--json] | get [--user U] [--password P] "
           "[--timeout MS] URL | command CODE --host H [--port N] [--user U] [--password P] "
           "[--param NAME=VALUE]... [--then CODE ...]...";
#ifdef ORB_PROBE_ACCOUNT
    err << " | login-check ... | set-password ...";
#endif
    err << Qt::endl;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        return Usage(err);
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("search")) {
        return RunSearchCommand(args);
    }
    if (command == QLatin1String("get")) {
        return RunGetCommand(args);
    }
    if (command == QLatin1String("command")) {
        return RunHttpCommand(args);
    }
#ifdef ORB_PROBE_ACCOUNT
    if (command == QLatin1String("login-check") || command == QLatin1String("set-password")) {
        // The account commands read the command word themselves.
        return RunAccountCommand(QStringList{command} + args);
    }
#endif
    err << "orb-probe: unknown command " << command << Qt::endl;
    return Usage(err);
}
