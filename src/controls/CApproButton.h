#pragma once

#include <QFont>
#include <QSizeF>

#include "controls/CStateButton.h"

namespace controls {

// The wizard's caption button. Blue gradient by default; pages with button pictures set
// background mode 0 and load slot 1 (normal) and slot 0 (drawn at half opacity when disabled).
class CApproButton : public CStateButton {
    Q_OBJECT
public:
    static constexpr int kCaptionSize = 14;
    static constexpr int kLargeCaptionSize = 16;

    CApproButton(int controlId, QWidget* parent);

    // Large mode draws the caption at 16 px instead of 14.
    void setLargeMode(bool large);
    bool largeMode() const { return large_; }

    // Replaces the caption font outright.
    void setCaptionFont(const QFont& font);

    // The caption's size in the caption font, for pages that size the button to its text.
    QSizeF measureText() const;
    // The width that fits the caption with `padding` pixels to spare.
    int captionWidth(int padding) const;

    QSize sizeHint() const override;
    QFont captionFont() const override;

protected:
    void drawFace(QPainter& painter, int state) override;

private:
    bool large_ = false;
    bool customFont_ = false;
    QFont font_;
};

}  // namespace controls
