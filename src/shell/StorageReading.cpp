#include "shell/StorageReading.h"

#include <QStringList>

#include "device/ReplyParser.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr qsizetype kFileSystemField = 5;

ReplyParser PairsOf(const QByteArray& body) {
    ReplyParser reply(body);
    reply.SplitPairs(kCrLf);
    return reply;
}

}  // namespace

std::optional<std::int32_t> FileSystemCodeOf(const QString& partitionInfo) {
    // Skipping empty fields would shift a later field into the code's place.
    const QStringList fields = partitionInfo.split(u',', Qt::KeepEmptyParts);
    if (fields.size() <= kFileSystemField) {
        return std::nullopt;
    }
    const QString& field = fields.at(kFileSystemField);
    if (field.size() != 1 || field[0] < u'0' || field[0] > u'5') {
        return std::nullopt;
    }
    return field[0].unicode() - u'0';
}

StorageReading ReadStorageInfo(const QByteArray& body) {
    const ReplyParser reply = PairsOf(body);
    StorageReading reading;
    reading.ready = reply.GetValue(QStringLiteral("ready")) == u"1";
    reading.deviceName = reply.GetValue(QStringLiteral("devicename"));
    const QString usedPartition = reply.GetValue(QStringLiteral("usedpartition"));
    const QString info = reply.GetValue(QStringLiteral("partitioninfo") + usedPartition);
    if (!info.isEmpty()) {
        reading.fileSystemCode = FileSystemCodeOf(info);
    }
    return reading;
}

bool ReadDataMatch(const QByteArray& body) {
    return PairsOf(body).GetValue(QStringLiteral("match")) == u"1";
}
