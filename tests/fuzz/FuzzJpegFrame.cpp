// Arbitrary camera snapshot bodies, cut into arbitrary reads, through the preview's frame
// gatherer: what it keeps, where it finds the end of the first image and whether it would
// show it, against one scan of the same bytes; and arbitrary host texts through the port split.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "device/JpegFrame.h"
#include "device/ReplyParser.h"

namespace {

using preview::FrameGatherer;

constexpr std::size_t kMaxReads = 64;
constexpr int kMaxRuns = 1;
constexpr std::size_t kRunUnit = 8448;  // 256 units pass the gathering bound
constexpr std::uint8_t kRunMark = 0xFF;
constexpr std::uint8_t kRunMark2 = 'R';

// A read: a control byte and that many bytes (up to 127, the high bit ignored) of the input;
// or 0xFF 'R' n for a run of (n + 1) * kRunUnit bytes, so that the bounds of the buffers are
// reached (0xFF without 'R' is skipped). Two marks keep runs rare among mutations of image
// bytes, which are full of 0xFF; runs come from one buffer made once.
QByteArray NextRead(FuzzInput& in, int& runs) {
    static const QByteArray kRunBytes(static_cast<qsizetype>(256 * kRunUnit), '\xAA');
    std::uint8_t control = in.Byte();
    if (control == kRunMark && runs < kMaxRuns) {
        const std::uint8_t second = in.Byte();
        if (second == kRunMark2) {
            ++runs;
            const std::size_t length = (in.Byte() + 1u) * kRunUnit;
            return QByteArray::fromRawData(kRunBytes.constData(), static_cast<qsizetype>(length));
        }
        control = second;
    }
    QByteArray piece;
    for (int i = 0; i < (control & 0x7F) && !in.empty(); ++i) {
        piece.append(static_cast<char>(in.Byte()));
    }
    return piece;
}

void CheckFrames(FuzzInput& in) {
    FrameGatherer gatherer;
    // What a buffer that only ever takes reads that fit holds; made once, cleared per input.
    static std::string kept = [] {
        std::string s;
        s.reserve(preview::kGatherBytes);
        return s;
    }();
    kept.clear();
    std::vector<FrameGatherer::Outcome> outcomes;
    std::vector<std::size_t> sizes;
    int runs = 0;
    while (!in.empty() && outcomes.size() < kMaxReads) {
        const QByteArray read = NextRead(in, runs);
        const auto outcome =
            gatherer.append(read.constData(), static_cast<std::size_t>(read.size()));
        if (read.isEmpty()) {
            FuzzCheck(outcome == FrameGatherer::Outcome::Reading);
            continue;
        }
        if (kept.size() + static_cast<std::size_t>(read.size()) <= preview::kGatherBytes) {
            kept.append(read.constData(), static_cast<std::size_t>(read.size()));
        }
        FuzzCheck(gatherer.gathered() == kept.size());
        outcomes.push_back(outcome);
        sizes.push_back(kept.size());
    }
    // The first end marker of everything kept decides every outcome: a read sees it once the
    // buffer holds it whole.
    const std::size_t marker = kept.find("\xFF\xD9");
    const bool found = marker != std::string::npos;
    const std::size_t length = found ? marker + 2 : 0;
    bool framed = false;
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        FrameGatherer::Outcome expected = FrameGatherer::Outcome::Reading;
        if (found && length <= sizes[i]) {
            expected = length > preview::kFrameBytes ? FrameGatherer::Outcome::TooLarge
                                                     : FrameGatherer::Outcome::Frame;
        }
        FuzzCheck(outcomes[i] == expected);
        framed = framed || expected == FrameGatherer::Outcome::Frame;
    }
    const QByteArray& frame = gatherer.frame();
    FuzzCheck(framed ? static_cast<std::size_t>(frame.size()) == length &&
                           kept.compare(0, length, frame.constData(), length) == 0
                     : frame.isEmpty());
    FuzzCheck(static_cast<std::size_t>(frame.size()) <= preview::kFrameBytes);

    gatherer.clear();
    FuzzCheck(gatherer.gathered() == 0 && gatherer.frame().isEmpty());
}

void CheckHost(const QString& text) {
    const preview::HostPort where = preview::SplitHost(text);
    FuzzCheck(where.port >= 1 && where.port <= 65535);
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        FuzzCheck(where.host == text && where.port == preview::kDefaultPort);
        return;
    }
    FuzzCheck(where.host == text.left(colon));
    const std::int32_t number = ReadLeadingNumber(text.mid(colon + 1));
    FuzzCheck(where.port == (number >= 1 && number <= 65535 ? number : preview::kDefaultPort));
    // Written back with its port, the host reads the same.
    const QString again = where.host + u':' + QString::number(where.port);
    const preview::HostPort back = preview::SplitHost(again);
    FuzzCheck(back.host == where.host && back.port == where.port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A host text up to the first line end, then the reads.
    FuzzInput in(data, size);
    CheckHost(QString::fromUtf8(in.Piece('\n')));
    CheckFrames(in);
    return 0;
}
