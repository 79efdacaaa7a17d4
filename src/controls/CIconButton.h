#pragma once

#include "controls/CStateButton.h"

namespace controls {

// A corner button of the wizard (minimise or close): a glyph with a hover plate.
class CIconButton : public CStateButton {
    Q_OBJECT
public:
    enum class Glyph { Minimise, Close };

    CIconButton(int controlId, Glyph glyph, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Glyph glyph_;
};

}  // namespace controls
