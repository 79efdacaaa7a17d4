#pragma once

#include <QColor>

#include "controls/CAlertPage.h"

namespace controls {
class CApproStatic;
class CBaseStatic2;
}  // namespace controls

// The help for a search that found no recorder: check the cable between recorder and router.
// The cross and Escape end it with Cancel, so the selection page stays as it was.
class CNoDevicePage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{600, 380};
    static constexpr QPoint kOverlayOffset{130, 120};
    static constexpr QRect kCrossRect{kSize.width() - 29, 15, 14, 14};
    static constexpr int kCrossId = 2;

    static constexpr QRect kTitleRect{54, 30, 492, 26};
    static constexpr int kTitleSize = 18;
    static constexpr QColor kTitleColor{68, 68, 68};

    static constexpr int kTextLeft = 54;
    static constexpr int kTextTop = 76;
    static constexpr int kTextWidth = 492;
    static constexpr int kTextSize = 14;
    static constexpr QColor kTextColor{0x66, 0x66, 0x66};

    explicit CNoDevicePage(QWidget* owner);

    // Runs the page modally at `overlayTopLeft` + (130, 120); returns 1 (OK) or 2 (Cancel).
    static int Run(QWidget* owner, QPoint overlayTopLeft);

    QString title() const { return title_; }
    controls::CApproStatic* titleLabel() const { return titleLabel_; }
    controls::CBaseStatic2* textLabel() const { return text_; }

private:
    QString title_;
    controls::CApproStatic* titleLabel_;
    controls::CBaseStatic2* text_;
};
