#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "controls/ResourcePicture.h"

class QScrollBar;

namespace controls {

// A slim vertical scroll bar laid over a list view, driving the view's own (hidden) scroll bar.
class CListCtrlVScrollbar : public QWidget {
    Q_OBJECT
public:
    static constexpr QColor kTrack{241, 241, 241};
    static constexpr QColor kThumb{180, 188, 195};
    static constexpr QColor kThumbActive{150, 160, 168};
    static constexpr int kMinThumbLength = 24;
    static constexpr int kSlimWidth = 6;

    struct Thumb {
        int top = 0;
        int length = 0;
    };
    enum class Zone { Above, Thumb, Below };

    // The thumb on a track of `track` pixels for a scroll range and page; without a range the
    // thumb fills the track.
    static Thumb ThumbOf(int track, int minimum, int maximum, int pageStep, int value,
                         int minLength = kMinThumbLength);
    // The scroll value that puts the thumb's top at `thumbTop`.
    static int ValueAt(int thumbTop, int track, int thumbLength, int minimum, int maximum);
    static Zone ZoneAt(int y, const Thumb& thumb);

    explicit CListCtrlVScrollbar(QWidget* parent = nullptr);

    // Takes over the view's vertical scrolling: the view's own bar is hidden and item views
    // scroll per pixel, so a dragged thumb moves the rows by exactly the pixels it stands for.
    void attach(QAbstractScrollArea* view);
    QAbstractScrollArea* view() const { return view_; }

    // The thumb's picture (PNG 3053 on the wizard's lists); a plain grey thumb without one.
    void setThumbImage(int resourceId);
    // Back to the top.
    void reset();

    Thumb thumb() const;
    bool canScroll() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QScrollBar* bar() const;

    QPointer<QAbstractScrollArea> view_;
    ResourcePicture thumbImage_;
    int grabOffset_ = -1;  // where the thumb was grabbed, -1 when not dragging
};

}  // namespace controls
