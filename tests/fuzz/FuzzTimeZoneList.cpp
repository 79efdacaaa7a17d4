// Arbitrary replies to the time-zone list and date-time requests: entity decoding, the split
// into slots, names written back as a list, and the current zone against the slots.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "device/ReplyParser.h"
#include "device/TimeZoneList.h"

namespace {

void CheckNames(const QStringList& names) {
    FuzzCheck(names.size() <= zones::kMaxZones);
    for (const QString& name : names) {
        FuzzCheck(!name.isEmpty() && !name.contains(u';'));
    }
}

void CheckList(const QByteArray& body) {
    const QStringList names = zones::ParseList(body);
    CheckNames(names);
    const QString text = QString::fromUtf8(body);
    if (text.contains(QLatin1String("Access Error"))) {
        FuzzCheck(names.size() == 154);
        FuzzCheck(names == zones::ParseList(zones::BuiltInListText().toUtf8()));
        return;
    }
    // Every name comes from the decoded text after the prefix.
    const QString decoded = zones::DecodeEntities(text).mid(zones::kPrefixLength);
    for (const QString& name : names) {
        FuzzCheck(decoded.contains(name));
    }
    // Decoding never lengthens a text.
    FuzzCheck(zones::DecodeEntities(text).size() <= text.size());

    // Names without "&" survive being written out as a list and read again, up to the slots.
    QStringList plain;
    for (const QString& name : names) {
        if (!name.contains(u'&') && !name.contains(QLatin1String("Access Error"))) {
            plain.append(name);
        }
    }
    const QByteArray written = "timezonelist=" + plain.join(u';').toUtf8() + ";;";
    FuzzCheck(zones::ParseList(written) == plain);
}

void CheckCurrentZone(const QByteArray& body, int zoneCount) {
    const int zone = zones::ReadCurrentZone(body, zoneCount);
    FuzzCheck(zone == -1 || (zone >= 1 && zone <= zoneCount));
    // When it names a slot, it is the number of the first "timezone" pair.
    if (zone != -1) {
        ReplyParser reply(body);
        reply.SplitPairs(QStringLiteral("\r\n"));
        FuzzCheck(ReadLeadingNumber(reply.GetValue(QStringLiteral("timezone"))) == zone);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckList(bytes);
    CheckList("timezonelist=" + bytes);

    FuzzInput in(data, size);
    const int zoneCount = in.Byte();
    const QByteArray rest = in.Rest();
    CheckCurrentZone(rest, zoneCount);
    CheckCurrentZone("timezone=" + rest + "\r\n", zoneCount);
    CheckCurrentZone(bytes, static_cast<int>(zones::ParseList(bytes).size()));
    return 0;
}
