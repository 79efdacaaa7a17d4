#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

namespace controls {

// The row of step dots: dots before the current index are filled, the rest outlined.
class CPageIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr QColor kGrey{196, 196, 196};

    explicit CPageIndicator(QWidget* parent = nullptr);

    void setCount(int count);
    void setCurrent(int current);
    void setGap(int gap);
    void setRadius(int radius);

    int count() const { return count_; }
    int current() const { return current_; }
    int gap() const { return gap_; }
    int radius() const { return radius_; }

    // Dot `index`'s square: x = index * (gap + 2 * radius), y = 0.
    static QRect DotRect(int index, int gap, int radius);
    static bool IsFilled(int index, int current) { return index < current; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int count_ = 5;
    int current_ = 1;
    int gap_ = 6;
    int radius_ = 6;
};

}  // namespace controls
