// orb-sim: plays the recorders, cameras and cloud portal of a scenario on the addresses it
// names. Run it only inside a private network namespace: it answers broadcasts.

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "ControlChannel.h"
#include "HttpServers.h"
#include "Journal.h"
#include "ScenarioJson.h"
#include "SimState.h"
#include "UdpServer.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

int Fail(const QString& message) {
    std::fprintf(stderr, "orb-sim: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Recorder, camera and portal simulator"));
    const QCommandLineOption scenarioOption(
        QStringLiteral("scenario"), QStringLiteral("Scenario JSON file."), QStringLiteral("FILE"));
    const QCommandLineOption journalOption(QStringLiteral("journal"),
                                           QStringLiteral("Journal file (JSON lines)."),
                                           QStringLiteral("FILE"));
    const QCommandLineOption controlOption(
        QStringLiteral("control-port"), QStringLiteral("Control channel port on 127.0.0.1."),
        QStringLiteral("N"), QString::number(sim::kDefaultControlPort));
    const QCommandLineOption caOption(QStringLiteral("ca-file"),
                                      QStringLiteral("Where to write the CA certificate."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption printOption(QStringLiteral("print-default-scenario"),
                                         QStringLiteral("Print the built-in scenario and exit."));
    parser.addOptions({scenarioOption, journalOption, controlOption, caOption, printOption});
    parser.addHelpOption();
    if (!parser.parse(arguments)) {
        return Fail(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText().replace(QLatin1String("<executable_name>"),
                                                        QLatin1String("orb-sim"))),
                   stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Fail(QStringLiteral("unexpected argument \"%1\"")
                        .arg(parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(printOption)) {
        const QByteArray json = sim::ScenarioToJson(sim::DefaultScenario());
        std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
        return 0;
    }

    sim::Scenario scenario = sim::DefaultScenario();
    if (parser.isSet(scenarioOption)) {
        const QString path = parser.value(scenarioOption);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return Fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
        }
        QString error;
        auto parsed = sim::ParseScenario(file.readAll(), &error);
        if (!parsed) {
            return Fail(QStringLiteral("%1: %2").arg(path, error));
        }
        scenario = std::move(*parsed);
    }
    bool portOk = false;
    const uint controlPort = parser.value(controlOption).toUInt(&portOk);
    if (!portOk || controlPort > 65535) {
        return Fail(
            QStringLiteral("--control-port: not a port: %1").arg(parser.value(controlOption)));
    }
    const QString journalPath = parser.value(journalOption);
    QString caFile = parser.value(caOption);
    if (caFile.isEmpty()) {
        caFile =
            journalPath.isEmpty()
                ? QStringLiteral("/tmp/orb-sim-ca.pem")
                : QFileInfo(journalPath).absoluteDir().filePath(QStringLiteral("orb-sim-ca.pem"));
    }

    // Camera frames are painted with QtGui; no display is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const auto journalOwner = journalPath.isEmpty() ? std::make_unique<sim::Journal>()
                                                    : std::make_unique<sim::Journal>(journalPath);
    sim::Journal& journal = *journalOwner;
    if (!journalPath.isEmpty() && !journal.isOpen()) {
        return Fail(QStringLiteral("%1: cannot write the journal").arg(journalPath));
    }
    sim::SimState state(std::move(scenario));

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return Fail(QStringLiteral("socketpair failed"));
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    QString error;
    sim::UdpServer udp(state, journal);
    if (!udp.start(&error)) {
        return Fail(error);
    }
    sim::HttpServers http(state, journal, caFile);
    sim::ControlChannel control(
        state, journal,
        [&app] { QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection); },
        [&http] { return http.serveNewCameras(); });
    if (!control.start(static_cast<std::uint16_t>(controlPort), &error)) {
        return Fail(error);
    }
    if (!http.start(&error)) {
        return Fail(error);
    }

    journal.note(QStringLiteral("orb-sim ready; control channel 127.0.0.1:%1; CA %2")
                     .arg(control.port())
                     .arg(caFile));
    std::fputs("orb-sim: ready\n", stdout);
    std::fflush(stdout);

    const int code = app.exec();

    http.stop();
    control.stop();
    udp.stop();
    journal.note(QStringLiteral("orb-sim stopped"));
    return code;
}
