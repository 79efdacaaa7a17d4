#pragma once

#include <QAbstractButton>
#include <QColor>

namespace controls {

// The wizard's caption button. One state word drives the look: 0 disabled, 1 normal,
// 2 pressed or latched, 3 hover.
class CApproButton : public QAbstractButton {
    Q_OBJECT
public:
    CApproButton(int controlId, QWidget* parent);

    int controlId() const { return controlId_; }
    int state() const;

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
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int controlId_;
    bool hovered_ = false;
    QColor captionColor_{Qt::white};
};

}  // namespace controls
