#pragma once

#include <QString>
#include <QVector>

#include "controls/CAlertPage.h"

class QTextEdit;

// The terms and conditions of the cloud service: the language pack's licence texts in a
// read-only box that scrolls. It only closes.
class CTermPage final : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kSize{700, 540};
    static constexpr QPoint kOverlayOffset{80, 50};
    static constexpr QRect kTextRect{20, 40, 660, 477};
    static constexpr QRect kCrossRect{671, 15, 14, 14};
    static constexpr QRect kCloseRect{291, 477, 118, 43};
    static constexpr int kTextId = 1053;
    static constexpr int kCrossId = 2;
    static constexpr int kCloseId = 1;
    static constexpr int kTitleTwips = 324;
    static constexpr int kBodyTwips = 196;

    // One piece of the text, in its weight and height (twips, as the licence was laid out).
    struct Piece {
        QString text;
        bool bold = false;
        int twips = kBodyTwips;
    };
    // The pieces in order from the active pack: the title, three paragraphs, then eight
    // sections, each a bold heading with its body on the same line. The texts are shown as
    // they stand, never read as markup.
    static QVector<Piece> Pieces();

    explicit CTermPage(QWidget* owner);

    // Runs the page modally at `overlayTopLeft` + kOverlayOffset; always 1 (OK).
    static int Run(QWidget* owner, QPoint overlayTopLeft);

    QTextEdit* textBox() const { return text_; }

private:
    QTextEdit* text_;
};
