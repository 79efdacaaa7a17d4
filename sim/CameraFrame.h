#pragma once

// JPEG frames a simulated camera serves: its name and a running clock on a plain picture. The
// text is drawn with a built-in pixel font, so frames can be made without a font database or a
// QGuiApplication (the simulator and its tests run headless with a QCoreApplication).

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QString>

#include <optional>

namespace sim {

inline constexpr int kCameraFrameWidth = 320;
inline constexpr int kCameraFrameHeight = 240;

// The background is the camera's own tint unless one is given.
QImage CameraPicture(const QString& name, const QDateTime& when,
                     std::optional<QColor> tint = std::nullopt);

// The picture as a baseline JPEG (starts with FF D8, ends with FF D9); empty when Qt's JPEG
// writer is missing.
QByteArray CameraFrameJpeg(const QString& name, const QDateTime& when,
                           std::optional<QColor> tint = std::nullopt);

}  // namespace sim
