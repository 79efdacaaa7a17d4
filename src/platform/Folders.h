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

// Puts the link file `fileName` (no folder in it) into `folder`: written whole beside it and
// renamed over one of the same name (a link there is replaced, never followed), runnable, and
// marked trusted where the desktop keeps trust in file metadata. False when not written.
bool WriteDesktopLink(const QString& folder, const QString& fileName, const QByteArray& contents);

// Copies, replacing the target. False on any failure (for example no rights to the target).
bool CopyFileReplacing(const QString& from, const QString& to);

}  // namespace platform
