#pragma once

#include <QColor>

#include <array>

#include "controls/CAlertPage.h"

namespace controls {
class CApproStatic;
class CImageBox;
class CRectStatic;
}  // namespace controls

// The MAC location help: the recorder's label as printed on its bottom, with the chosen
// recorder's MAC written in and framed. Whatever ends it, the selection page goes on as before.
class CMacDisplayPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{540, 340};
    static constexpr QPoint kOverlayOffset{160, 150};
    static constexpr QRect kCrossRect{511, 15, 14, 14};
    static constexpr int kCrossId = 2;

    // A text wider than kNarrowText.width() moves left and takes the wide box.
    static constexpr QRect kNarrowText{90, 30, 450, 40};
    static constexpr QRect kWideText{40, 30, 500, 40};
    static constexpr int kTextSize = 15;
    static constexpr QColor kTextColor{72, 72, 72};

    static constexpr int kLabelId = 4019;
    static constexpr QRect kLabelRect{90, 60, 388, 224};

    static constexpr int kLineCount = 4;
    static constexpr int kLineLeft = 178;
    static constexpr int kLineWidth = 200;
    static constexpr int kLineHeight = 15;
    static constexpr std::array<int, kLineCount> kLineTops{129, 147, 163, 195};
    static constexpr int kLineSize = 11;
    static constexpr QColor kLineColor{43, 47, 51};  // the label's print
    static constexpr QRect kHighlightRect{174, 196, 219, 20};

    CMacDisplayPage(QWidget* owner, const QString& macText);

    // Runs the page modally at `overlayTopLeft` + (160, 150); always returns 1 (OK).
    static int Run(QWidget* owner, QPoint overlayTopLeft, const QString& macText);

    QString text() const { return text_; }
    controls::CApproStatic* textLabel() const { return textLabel_; }
    controls::CImageBox* label() const { return label_; }
    controls::CApproStatic* line(int index) const { return lines_.at(index); }
    controls::CRectStatic* highlight() const { return highlight_; }

private:
    QString text_;
    controls::CApproStatic* textLabel_;
    controls::CImageBox* label_;
    controls::CRectStatic* highlight_;
    std::array<controls::CApproStatic*, kLineCount> lines_{};
};
