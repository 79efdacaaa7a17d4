#include "device/JpegFrame.h"

#include "device/ReplyParser.h"

namespace preview {

HostPort SplitHost(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        return {text, kDefaultPort};
    }
    const std::int32_t port = ReadLeadingNumber(text.mid(colon + 1));
    return {text.left(colon), port >= 1 && port <= 65535 ? static_cast<int>(port) : kDefaultPort};
}

void FrameGatherer::clear() {
    buffer_.clear();
    frame_.clear();
    searchedTo_ = 0;
}

FrameGatherer::Outcome FrameGatherer::append(const char* data, std::size_t size) {
    if (size == 0) {
        return Outcome::Reading;
    }
    if (gathered() + size <= kGatherBytes) {
        buffer_.append(data, static_cast<qsizetype>(size));
    }
    // A marker may straddle two pieces: look again from the byte before the new ones.
    const qsizetype marker = buffer_.indexOf("\xFF\xD9", std::max<qsizetype>(0, searchedTo_ - 1));
    if (marker < 0) {
        searchedTo_ = buffer_.size();
        return Outcome::Reading;
    }
    const std::size_t length = static_cast<std::size_t>(marker) + 2;
    if (length > kFrameBytes) {
        return Outcome::TooLarge;
    }
    frame_ = buffer_.left(static_cast<qsizetype>(length));
    return Outcome::Frame;
}

}  // namespace preview
