#include "JpegModes.h"

namespace sim {

namespace {

const QByteArray kStartOfImage("\xFF\xD8", 2);
const QByteArray kEndOfImage("\xFF\xD9", 2);
// Marker, length and data of the longest comment segment.
constexpr qsizetype kMaxSegment = 4 + 65533;
constexpr qsizetype kMinSegment = 4;

// Plain text: no 0xFF, so no marker can form across repeats or after the frame's last byte.
const QByteArray kEndlessFiller("orb-sim: this frame has no end. ");

const QColor kFirstTint(200, 30, 30);
const QColor kSecondTint(30, 30, 200);

}  // namespace

const QStringList& JpegModeNames() {
    static const QStringList names = {
        QStringLiteral("normal"),  QStringLiteral("double"),   QStringLiteral("huge"),
        QStringLiteral("over"),    QStringLiteral("nomarker"), QStringLiteral("garbage"),
        QStringLiteral("trickle"),
    };
    return names;
}

QByteArray PaddedJpeg(const QByteArray& jpeg, qsizetype totalBytes) {
    const qsizetype room = totalBytes - jpeg.size();
    if (room < kMinSegment || !jpeg.startsWith(kStartOfImage)) {
        return jpeg;
    }
    // Even shares keep every segment between the shortest and the longest allowed.
    const qsizetype count = (room + kMaxSegment - 1) / kMaxSegment;
    QByteArray padding;
    padding.reserve(room);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype size = room / count + (i < room % count ? 1 : 0);
        const qsizetype length = size - 2;  // counts itself, not the marker
        padding += '\xFF';
        padding += '\xFE';
        padding += static_cast<char>(length >> 8);
        padding += static_cast<char>(length & 0xFF);
        padding += QByteArray(size - kMinSegment, ' ');
    }
    return kStartOfImage + padding + jpeg.mid(kStartOfImage.size());
}

QByteArray GarbageJpeg() {
    return kStartOfImage + "orb-sim: not a picture" + kEndOfImage +
           QByteArray("and more that is no picture either").repeated(8);
}

HttpReply JpegModeReply(const QString& mode, const FrameDrawer& draw, int pieceBytes, int pauseMs) {
    HttpReply reply;
    reply.contentType = "image/jpeg";
    if (mode == QLatin1String("garbage")) {
        reply.body = GarbageJpeg();
        return reply;
    }
    const bool twoFrames = mode == QLatin1String("double");
    const QByteArray frame = draw(twoFrames ? std::optional(kFirstTint) : std::nullopt);
    if (frame.isEmpty() || !frame.endsWith(kEndOfImage)) {
        return TextReply(500, "500 no JPEG writer\r\n");
    }
    if (twoFrames) {
        reply.body = frame + draw(kSecondTint);
    } else if (mode == QLatin1String("huge")) {
        reply.body = PaddedJpeg(frame, kHugeFrameBytes);
    } else if (mode == QLatin1String("over")) {
        reply.body = PaddedJpeg(frame, kOverFrameBytes);
    } else if (mode == QLatin1String("nomarker")) {
        reply.paced =
            PacedBody{frame.chopped(kEndOfImage.size()), kEndlessFiller, pieceBytes, pauseMs};
    } else if (mode == QLatin1String("trickle")) {
        reply.paced = PacedBody{frame, {}, pieceBytes, pauseMs};
    } else {
        reply.body = frame;
    }
    return reply;
}

}  // namespace sim
