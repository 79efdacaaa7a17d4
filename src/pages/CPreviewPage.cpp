#include "pages/CPreviewPage.h"

#include <QPolygon>

#include <vector>

#include "controls/CPreview.h"
#include "device/HttpGet.h"
#include "device/JpegFrame.h"
#include "shell/FlowTrace.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kPreview, [](QWidget* overlay, QPoint, const overlay::OverlayData& data) {
        const QPoint anchor(data.previewWords[0], data.previewWords[1]);
        return CPreviewPage::Run(
            overlay, anchor, {data.previewTexts[0], data.previewTexts[1], data.previewTexts[2]});
    });

constexpr char kFramePath[] = "/image/jpeg.cgi";
constexpr int kBodyLeft = 12;
constexpr int kCorner = 7;

}  // namespace

CPreviewPage::CPreviewPage(QWidget* owner, QPoint anchor, const Camera& camera)
    : CAlertPage(owner, QStringLiteral("CPreviewPage"), kSize),
      preview_(new controls::CPreview(this)),
      http_(std::make_shared<HttpGet>()),
      fetch_(windowId(), kStopWait) {
    setMask(Outline());
    move(anchor + kOffset);
    preview_->setGeometry(kPreviewRect);
    setAccessibleName(camera.host);
    AddCross(2, kCrossRect);
    std::shared_ptr<HttpGet> http = http_;
    fetch_.start([this, http, camera](PageTask::Control& control) {
        Fetch(control, *http, camera, Pacing{}, [this, &control](QImage frame) {
            control.post([this, frame] {
                qCDebug(lcFlow, "preview frame: %dx%d", frame.width(), frame.height());
                preview_->setFrame(frame);
            });
        });
    });
}

CPreviewPage::~CPreviewPage() {
    // The job owns its buffers and client and drops what it posts to a page that is gone, so
    // the window closes without waiting for it; a read that waits for the camera ends at once.
    fetch_.requestStop();
    http_->Abort();
    fetch_.release();
}

int CPreviewPage::Run(QWidget* owner, QPoint anchor, const Camera& camera) {
    RunModal(new CPreviewPage(owner, anchor, camera));
    return overlay::kOk;
}

QRegion CPreviewPage::Outline() {
    QRegion outline;
    const int w = kSize.width() - kBodyLeft;
    const int h = kSize.height();
    outline += QRegion(kBodyLeft + kCorner / 2, 0, w - kCorner, h);
    outline += QRegion(kBodyLeft, kCorner / 2, w, h - kCorner);
    for (const QPoint corner :
         {QPoint(kBodyLeft, 0), QPoint(kSize.width() - kCorner, 0), QPoint(kBodyLeft, h - kCorner),
          QPoint(kSize.width() - kCorner, h - kCorner)}) {
        outline += QRegion(corner.x(), corner.y(), kCorner, kCorner, QRegion::Ellipse);
    }
    outline += QRegion(QPolygon({QPoint(kBodyLeft, 20), QPoint(kBodyLeft, 44), QPoint(0, 32)}));
    return outline;
}

void CPreviewPage::Fetch(PageTask::Control& control, HttpGet& http, const Camera& camera,
                         const Pacing& pacing, const std::function<void(QImage)>& show) {
    const preview::HostPort where = preview::SplitHost(camera.host);
    if (!http.Open(where.host, camera.user, camera.password, kTimeoutMs, 0, where.port)) {
        http.Open(where.host, camera.user, camera.password, kTimeoutMs, 0, where.port);
    }
    preview::FrameGatherer gatherer;
    std::vector<char> piece(HttpGet::kPieceBytes);
    control.pause(pacing.start);
    while (control.running()) {
        if (!http.SendGet(QString::fromLatin1(kFramePath))) {
            control.pause(pacing.refused);
            continue;
        }
        gatherer.clear();
        while (control.running()) {
            std::size_t count = 0;
            // The end of a body without an image ends the cycle: the next one asks again.
            if (!http.ReadChunk(piece, &count) || count == 0) {
                break;
            }
            control.pause(pacing.read);
            // The rest of the reply is not needed once it held an image, or one too large.
            const auto outcome = gatherer.append(piece.data(), count);
            if (outcome == preview::FrameGatherer::Outcome::Frame) {
                // Decoded here, so the window only draws; bytes that do not decode blank it.
                show(QImage::fromData(gatherer.frame()));
                break;
            }
            if (outcome == preview::FrameGatherer::Outcome::TooLarge) {
                break;
            }
        }
        control.pause(pacing.between);
    }
    control.pause(pacing.read);
    http.Close();
}
