#pragma once

// The bodies a camera's /image/jpeg.cgi sends in each of its jpegModes: every shape of reply
// a preview has to survive, made from the frames the camera would draw.

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "HttpTypes.h"

namespace sim {

// One byte past the largest frame a preview shows.
inline constexpr qsizetype kHugeFrameBytes = 1'440'001;
// The end marker lies past everything a preview gathers of one body.
inline constexpr qsizetype kOverFrameBytes = 2'200'000;

// "normal", "double", "huge", "over", "nomarker", "garbage", "trickle".
const QStringList& JpegModeNames();

// The frame with comment segments after its start marker, exactly totalBytes long; unchanged
// when it is no JPEG or that leaves less room than one segment (4 bytes).
QByteArray PaddedJpeg(const QByteArray& jpeg, qsizetype totalBytes);

// Bytes that begin like a JPEG and hold an end marker within their first 64, yet decode as no
// picture.
QByteArray GarbageJpeg();

// draw(tint) encodes the camera's picture (its own tint when none is given). "double" sends a
// red frame and then a blue one; "trickle" and "nomarker" go out in pieces of pieceBytes with
// pauseMs after each; "nomarker" never ends. An unknown mode answers as "normal".
using FrameDrawer = std::function<QByteArray(std::optional<QColor> tint)>;
HttpReply JpegModeReply(const QString& mode, const FrameDrawer& draw, int pieceBytes, int pauseMs);

}  // namespace sim
