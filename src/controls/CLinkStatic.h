#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

#include "controls/ResourcePicture.h"

namespace controls {

// Where a link's parts go inside the control.
struct LinkLayout {
    QRect icon;     // empty without an icon
    QRect text;     // the laid-out text
    QRect hotRect;  // the text, with a trailing icon
    QRect hotArea;  // what reacts to the mouse
};

// Lays a link out. `textSize` is the size of the laid-out text; `firstLineHeight` the height
// of its first line. With `iconLeft` the icon is a 24 × 24 square at the top-left, the text
// starts 26 pixels to the right and only the 20 × 20 square at the top-left reacts; otherwise
// an icon follows the text and the hot rectangle reacts. Text on one line is centred
// vertically in the control; wrapped text starts at the top; in iconLeft mode the first line
// sits on the icon row.
LinkLayout LayoutLink(QSize control, QSize textSize, int firstLineHeight, bool hasIcon,
                      QSize iconSize, bool iconLeft, bool wraps);

// A help link of a page: a text, optionally with an icon, that asks the page for the overlay
// of its kind when pressed (message 1125, wParam the kind). Kind −1 keeps the hand cursor but
// asks for nothing. Tab reaches it; Enter or Space then press it as the mouse does.
class CLinkStatic : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInert = -1;
    static constexpr int kIconSide = 24;
    static constexpr int kTextIndent = 26;
    static constexpr int kIconHotSide = 20;

    explicit CLinkStatic(QWidget* parent, int kind = kInert);

    void setText(const QString& text);
    QString text() const { return text_; }

    // Verdana (Arial when missing) unless told otherwise.
    void setTextFont(int pixelSize, bool bold, const QString& family = QStringLiteral("Verdana"));
    QFont textFont() const { return font_; }

    void setColor(const QColor& color);
    QColor color() const { return color_; }

    void setIcon(int resourceId);
    void setIcon(const QImage& icon);
    void setIconLeft(bool iconLeft);
    bool iconLeft() const { return iconLeft_; }

    void setKind(int kind) { kind_ = kind; }
    int kind() const { return kind_; }

    // The clickable area of the laid-out text; in iconLeft mode only hotArea reacts.
    QRect hotRect() const { return layout().hotRect; }
    QRect hotArea() const { return layout().hotArea; }
    QRect textRect() const { return layout().text; }

protected:
    // Whether the text wraps within the control's width.
    virtual bool wraps() const { return false; }
    // The layout for the control's current size; a hidden control gets no resize events.
    const LinkLayout& layout() const;

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // What a press in the hot area does.
    void activate();
    // Forgets the layout after a change of text, font or icon.
    void relayout();
    int textFlags() const;
    QSize iconSize() const;
    int trailingIconRoom() const;

    QString text_;
    QFont font_;
    QColor color_{42, 169, 209};
    ResourcePicture icon_;
    bool iconLeft_ = false;
    int kind_;
    mutable LinkLayout layout_;
    mutable QSize laidOutFor_;
};

}  // namespace controls
