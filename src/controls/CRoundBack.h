#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace controls {

// A rounded panel: its fill inside a rounded outline, with an optional caption at the left.
class CRoundBack : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCaptionInset = 5;
    static constexpr int kDefaultCaptionSize = 14;

    explicit CRoundBack(QWidget* parent);

    void setFillColor(const QColor& color);
    void setOutline(qreal radius, const QColor& pen, qreal penWidth);

    void setCaption(const QString& caption);
    const QString& caption() const { return caption_; }
    void setCaptionColor(const QColor& color);
    void setCaptionFont(int pixelSize, bool bold = false,
                        const QString& family = QStringLiteral("Verdana"));

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_{Qt::white};
    qreal radius_ = 0;
    QColor pen_{Qt::transparent};
    qreal penWidth_ = 0;
    QString caption_;
    QColor captionColor_{Qt::black};
    int captionSize_ = kDefaultCaptionSize;
    bool captionBold_ = false;
    QString captionFamily_ = QStringLiteral("Verdana");
};

}  // namespace controls
