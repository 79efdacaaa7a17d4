#include "pages/CIntroduction0Dlg.h"

#include <QTimerEvent>

#include "controls/CImageBox.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CIntroduction0Dlg>(3);

constexpr QRect kFrameRect(281, 138, 578 - 281, 358 - 138);
constexpr std::array<int, CIntroduction0Dlg::kFrameCount> kFramePictures{165, 166, 167};

}  // namespace

CIntroduction0Dlg::CIntroduction0Dlg(CInterDialog& host) : CPageBase(host, PageLookOf(3)) {
    setObjectName(QStringLiteral("CIntroduction0Dlg"));
    for (int i = 0; i < kFrameCount; ++i) {
        auto* box = new controls::CImageBox(this);
        box->setObjectName(QStringLiteral("frame%1").arg(i));
        box->setGeometry(kFrameRect);
        box->LoadStateImage(0, kFramePictures[static_cast<std::size_t>(i)]);
        frames_[static_cast<std::size_t>(i)] = box;
    }
    showFrame(0);
}

void CIntroduction0Dlg::showFrame(int frame) {
    frame_ = frame;
    for (int i = 0; i < kFrameCount; ++i) {
        frames_[static_cast<std::size_t>(i)]->setVisible(i == frame);
    }
    emit frameChanged(frame);
}

void CIntroduction0Dlg::showEvent(QShowEvent* event) {
    CPageBase::showEvent(event);
    timer_.start(kFramePeriodMs, this);
}

void CIntroduction0Dlg::hideEvent(QHideEvent* event) {
    // Nothing to animate for nobody.
    timer_.stop();
    CPageBase::hideEvent(event);
}

void CIntroduction0Dlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        CPageBase::timerEvent(event);
        return;
    }
    showFrame((frame_ + 1) % kFrameCount);
}
