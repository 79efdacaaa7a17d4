#pragma once

#include <QColor>

#include <array>

#include "controls/CAlertPage.h"

namespace controls {
class CApproButton;
class CApproStatic;
class CBaseStatic2;
class CImageBox;
}  // namespace controls

// The reset help: how to reset the recorder with a paperclip. RESET (the user has reset it)
// ends the page with OK, so the wizard starts over; the cross and Escape end it with Cancel.
class CResetPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{648, 410};
    static constexpr QRect kCrossRect{619, 15, 14, 14};
    static constexpr int kCrossId = 2;
    // Disabled, normal, pressed, hover.
    static constexpr std::array<int, 4> kCrossPictures{3061, 3060, 3062, 3060};

    static constexpr QRect kTitleRect{54, 25, 540, 24};
    static constexpr int kTitleSize = 16;
    static constexpr QColor kTitleColor{68, 68, 68};

    static constexpr int kTextLeft = 54;
    static constexpr int kTextTop = 62;
    static constexpr int kTextWidth = 540;
    static constexpr int kTextSize = 13;
    static constexpr QColor kTextColor{0x66, 0x66, 0x66};

    static constexpr int kPictureId = 4020;
    static constexpr int kPictureLeft = 141;
    static constexpr QSize kPictureSize{365, 152};
    // The picture's top is the text's height plus this.
    static constexpr int kPictureBelowText = 99;

    static constexpr int kResetId = 1;
    static constexpr std::array<int, 4> kResetPictures{3046, 3042, 3044, 3043};
    static constexpr int kResetTop = 320;
    static constexpr int kResetHeight = 43;
    static constexpr int kResetPadding = 40;

    explicit CResetPage(QWidget* owner);

    // Runs the page modally with its top-left corner at `topLeft` (screen); returns 1 (OK) or
    // 2 (Cancel).
    static int Run(QWidget* owner, QPoint topLeft);

    QString title() const { return title_; }
    controls::CApproStatic* titleLabel() const { return titleLabel_; }
    controls::CBaseStatic2* textLabel() const { return text_; }
    controls::CImageBox* picture() const { return picture_; }
    controls::CApproButton* resetButton() const { return reset_; }

protected:
private:
    QString title_;
    controls::CApproStatic* titleLabel_;
    controls::CBaseStatic2* text_;
    controls::CImageBox* picture_;
    controls::CApproButton* reset_;
};
