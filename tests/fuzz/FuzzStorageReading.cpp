// Arbitrary storage-info and datamatch replies through the hard-drive step's readings: ready
// only for "1", the file-system code only from a sixth field of one digit 0..5.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "device/ReplyParser.h"
#include "shell/StorageReading.h"

namespace {

void CheckCode(const QString& info) {
    const auto code = FileSystemCodeOf(info);
    const QStringList fields = info.split(u',');
    const bool digit =
        fields.size() > 5 && fields[5].size() == 1 && fields[5][0] >= u'0' && fields[5][0] <= u'5';
    FuzzCheck(code.has_value() == digit);
    if (code) {
        FuzzCheck(*code == fields[5][0].unicode() - u'0');
    }
}

void CheckReading(const QByteArray& body) {
    ReplyParser reply(body);
    reply.SplitPairs(QStringLiteral("\r\n"));
    const StorageReading reading = ReadStorageInfo(body);
    FuzzCheck(reading.ready == (reply.GetValue(QStringLiteral("ready")) == u"1"));
    FuzzCheck(reading.deviceName == reply.GetValue(QStringLiteral("devicename")));
    const QString info = reply.GetValue(QStringLiteral("partitioninfo") +
                                        reply.GetValue(QStringLiteral("usedpartition")));
    FuzzCheck(reading.fileSystemCode == (info.isEmpty() ? std::nullopt : FileSystemCodeOf(info)));
    if (reading.fileSystemCode) {
        FuzzCheck(*reading.fileSystemCode >= 0 && *reading.fileSystemCode <= 5);
    }
    FuzzCheck(ReadDataMatch(body) == (reply.GetValue(QStringLiteral("match")) == u"1"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckReading(bytes);
    CheckCode(QString::fromLocal8Bit(bytes));

    // The same bytes as the partition of a drive that says which partition it uses.
    FuzzInput in(data, size);
    const QByteArray used = in.Piece(',');
    const QByteArray info = in.Rest();
    CheckReading("ready=1\r\nusedpartition=" + used + "\r\npartitioninfo" + used + "=" + info +
                 "\r\n");
    CheckCode(QString::fromLocal8Bit(info));
    return 0;
}
