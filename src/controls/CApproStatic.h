#pragma once

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QWidget>

namespace controls {

// A one-text label (optionally a second text below it in the regular style) in its own
// colour, family and pixel size. Transparent: the page shows around the letters.
class CApproStatic : public QWidget {
    Q_OBJECT
public:
    enum class Align { Left, Centre, Right };

    static constexpr int kDefaultSize = 14;
    static constexpr int kTitleSize = 32;
    static constexpr int kTahomaSize = 14;

    explicit CApproStatic(QWidget* parent);

    void setText(const QString& text);
    const QString& text() const { return text_; }
    void setSecondText(const QString& text);
    const QString& secondText() const { return second_; }

    void setTextColor(const QColor& color);
    void setFontFamily(const QString& family);
    void setPixelSize(int pixelSize);
    void setBold(bool bold);
    void setUnderline(bool underline);
    void setAlignment(Align align);
    Align alignment() const { return align_; }
    void setVerticalCentre(bool centre);

    // The presets pages use.
    void useVerdana(int pixelSize, bool bold = false);
    void useTahoma14Bold();
    void useVerdana32();

    // The first text's font, with Verdana and Tahoma falling back to Arial.
    QFont textFont() const;
    QColor textColor() const { return color_; }

    // The size of the text with "..." appended, so a page can size the label or shorten it.
    QSizeF measureText() const;

    // `text` unchanged when it fits `width` in `font`, else its longest start that fits with
    // "..." appended.
    static QString ElideToWidth(const QString& text, const QFont& font, qreal width);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Draws both texts; the paint code of CApproStatic2 shares it.
    void drawTexts(QPainter& painter) const;

private:
    QString text_;
    QString second_;
    QColor color_{Qt::black};
    QString family_ = QStringLiteral("Verdana");
    int pixelSize_ = kDefaultSize;
    bool bold_ = false;
    bool underline_ = false;
    Align align_ = Align::Left;
    bool verticalCentre_ = false;
};

}  // namespace controls
