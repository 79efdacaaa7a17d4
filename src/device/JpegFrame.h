#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <optional>

// The camera preview's bytes: where to ask and how one frame is cut from a reply body.
namespace preview {

inline constexpr std::size_t kGatherBytes = 2'160'000;
inline constexpr std::size_t kFrameBytes = 1'440'000;
inline constexpr int kDefaultPort = 80;

struct HostPort {
    QString host;
    int port = kDefaultPort;
};

// "10.0.0.5:8080" → 10.0.0.5 port 8080; no colon, a port below 1 or no number → port 80.
HostPort SplitHost(const QString& text);

// Gathers one reply body and gives its first JPEG image: the bytes up to and including the
// first FF D9. Bytes that would take the body past kGatherBytes are dropped.
class FrameGatherer final {
public:
    enum class Outcome {
        Reading,  // no end marker yet
        Frame,    // frame() holds the image
        TooLarge  // the image ends past kFrameBytes: skipped
    };

    void clear();
    // Adds one piece as it was read; tells whether the body holds an image now.
    Outcome append(const char* data, std::size_t size);
    const QByteArray& frame() const { return frame_; }
    std::size_t gathered() const { return static_cast<std::size_t>(buffer_.size()); }

private:
    QByteArray buffer_;
    QByteArray frame_;
    qsizetype searchedTo_ = 0;  // the marker lies at or after this offset
};

}  // namespace preview
