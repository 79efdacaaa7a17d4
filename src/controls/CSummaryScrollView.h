#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <algorithm>

namespace controls {

// The summary's camera names in a grid of three rows and three columns, drawn once into a
// picture and shown two columns at a time; a bar along the bottom scrolls it sideways by its
// thumb (dragged, or moved by the arrow keys, Home and End). Only nine names fit the grid;
// screen readers hear them all.
class CSummaryScrollView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumnWidth = 240;
    static constexpr int kRowHeight = 30;
    static constexpr int kRows = 3;
    static constexpr int kColumns = 3;
    static constexpr int kContentWidth = kColumns * kColumnWidth;
    static constexpr int kBarHeight = 10;
    static constexpr int kKeyStep = 24;  // thumb pixels per arrow key
    static constexpr int kTextSize = 14;
    static constexpr QColor kTextColour{99, 101, 102};
    static constexpr QColor kMarkerColour{230, 230, 230};
    static constexpr QColor kTrackColour{241, 241, 241};
    static constexpr QColor kThumbColour{213, 213, 213};
    static constexpr QColor kFocusedThumbColour{170, 170, 170};

    // Item `index`'s text rectangle in the grid; it lies outside the grid from the tenth on.
    static QRect TextRect(int index);
    // Line `k` (0 to 4) of item `index`'s marker, a small triangle pointing right.
    static QRect MarkerLine(int index, int k);
    // Where the visible part starts in the grid for a view `viewWidth` wide.
    static int SourceX(int viewWidth, float scrollFraction);

    explicit CSummaryScrollView(QWidget* parent);

    void setItems(const QStringList& items);
    const QStringList& items() const { return items_; }
    // What screen readers hear before the names.
    void setCaption(const QString& caption);

    QRect thumbRect() const { return thumbRect_; }
    float scrollFraction() const { return scrollFraction_; }
    int sourceX() const { return SourceX(width(), scrollFraction_); }
    bool dragging() const { return dragging_; }
    // The grid as last drawn, and how often it was drawn.
    const QImage& grid() const { return grid_; }
    int gridRenders() const { return gridRenders_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int travel() const { return width() - thumbRect_.width(); }
    int viewHeight() const { return std::max(0, height() - kBarHeight); }
    // Puts the thumb's left edge at `left`, kept on the track, and scrolls with it.
    void placeThumb(int left);
    void renderGrid(qreal ratio);
    void updateAccessibleName();

    QStringList items_;
    QString caption_;
    QRect thumbRect_;
    float scrollFraction_ = 0;
    bool dragging_ = false;
    int lastX_ = 0;
    QImage grid_;
    int gridRenders_ = 0;
};

}  // namespace controls
