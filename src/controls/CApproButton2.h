#pragma once

#include "controls/CStateButton.h"

namespace controls {

// A picture button with one picture per state; on hover the normal picture (slot 1) is drawn
// over the hover picture (slot 3), so a transparent normal face shows the hover glow.
class CApproButton2 : public CStateButton {
    Q_OBJECT
public:
    static constexpr int kCaptionSize = 16;

    CApproButton2(int controlId, QWidget* parent);

    QFont captionFont() const override;

protected:
    void drawFace(QPainter& painter, int state) override;
};

}  // namespace controls
