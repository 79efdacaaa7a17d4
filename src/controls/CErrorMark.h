#pragma once

#include <QColor>
#include <QWidget>

namespace controls {

// The red round mark with "!" that sits beside an input box the user must correct.
class CErrorMark : public QWidget {
    Q_OBJECT
public:
    static constexpr QColor kFill{229, 57, 53};
    static constexpr int kSide = 20;

    explicit CErrorMark(QWidget* parent);

    QSize sizeHint() const override { return {kSide, kSide}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace controls
