#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include "controls/ResourcePicture.h"

class QTextLayout;

namespace controls {

// A run of a label's text; emphasised runs are drawn bold.
struct TextSegment {
    QString text;
    bool emphasised = false;
    bool operator==(const TextSegment&) const = default;
};

// The margins between the background box and the text; the bottom margin equals the top.
struct BoxMargins {
    int left = 0;
    int top = 0;
    int right = 0;
};

// A multi-line label that wraps its text to its width, optionally after a small picture and
// over a rounded box of its own colour (the red error labels).
class CBaseStatic : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultSize = 14;
    static constexpr int kPictureGap = 6;
    static constexpr qreal kAlternativePitch = 1.35;

    explicit CBaseStatic(QWidget* parent);

    void setText(const QString& text);
    const QString& text() const { return text_; }

    // Any alpha is kept: the error labels give ARGB colours.
    void setTextColor(const QColor& color);
    void setFontFamily(const QString& family);
    void setPixelSize(int pixelSize);
    void setBold(bool bold);
    QFont textFont() const;

    // A picture drawn before the first line; the text keeps clear of it on every line.
    bool LoadPicture(int resourceId);
    void setPicture(const QImage& picture);

    void setBox(const QColor& fill, int radius, const BoxMargins& margins);
    void clearBox();

    // Chinese and Japanese texts: a taller line pitch for their glyphs, and any character may
    // end a line (they have no spaces between words).
    void setAlternativeLineLayout(bool alternative);
    bool alternativeLineLayout() const { return alternative_; }

    // A fixed distance between lines; 0 (the default) takes the font's own.
    void setLineHeight(int pixels);

    // The height the text needs at the label's width, box margins included.
    int contentHeight() const;
    // The number of lines the text takes at the label's width.
    int lineCount() const;
    // Where each laid-out line's letters are, in the label's coordinates.
    QList<QRect> lineRects() const;

protected:
    // The runs to draw; the plain label has one.
    virtual QList<TextSegment> segments() const;
    // The text without markup, for assistive tools.
    virtual QString plainText() const { return text_; }

    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
    // Lays the runs out in `width`; returns the height used.
    qreal layOut(QTextLayout& layout, qreal width) const;

    QString text_;
    QColor color_{Qt::black};
    QString family_ = QStringLiteral("Verdana");
    int pixelSize_ = kDefaultSize;
    bool bold_ = false;
    ResourcePicture picture_;
    bool boxed_ = false;
    QColor boxFill_;
    int boxRadius_ = 0;
    BoxMargins margins_;
    bool alternative_ = false;
    int lineHeight_ = 0;
};

}  // namespace controls
