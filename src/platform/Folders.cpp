#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

bool WriteDesktopLink(const QString& folder, const QString& fileName, const QByteArray& contents) {
    if (fileName.isEmpty() || fileName.startsWith(QLatin1Char('.')) ||
        fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\'))) {
        return false;
    }
    const QString path = QDir(folder).filePath(fileName);
    // The save would write where a link there points; the link itself goes instead.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path)) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        return false;
    }
    // Desktops open a link file only when it may run.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                        QFileDevice::ExeOther);
    if (!file.commit()) {
        return false;
    }
    // GNOME asks for trust in the file's metadata as well; without gio there is none to give.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (!gio.isEmpty()) {
        QProcess trust;
        trust.start(gio, {QStringLiteral("set"), path, QStringLiteral("metadata::trusted"),
                          QStringLiteral("true")});
        if (!trust.waitForFinished(2000)) {
            trust.kill();
            trust.waitForFinished(500);
        }
    }
    return true;
}

}  // namespace platform
