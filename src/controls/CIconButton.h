#pragma once

#include <QAbstractButton>

namespace controls {

// A corner button of the wizard (minimise or close): a glyph with a hover plate.
class CIconButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Glyph { Minimise, Close };

    CIconButton(int controlId, Glyph glyph, QWidget* parent);

    int controlId() const { return controlId_; }
    int state() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int controlId_;
    Glyph glyph_;
    bool hovered_ = false;
};

}  // namespace controls
