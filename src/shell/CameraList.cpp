#include "shell/CameraList.h"

#include <QStringList>

#include "device/ReplyParser.h"

namespace cameras {

std::optional<CameraEntry> EntryFromLine(const QString& line) {
    const QStringList fields = line.split(u';', Qt::KeepEmptyParts);
    const auto field = [&fields](qsizetype index) {
        return index < fields.size() ? fields[index] : QString();
    };
    CameraEntry entry;
    entry.addedFlag = field(0);
    entry.cameraIp = field(1);
    entry.cameraMac = field(2);
    entry.brand = field(3);
    entry.model = field(4);
    entry.account = field(5);
    entry.password = field(6);
    entry.protocol = field(7);
    entry.protocolType = field(8);
    if (entry.cameraIp.isEmpty()) {
        return std::nullopt;
    }
    return entry;
}

bool IsLegacy(const CameraEntry& entry) {
    return ReadLeadingNumber(entry.protocolType) == 0;
}

bool PasswordKnownWhenListed(const CameraEntry& entry) {
    return entry.verified != 0 || entry.account == QLatin1String("admin");
}

NewPassword CheckNewPassword(const QString& first, const QString& second) {
    if (first != second) {
        return NewPassword::Mismatch;
    }
    if (first.size() < 6 || first.size() > 30) {
        return NewPassword::BreaksRule;
    }
    for (const QChar c : first) {
        if (c == u'/' || c == u':' || c == u'&' || c == u' ') {
            return NewPassword::BreaksRule;
        }
    }
    return NewPassword::Ok;
}

PortalReading ReadPortalInfo(const QString& text) {
    PortalReading reading;
    if (text.isEmpty()) {
        return reading;
    }
    if (text == QLatin1String("-1")) {
        reading.state = PortalReading::State::Refused;
        return reading;
    }
    reading.state = PortalReading::State::Read;
    const QStringList pieces = text.split(u'&', Qt::KeepEmptyParts);
    QString* const fields[] = {&reading.values.status,    &reading.values.access,
                               &reading.values.portalUrl, &reading.values.portalNumber,
                               &reading.values.portalDfp, &reading.values.model};
    const qsizetype leading = std::min<qsizetype>(std::size(fields), pieces.size() - 1);
    for (qsizetype i = 0; i < leading; ++i) {
        *fields[i] = pieces[i];
    }
    reading.values.localHyperlink = pieces.size() > 1 ? pieces.back() : QString();
    if (pieces.size() == 1) {
        reading.values.status = pieces[0];
    }
    return reading;
}

}  // namespace cameras
