#pragma once

#include <QRect>

#include <vector>

#include "controls/CAlertPage.h"

namespace controls {

class CApproButton;

// A button of an alert page: control id, caption key and fallback, place.
struct AlertButton {
    int id;
    const char16_t* key;
    const char16_t* fallback;
    QRect rect;
};

// What the hard-drive alert shows for its two words.
struct AlarmLook {
    const char16_t* titleKey;
    const char16_t* titleFallback;
    const char16_t* textKey;
    const char16_t* textFallback;
    std::vector<AlertButton> buttons;
    bool cross;
};

// Text variant 1 is the format warning, anything else the no-drive notice; button variant 1
// offers CANCEL and OK without the cross, anything else OK alone with the cross.
AlarmLook AlarmLookOf(int textVariant, int buttonVariant);

// The hard-drive alert: the format warning the user confirms, or the notice that no drive was
// found. OK ends it with OK; CANCEL, the cross and Escape with Cancel.
class CAlarmDisplayPage final : public CAlertPage {
    Q_OBJECT
public:
    static constexpr QRect kTitleRect{85, 34, 440 - 85 - 30, 36};
    static constexpr QRect kTextRect{40, 80, 360, 76};
    static constexpr int kTitleSize = 18;
    static constexpr int kTextSize = 14;
    static constexpr QColor kTitleColor{255, 0, 0};
    static constexpr QColor kTextColor{119, 119, 119};

    CAlarmDisplayPage(QWidget* owner, int textVariant, int buttonVariant);

    // Runs the page modally at `overlayTopLeft` + (210, 200); returns 1 (OK) or 2 (Cancel).
    static int Run(QWidget* owner, QPoint overlayTopLeft, int textVariant, int buttonVariant);

    QString title() const { return title_; }
    QString text() const { return text_; }
    // The button with control id `id` (1 OK, 2 CANCEL), or null.
    CApproButton* button(int id) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString text_;
    std::vector<CApproButton*> buttons_;
};

}  // namespace controls
