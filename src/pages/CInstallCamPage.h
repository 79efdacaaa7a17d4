#pragma once

#include <QColor>

#include "controls/CAlertPage.h"

namespace controls {
class CApproStatic;
class CBaseStatic2;
class CImageBox;
}  // namespace controls

// The help for a camera the recorder cannot see: its network cable goes to the router. It only
// closes.
class CInstallCamPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{540, 380};
    static constexpr QPoint kOverlayOffset{160, 130};
    static constexpr QRect kCrossRect{kSize.width() - 29, 15, 14, 14};
    static constexpr int kCrossId = 2;

    static constexpr QRect kTitleRect{52, 38, 486 - 52, 84 - 38};
    static constexpr int kTitleSize = 18;
    static constexpr QColor kTitleColor{68, 68, 68};
    static constexpr QRect kTextRect{54, 76, 491 - 54, 133 - 76};
    static constexpr int kTextSize = 14;
    static constexpr QColor kTextColor{102, 102, 102};

    static constexpr int kPictureId = 4069;
    static constexpr QSize kPictureSize{400, 222};
    static constexpr int kPictureLeft = 79;
    static constexpr int kPictureTop = 100;  // plus what the text needs beyond its box

    explicit CInstallCamPage(QWidget* owner);

    // Runs the page modally at `overlayTopLeft` + kOverlayOffset; always 1 (OK).
    static int Run(QWidget* owner, QPoint overlayTopLeft);

    // Where the picture goes below a text `textHeight` high, in `language`.
    static int PictureTop(int textHeight, int language);

    controls::CApproStatic* titleLabel() const { return title_; }
    controls::CBaseStatic2* textLabel() const { return text_; }
    controls::CImageBox* picture() const { return picture_; }

private:
    controls::CApproStatic* title_;
    controls::CBaseStatic2* text_;
    controls::CImageBox* picture_;
};
