#include "controls/CPageIndicator.h"

#include <QPainter>

#include <algorithm>

namespace controls {

CPageIndicator::CPageIndicator(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CPageIndicator::setCount(int count) {
    count_ = std::max(0, count);
    update();
}

void CPageIndicator::setCurrent(int current) {
    current_ = current;
    update();
}

void CPageIndicator::setGap(int gap) {
    gap_ = std::max(0, gap);
    update();
}

void CPageIndicator::setRadius(int radius) {
    radius_ = std::max(1, radius);
    update();
}

QRect CPageIndicator::DotRect(int index, int gap, int radius) {
    const int diameter = 2 * radius;
    return QRect(index * (gap + diameter), 0, diameter, diameter);
}

void CPageIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < count_; ++i) {
        // Half a pixel in keeps the 1-px outline on whole pixels inside the dot's square.
        const QRectF dot = QRectF(DotRect(i, gap_, radius_)).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(kGrey, 1.0));
        painter.setBrush(IsFilled(i, current_) ? kGrey : QColor(Qt::white));
        painter.drawEllipse(dot);
    }
}

}  // namespace controls
