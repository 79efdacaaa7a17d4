#pragma once

#include "controls/CStateButton.h"

namespace controls {

// A picture button with one picture per state (slots 0..3, the pressed one at 60 % opacity)
// and an optional 12 x 12 icon 14 px from its left edge. Without a picture for the state it
// draws its glyph (the wizard's minimise and close corners).
class CIconButton : public CStateButton {
    Q_OBJECT
public:
    enum class Glyph { None, Minimise, Close };

    static constexpr int kCaptionSize = 14;
    static constexpr int kIconSize = 12;
    static constexpr int kIconLeft = 14;

    CIconButton(int controlId, QWidget* parent);
    CIconButton(int controlId, Glyph glyph, QWidget* parent);

    bool LoadIconImage(int resourceId);
    void setIconImage(const QImage& image);

    QFont captionFont() const override;

protected:
    void drawFace(QPainter& painter, int state) override;
    // Beside the icon, not under it.
    void drawCaption(QPainter& painter) override;

private:
    void drawGlyph(QPainter& painter, int state);

    Glyph glyph_ = Glyph::None;
    ResourcePicture icon_;
};

}  // namespace controls
