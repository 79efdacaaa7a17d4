#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

namespace controls {

// The words the panel shows around the account values; the page looks them up.
struct SummaryLabels {
    QString recorder;  // the recorder header
    QString cloud;     // the cloud header
    QString cameras;   // the cameras header
    QString password;  // both password labels
    QString email;     // the e-mail label
};

// The panel under the summary's description: a header box for the recorder, the cloud account
// and the cameras, two dividing lines, the recorder password and, with a cloud account, its
// e-mail and password, all in clear text. The camera names are the strip's, beside it.
class CSummaryTable final : public QWidget {
    Q_OBJECT
public:
    static constexpr QRect kRecorderHeader{30, 28, 93, 32};
    static constexpr QRect kCloudHeader{30, 74, 93, 32};
    static constexpr QRect kCamerasHeader{30, 120, 93, 32};
    static constexpr QColor kHeaderColour{210, 210, 210};
    static constexpr QColor kLineColour{248, 248, 248};
    static constexpr QColor kLabelColour{99, 101, 102};
    static constexpr QColor kValueColour{42, 169, 209};
    static constexpr int kFirstLineY = 67;
    static constexpr int kSecondLineY = 111;
    static constexpr int kLineLeft = 140;
    static constexpr int kLineRight = 680;  // the first pixel past the lines
    static constexpr int kTextSize = 14;
    static constexpr int kHeaderTextSize = 15;
    static constexpr int kRecorderHeaderTextSize = 14;
    // A value too wide for its place is drawn smaller, down to this, before it is shortened.
    static constexpr int kSmallestValueSize = 10;

    // Where the rows' texts go for the measured widths of the three labels.
    struct Layout {
        QRect passwordLabel;
        QRect passwordValue;
        QRect emailLabel;
        QRect emailValue;
        QRect cloudPasswordLabel;
        QRect cloudPasswordValue;
    };
    static Layout LayoutFor(int passwordWidth, int emailWidth, int cloudPasswordWidth);

    // A value as it is drawn: in its font, shortened only when even the smallest size is too
    // wide for `width`.
    struct Fitted {
        QString text;
        QFont font;
        bool whole = true;  // nothing was left out
    };
    static Fitted Fit(const QString& value, const QFont& font, int width);

    // How far text sits in from the sides of its rectangle: a measured label leaves that much
    // on each side, so a value placed after it keeps clear of it.
    static qreal Inset(const QFont& font);
    // A label's width in whole pixels, its insets included.
    static int MeasuredWidth(const QString& label, const QFont& font);

    explicit CSummaryTable(QWidget* parent);

    void setLabels(const SummaryLabels& labels);
    void setAccount(const QString& adminPassword, const QString& cloudEmail,
                    const QString& cloudPassword);

    // The cloud header and row show only with an e-mail address.
    bool showsCloud() const { return !cloudEmail_.isEmpty(); }
    const Layout& layout() const { return layout_; }
    // The recorder password, the e-mail and the cloud password as drawn.
    const Fitted& fittedValue(int index) const { return fitted_.at(static_cast<size_t>(index)); }
    // What the panel says, line by line, for screen readers and the tooltip.
    QString spokenText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Measures, places and fits everything again after a text changed.
    void relayout();
    void drawHeader(QPainter& painter, const QRect& box, const QString& text, int size) const;
    void drawText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                  const QColor& colour) const;

    SummaryLabels labels_;
    QString adminPassword_;
    QString cloudEmail_;
    QString cloudPassword_;
    QFont textFont_;
    Layout layout_;
    std::array<Fitted, 3> fitted_;
};

}  // namespace controls
