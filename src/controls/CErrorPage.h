#pragma once

#include "controls/CAlertPage.h"

#include <optional>

namespace controls {

class CApproButton;
class CErrorStatic;

// The error side page: the opener's text and a Close button. Close ends it with OK, the cross
// and Escape with Cancel.
class CErrorPage final : public CAlertPage {
    Q_OBJECT
public:
    static constexpr QRect kTextRect{30, 44, 380, 107};
    static constexpr QRect kCloseRect{161, 240 - 81, 118, 43};
    static constexpr int kCloseId = 1;
    static constexpr int kCrossId = 2;

    explicit CErrorPage(QWidget* owner);

    void setErrorText(const QString& text);
    QString errorText() const;

    // Runs the page modally over `owner` with `text`, at `topLeft` (screen) when given, else
    // where the platform places a dialog over its owner. Returns 1 (OK) or 2 (Cancel).
    static int Run(QWidget* owner, const QString& text, std::optional<QPoint> topLeft = {});

    CErrorStatic* textLabel() const { return text_; }
    CApproButton* closeButton() const { return close_; }

private:
    CErrorStatic* text_;
    CApproButton* close_;
};

}  // namespace controls
