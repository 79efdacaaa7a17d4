#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <array>

#include "controls/ResourcePicture.h"

namespace controls {

// The busy indicator: a caption with "..." and a spinning picture beside it, centred as a group.
class CLoadingStatic : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFirstFrameId = 4074;
    static constexpr int kFrameCount = 8;
    static constexpr int kLastStep = 500;
    static constexpr int kTextSize = 13;
    static constexpr int kSpacing = 8;  // between caption and picture
    static constexpr QColor kAccent{42, 169, 209};

    explicit CLoadingStatic(QWidget* parent = nullptr);

    // The caption; "..." is appended when drawn.
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

    // Restarts the animation from the first frame with a timer of `periodMs`.
    void start(int periodMs = 200);
    void stop();
    bool isRunning() const { return timer_.isActive(); }

    // One timer step: advances the counter and repaints; stops for good at kLastStep.
    void step();
    int counter() const { return counter_; }
    int frame() const { return counter_ % kFrameCount; }

    // Caption and picture rectangles, centred together in `area`.
    struct Layout {
        QRect text;
        QRect picture;
    };
    static Layout Arrange(const QRect& area, const QSize& textSize, const QSize& pictureSize,
                          int spacing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QSize pictureSize() const;

    QString caption_;
    std::array<ResourcePicture, kFrameCount> frames_;
    QBasicTimer timer_;
    int counter_ = 0;
};

}  // namespace controls
