#pragma once

#include <QString>

namespace platform {

// Each folder ends with a path separator, as the system's folder queries return them, so
// callers append a file name directly.

// The user's temporary folder.
QString TemporaryFolder();
// The user's application-data folder (created when missing).
QString ApplicationDataFolder();
// The system-wide folder that programs copy shared files to; usually not writable by users.
QString SystemFolder();
// The user's desktop.
QString DesktopFolder();

// Creates or truncates the file and writes the bytes whole. False on any failure.
bool WriteWholeFile(const QString& path, const QByteArray& bytes);

// Copies, replacing the target. False on any failure (for example no rights to the target).
bool CopyFileReplacing(const QString& from, const QString& to);

}  // namespace platform
