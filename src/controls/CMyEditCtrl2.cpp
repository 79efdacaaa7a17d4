#include "controls/CMyEditCtrl2.h"

#include <QPainter>
#include <QProxyStyle>

#include "controls/Fonts.h"

namespace controls {
namespace {

constexpr int kFramedMargin = 6;

// Masks with a black circle on every platform style.
class MaskStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) {
            return CMyEditCtrl2::kMask.unicode();
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

CMyEditCtrl2::CMyEditCtrl2(int controlId, QWidget* parent)
    : QLineEdit(parent), controlId_(controlId) {
    setObjectName(QStringLiteral("id%1").arg(controlId));
    auto* style = new MaskStyle;
    style->setParent(this);
    setStyle(style);
    setFrame(false);
    setFont(UiFont(kDefaultTextSize));
    setFocusPolicy(Qt::StrongFocus);
}

void CMyEditCtrl2::setPasswordMode(bool on) {
    setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void CMyEditCtrl2::setTextSize(int pixelSize, bool bold) {
    setFont(UiFont(pixelSize, bold));
}

void CMyEditCtrl2::setFramed(bool framed) {
    framed_ = framed;
    const int margin = framed ? kFramedMargin : 0;
    setTextMargins(margin, 0, margin, 0);
    update();
}

void CMyEditCtrl2::setError(bool error) {
    if (error_ != error) {
        error_ = error;
        update();
    }
}

void CMyEditCtrl2::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!framed_ && !error_) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (error_) {
        // The red error frame: 2 px, 2-px corners, inside the box.
        painter.setPen(QPen(kErrorFrame, 2.0));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kFrameRadius, kFrameRadius);
        return;
    }
    painter.setPen(QPen(hasFocus() ? kFocusFrame : kFrame, 1.0));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kFrameRadius,
                            kFrameRadius);
}

}  // namespace controls
