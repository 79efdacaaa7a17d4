#pragma once

#include <QColor>

#include "controls/CStateButton.h"

namespace controls {

// The wizard's caption button.
class CApproButton : public CStateButton {
    Q_OBJECT
public:
    CApproButton(int controlId, QWidget* parent);

    void setCaptionFont(const QFont& font);
    void setCaptionColor(const QColor& color) {
        captionColor_ = color;
        update();
    }

    // The width that fits the caption with `padding` pixels to spare.
    int captionWidth(int padding) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor captionColor_{Qt::white};
};

}  // namespace controls
