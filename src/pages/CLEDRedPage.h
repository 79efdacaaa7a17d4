#pragma once

#include <QColor>

#include <array>

#include "controls/CAlertPage.h"

namespace controls {
class CApproStatic;
class CBaseStatic2;
class CImageBox;
class CLinkStatic2;
}  // namespace controls

// The width of the reset link in a language: room for its text and icon on one line.
int LedLinkWidth(int languageIndex);

// The help side page for an LED that stays red: three things to try, then a link to the reset
// help. When the user resets the recorder there (RESET), this page ends with OK as well; the
// cross and Escape end it with Cancel.
class CLEDRedPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr int kStepCount = 3;

    static constexpr QSize kSize{598, 360};
    static constexpr QPoint kOverlayOffset{131, 140};
    static constexpr QRect kCrossRect{569, 15, 14, 14};
    static constexpr int kCrossId = 2;

    static constexpr QRect kTitleRect{99, 25, 445, 24};
    static constexpr int kTitleSize = 17;
    static constexpr QColor kTitleColor{68, 68, 68};

    static constexpr std::array<int, kStepCount> kStepPictures{3056, 3057, 3058};
    static constexpr QSize kStepPictureSize{24, 24};
    static constexpr int kStepPictureLeft = 54;
    static constexpr int kStepTextLeft = 84;
    static constexpr int kStepTextRight = 544;
    static constexpr int kStepTextSize = 13;
    static constexpr QColor kStepTextColor{0x66, 0x66, 0x66};
    // The steps stand one under another, each as tall as its text (at least its picture).
    static constexpr int kFirstStepTop = 76;
    static constexpr int kStepGap = 22;
    // The text's first line sits level with the middle of the step picture.
    static constexpr int kStepTextDrop = 4;

    static constexpr int kLinkGap = 28;
    static constexpr int kLinkTextSize = 13;
    static constexpr QColor kLinkColor{42, 169, 209};
    static constexpr int kLinkIcon = 3059;
    static constexpr int kLinkMaxHeight = 80;
    // Nothing may come closer to the bottom edge than this.
    static constexpr int kBottomMargin = 20;

    explicit CLEDRedPage(QWidget* owner);

    // Runs the page modally at `overlayTopLeft` + (131, 140); returns 1 (OK) or 2 (Cancel).
    static int Run(QWidget* owner, QPoint overlayTopLeft);

    QString title() const { return title_; }
    controls::CApproStatic* titleLabel() const { return titleLabel_; }
    controls::CImageBox* stepPicture(int step) const { return pictures_.at(step); }
    controls::CBaseStatic2* stepText(int step) const { return texts_.at(step); }
    controls::CLinkStatic2* resetLink() const { return link_; }

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;

private:
    void layOut();

    QString title_;
    controls::CApproStatic* titleLabel_;
    std::array<controls::CImageBox*, kStepCount> pictures_{};
    std::array<controls::CBaseStatic2*, kStepCount> texts_{};
    controls::CLinkStatic2* link_;
};
