#pragma once

#include <QPoint>
#include <QString>

#include <chrono>
#include <memory>

#include "controls/CAlertPage.h"
#include "pages/PageTask.h"

class HttpGet;
namespace controls {
class CPreview;
}

// A camera's live picture beside its preview icon: a still every cycle, fetched from the
// camera itself by a job of the page, decoded there and drawn here.
class CPreviewPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{358, 212};
    static constexpr QPoint kOffset{5, -30};  // from the anchor
    static constexpr QRect kCrossRect{334, 10, 14, 14};
    static constexpr QRect kPreviewRect{24, 32, 320, 170};
    static constexpr int kTimeoutMs = 3000;
    static constexpr std::chrono::milliseconds kStopWait{6000};

    struct Camera {
        QString host;  // the address, optionally with ":port"
        QString user;
        QString password;
    };

    // Waits of one cycle; tests keep them.
    struct Pacing {
        std::chrono::milliseconds start{500};
        std::chrono::milliseconds refused{1000};
        std::chrono::milliseconds read{50};
        std::chrono::milliseconds between{500};
    };

    CPreviewPage(QWidget* owner, QPoint anchor, const Camera& camera);
    ~CPreviewPage() override;

    static int Run(QWidget* owner, QPoint anchor, const Camera& camera);
    // The window's outline: a rounded body with a point to the left at the icon.
    static QRegion Outline();

    controls::CPreview* preview() const { return preview_; }

    // One fetch job: cycles until stopped, handing each decoded frame to `show`.
    static void Fetch(PageTask::Control& control, HttpGet& http, const Camera& camera,
                      const Pacing& pacing, const std::function<void(QImage)>& show);

private:
    controls::CPreview* preview_;
    std::shared_ptr<HttpGet> http_;
    PageTask fetch_;
};
