#pragma once

#include <QBasicTimer>

#include <array>

#include "pages/CPageBase.h"

namespace controls {
class CImageBox;
}  // namespace controls

// Page 3: how to install the drives, with a drive being slid in, frame by frame.
class CIntroduction0Dlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 3;
    static constexpr int kFramePeriodMs = 1000;

    explicit CIntroduction0Dlg(CInterDialog& host);

    // The frame shown now: 0, 1 or 2 (pictures 165, 166, 167).
    int frame() const { return frame_; }
    bool animating() const { return timer_.isActive(); }

signals:
    void frameChanged(int frame);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void showFrame(int frame);

    std::array<controls::CImageBox*, kFrameCount> frames_{};
    int frame_ = 0;
    QBasicTimer timer_;
};
