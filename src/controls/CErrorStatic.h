#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace controls {

// The error page's text: grey on white, wrapped and centred in the control.
class CErrorStatic : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPixelSize = 14;
    static constexpr QColor kTextColor{102, 102, 102};

    explicit CErrorStatic(QWidget* parent);

    void setText(const QString& text);
    QString text() const { return text_; }

    // Verdana (Arial when missing).
    void setTextFont(int pixelSize, bool bold = false);
    QFont textFont() const { return font_; }

    void setColor(const QColor& color);
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QFont font_;
    QColor color_ = kTextColor;
};

}  // namespace controls
