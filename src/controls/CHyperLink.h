#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include <cstdint>

#include "shell/Messages.h"

namespace controls {

// A text link whose click the parent hears about (message 1140); the cloud step uses it.
class CHyperLink : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint32_t kClickedMessage = msg::kHyperLinkClicked;

    explicit CHyperLink(QWidget* parent);

    void setText(const QString& text);
    QString text() const { return text_; }

    // Verdana (Arial when missing).
    void setTextFont(int pixelSize, bool bold = false, bool underline = true);
    QFont textFont() const { return font_; }

    void setColor(const QColor& color);
    QColor color() const { return color_; }

    void setAlignment(Qt::Alignment alignment);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QFont font_;
    QColor color_{42, 169, 209};
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
    bool pressed_ = false;
};

}  // namespace controls
