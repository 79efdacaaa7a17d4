#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// What the recorder says of the drive behind one storage id.
struct StorageReading {
    bool ready = false;                          // "ready" is "1"
    std::optional<std::int32_t> fileSystemCode;  // 0..5 from the used partition, when it says
    QString deviceName;                          // empty when no drive is attached
};

inline constexpr char kStorageInfoPath[] = "/config/storageinfo?storageid=0";
inline constexpr char kDataMatchPath[] = "/config/datamatch";

// The file-system code of a partition description: its sixth comma-separated field when that
// is one of "0".."5". Fields are positional, so an empty field still counts as one.
std::optional<std::int32_t> FileSystemCodeOf(const QString& partitionInfo);

// A storage-info reply body (key=value lines).
StorageReading ReadStorageInfo(const QByteArray& body);

// A datamatch reply body: true when "match" is "1".
bool ReadDataMatch(const QByteArray& body);
