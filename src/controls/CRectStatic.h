#pragma once

#include <QColor>
#include <QWidget>

namespace controls {

// The frame around an input: white, with a 2-px pen in 2-px rounded corners; red marks an
// error.
class CRectStatic : public QWidget {
    Q_OBJECT
public:
    static constexpr QColor kErrorRed{255, 0, 0};
    static constexpr qreal kPenWidth = 2.0;
    static constexpr qreal kRadius = 2.0;

    explicit CRectStatic(QWidget* parent);

    void setFrameColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor frame_ = kErrorRed;
};

}  // namespace controls
