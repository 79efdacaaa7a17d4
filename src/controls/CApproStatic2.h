#pragma once

#include <QImage>

#include "controls/CApproStatic.h"

namespace controls {

// A CApproStatic for text that changes often (the waiting page's caption): it keeps the page
// background it covered at its first paint and repaints over that copy alone, so a new text
// never makes the page below repaint.
class CApproStatic2 : public CApproStatic {
    Q_OBJECT
public:
    explicit CApproStatic2(QWidget* parent);

    // Takes a fresh copy at the next paint (after the page's background changed).
    void forgetBackground() { background_ = QImage(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void captureBackground(qreal ratio);

    QImage background_;
};

}  // namespace controls
