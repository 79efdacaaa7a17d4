#include "ProbeAccount.h"

#include <QHash>
#include <QTextStream>
#include <QThread>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "device/DeviceCommandWorker.h"
#include "discovery/AddressText.h"
#include "discovery/DeviceSearch.h"
#include "platform/LocalAddresses.h"

namespace {

constexpr int kPollMs = 50;

struct AccountOptions {
    bool setPassword = false;
    std::array<std::uint8_t, 4> ip{};
    std::array<std::uint8_t, 6> mac{};
    QString ipText;
    QString macText;  // lower case, as the search's records spell it
    QString user;
    QString password;
    QString newPassword;
    std::optional<int> replyType;
    std::optional<std::int32_t> clockDelta;
};

// Fills options from the arguments; on failure returns the one-line reason.
QString Parse(const QStringList& args, AccountOptions& options) {
    if (args.isEmpty()) {
        return QStringLiteral("missing command");
    }
    options.setPassword = args.first() == QLatin1String("set-password");
    QHash<QString, QString> values;
    for (int i = 1; i < args.size(); i += 2) {
        const QString& name = args[i];
        static const QStringList kKnown = {"--ip",         "--mac",          "--user",
                                           "--password",   "--new-password", "--reply-type",
                                           "--clock-delta"};
        if (!kKnown.contains(name) || (name == "--new-password" && !options.setPassword)) {
            return QStringLiteral("unknown argument %1").arg(name);
        }
        if (i + 1 >= args.size()) {
            return QStringLiteral("%1 needs a value").arg(name);
        }
        values.insert(name, args[i + 1]);
    }
    QStringList required = {"--ip", "--mac", "--user", "--password"};
    if (options.setPassword) {
        required << "--new-password";
    }
    for (const QString& name : required) {
        if (!values.contains(name)) {
            return QStringLiteral("missing %1").arg(name);
        }
    }
    const auto ip = ParseIpv4Text(values.value("--ip"));
    if (!ip) {
        return QStringLiteral("bad IPv4 address: %1").arg(values.value("--ip"));
    }
    const auto mac = ParseMacText(values.value("--mac"));
    if (!mac) {
        return QStringLiteral("bad MAC address (want xx:xx:xx:xx:xx:xx): %1")
            .arg(values.value("--mac"));
    }
    options.ip = *ip;
    options.mac = *mac;
    options.ipText =
        QStringLiteral("%1.%2.%3.%4").arg((*ip)[0]).arg((*ip)[1]).arg((*ip)[2]).arg((*ip)[3]);
    options.macText = values.value("--mac").toLower();
    options.user = values.value("--user");
    options.password = values.value("--password");
    options.newPassword = values.value("--new-password");
    bool ok = true;
    if (values.contains("--reply-type")) {
        options.replyType = values.value("--reply-type").toInt(&ok);
        if (!ok) {
            return QStringLiteral("bad --reply-type: %1").arg(values.value("--reply-type"));
        }
    }
    if (values.contains("--clock-delta")) {
        options.clockDelta = values.value("--clock-delta").toInt(&ok);
        if (!ok) {
            return QStringLiteral("bad --clock-delta: %1").arg(values.value("--clock-delta"));
        }
    }
    return {};
}

// Learns layout, clock and interface from one search, as the wizard does before its probe.
// Returns the local address to bind to, or nothing when the recorder did not answer.
std::optional<QString> LearnRecord(AccountOptions& options, QTextStream& err) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    DeviceSearch::Options searchOptions;
    searchOptions.finished = [&] {
        std::lock_guard lock(mutex);
        done = true;
        ended.notify_all();
    };
    DeviceSearch search(std::move(searchOptions));
    if (search.Search() != DeviceSearch::Searching) {
        err << "orb-probe: the search could not be sent" << Qt::endl;
        return std::nullopt;
    }
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return done; });
    }
    const auto endpoint = search.EndpointAt(search.FindInterfaceByIp(options.ipText));
    if (!endpoint || search.FindByMac(options.macText) < 0) {
        err << "orb-probe: no search record for " << options.ipText << " / " << options.macText
            << Qt::endl;
        return std::nullopt;
    }
    options.replyType = search.ReplyTypeOf(options.macText);
    if (!options.clockDelta) {
        options.clockDelta = search.ClockDeltaOf(options.macText);
    }
    return endpoint->localIp();
}

}  // namespace

int RunAccountCommand(const QStringList& args) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    AccountOptions options;
    const QString error = Parse(args, options);
    if (!error.isEmpty()) {
        err << "orb-probe " << (args.isEmpty() ? QString() : args.first()) << ": " << error
            << Qt::endl;
        return 2;
    }

    // A limited broadcast leaves through the interface of the bound address; with the layout
    // given, the first local address stands in for the one a search would have found.
    const QStringList addresses = platform::LocalIpv4Addresses();
    QString localIp = addresses.isEmpty() ? QString() : addresses.first();
    if (!options.replyType) {
        const auto learnt = LearnRecord(options, err);
        if (!learnt) {
            out << "status=0" << (options.setPassword ? "" : " loginAccepted=0") << Qt::endl;
            return 1;
        }
        localIp = *learnt;
    }

    DeviceCommandWorker worker;
    bool sent = false;
    if (worker.OpenUdpChannel(localIp)) {
        sent =
            options.setPassword
                ? worker.SendPasswordChange(options.user, options.password, options.newPassword,
                                            options.ip, DeviceCommandWorker::kUdpPort, options.mac,
                                            *options.replyType, options.clockDelta.value_or(0))
                : worker.SendLoginCheck(options.user, options.password, options.ip,
                                        DeviceCommandWorker::kUdpPort, options.mac,
                                        *options.replyType, options.clockDelta.value_or(0));
    }
    if (!sent) {
        err << "orb-probe: the request could not be sent" << Qt::endl;
    }
    // The reply timer bounds this loop.
    while (sent && worker.status() == kCommandRunning) {
        QThread::msleep(kPollMs);
    }
    const std::int32_t status = sent ? worker.status() : kCommandIdle;
    if (options.setPassword) {
        out << "status=" << status << Qt::endl;
        return status == kCommandDone ? 0 : 1;
    }
    out << "status=" << status << " loginAccepted=" << worker.loginAccepted() << Qt::endl;
    return status == kCommandDone && worker.loginAccepted() == 1 ? 0 : 1;
}
