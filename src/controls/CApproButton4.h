#pragma once

#include "controls/CStateButton.h"

namespace controls {

// A picture button whose pressed or latched face is its normal picture at half opacity.
class CApproButton4 : public CStateButton {
    Q_OBJECT
public:
    static constexpr int kDefaultCaptionSize = 14;

    CApproButton4(int controlId, QWidget* parent);

    void setCaptionSize(int pixelSize);
    int captionSize() const { return captionSize_; }

    QFont captionFont() const override;

protected:
    void drawFace(QPainter& painter, int state) override;

private:
    int captionSize_ = kDefaultCaptionSize;
};

}  // namespace controls
