#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>

#include "controls/ResourcePicture.h"

// The busy window a page shows while its worker talks to the recorder: a dark rounded box with a
// spinner and a short text, centred on the page's lower half. It closes itself on the first
// 100 ms tick that finds the caller's busy word at 0, or once the tick limit is reached; the
// user cannot close it.
class CWaitingPage final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlainMode = -1;
    static constexpr int kFormattingMode = 0;  // any mode but the plain one

    static constexpr int kTickMs = 100;
    static constexpr int kFrameCount = 8;
    static constexpr int kFirstFrameId = 4060;

    static constexpr int kExtraWidth = 113;  // spinner and margins around the text
    static constexpr int kHeight = 86;
    static constexpr QPoint kPageCentre{430, 275};  // x: the centre, y: the top
    static constexpr int kCornerEllipse = 15;
    static constexpr int kOpacity = 180;  // of 255, over black

    static constexpr QRect kSpinnerRect{28, 23, 40, 40};
    static constexpr int kTextLeft = 83;
    static constexpr int kTextTop = 35;
    static constexpr int kTextSize = 14;
    static constexpr QColor kTextColor{255, 255, 255};

    // `busy` is read once per tick and must outlive the window; `origin` is the screen position
    // of the calling page.
    CWaitingPage(QWidget* parent, const std::atomic<std::int32_t>& busy, int waitTicks,
                 QPoint origin, int mode = kPlainMode);

    // The text of a mode, as shown.
    static QString TextOf(int mode);

    QString text() const { return text_; }
    int tick() const { return tick_; }
    // The spinner frame shown, 0..7.
    int frame() const { return frame_; }

    void reject() override;

signals:
    // After each tick has shown its frame, before the window decides whether to close.
    void ticked(int tick);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void step();
    void finish();

    const std::atomic<std::int32_t>& busy_;
    const int waitTicks_;
    QString text_;
    std::array<controls::ResourcePicture, kFrameCount> frames_;
    QImage beneath_;  // the window under the box, as it looked when the box opened
    QBasicTimer timer_;
    int tick_ = 0;
    int frame_ = 0;
    bool finished_ = false;
};
