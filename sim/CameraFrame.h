#pragma once

// JPEG frames a simulated camera serves: its name and a running clock on a plain picture. The
// text is drawn with a built-in pixel font, so frames can be made without a font database or a
// QGuiApplication (the simulator and its tests run headless with a QCoreApplication).

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>

namespace sim {

inline constexpr int kCameraFrameWidth = 320;
inline constexpr int kCameraFrameHeight = 240;

QImage CameraPicture(const QString& name, const QDateTime& when);

// The picture as a baseline JPEG (starts with FF D8, ends with FF D9); empty when Qt's JPEG
// writer is missing.
QByteArray CameraFrameJpeg(const QString& name, const QDateTime& when);

}  // namespace sim
