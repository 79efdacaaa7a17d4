#pragma once

#include <QColor>
#include <QLineEdit>

namespace controls {

// The wizard's edit box: a line edit in the wizard's font that can mask its text with U+25CF
// and draw its own rounded frame, grey or, to show a form error, red.
class CMyEditCtrl2 : public QLineEdit {
    Q_OBJECT
public:
    static constexpr QChar kMask{0x25CF};
    static constexpr QColor kFrame{192, 192, 192};
    static constexpr QColor kFocusFrame{42, 169, 209};
    static constexpr QColor kErrorFrame{255, 0, 0};
    static constexpr int kFrameRadius = 2;
    static constexpr int kDefaultTextSize = 16;

    CMyEditCtrl2(int controlId, QWidget* parent);

    int controlId() const { return controlId_; }

    void setPasswordMode(bool on);
    bool isPasswordMode() const { return echoMode() == QLineEdit::Password; }
    // Verdana (Arial where missing) at `pixelSize`.
    void setTextSize(int pixelSize, bool bold = false);
    // Off when the page puts the box inside a frame of its own.
    void setFramed(bool framed);
    bool isFramed() const { return framed_; }
    void setError(bool error);
    bool hasError() const { return error_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int controlId_;
    bool framed_ = false;
    bool error_ = false;
};

}  // namespace controls
