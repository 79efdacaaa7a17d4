#pragma once

#include <QImage>
#include <QWidget>

namespace controls {

// The preview's picture: the last frame, stretched over the control; nothing (the page's white)
// before the first frame and after one that did not decode.
class CPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1210;

    explicit CPreview(QWidget* parent);

    void setFrame(const QImage& frame);
    const QImage& frame() const { return frame_; }
    int frames() const { return frames_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage frame_;
    int frames_ = 0;
};

}  // namespace controls
