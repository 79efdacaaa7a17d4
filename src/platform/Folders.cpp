#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace platform {
namespace {

QString WithSeparator(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

}  // namespace

QString TemporaryFolder() {
    return WithSeparator(QDir::tempPath());
}

QString ApplicationDataFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
    }
    return WithSeparator(folder);
}

QString SystemFolder() {
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH];
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return WithSeparator(QDir::fromNativeSeparators(QString::fromWCharArray(buffer, length)));
#else
    // The shared icon folder of the first system data directory (freedesktop layout).
    const QByteArray dirs = qgetenv("XDG_DATA_DIRS");
    QString first = dirs.isEmpty() ? QStringLiteral("/usr/local/share")
                                   : QString::fromLocal8Bit(dirs).section(QLatin1Char(':'), 0, 0);
    return WithSeparator(first + QStringLiteral("/pixmaps"));
#endif
}

QString DesktopFolder() {
    return WithSeparator(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(bytes) == bytes.size() && file.flush();
}

bool CopyFileReplacing(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    // Written beside the target and renamed, so a failed copy never leaves half a file.
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (target.write(bytes) != bytes.size()) {
        target.cancelWriting();
        return false;
    }
    return target.commit();
}

}  // namespace platform
