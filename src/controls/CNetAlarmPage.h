#pragma once

#include <QTextOption>

#include "controls/CAlertPage.h"

namespace controls {

class CApproButton;

// How the notice breaks its lines: Chinese and Japanese break between any two characters.
QTextOption::WrapMode NetAlarmWrapMode(int languageIndex);

// The Internet alert of the camera step: without the Internet the cloud service cannot be
// used. OK ends it with OK; the cross and Escape with Cancel.
class CNetAlarmPage final : public CAlertPage {
    Q_OBJECT
public:
    // The titles and texts end inside the page and above the button.
    static constexpr QRect kTitleRect{94, 43, 420 - 94, 80 - 43};
    static constexpr QRect kTextRect{54, 80, 386 - 54, 156 - 80};
    static constexpr QRect kOkRect{161, 160, 118, 43};
    static constexpr int kTitleSize = 18;
    static constexpr int kTextSize = 14;
    static constexpr QColor kTitleColor{255, 0, 0};
    static constexpr QColor kTextColor{0x66, 0x66, 0x66};
    static constexpr int kOkId = 1;
    static constexpr int kCrossId = 2;

    explicit CNetAlarmPage(QWidget* owner);

    // Runs the page modally at `overlayTopLeft` + (210, 200); returns 1 (OK) or 2 (Cancel).
    static int Run(QWidget* owner, QPoint overlayTopLeft);

    QString title() const { return title_; }
    QString text() const { return text_; }  // with its emphasis markers
    CApproButton* okButton() const { return ok_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString text_;
    QTextOption::WrapMode wrap_;
    CApproButton* ok_;
};

}  // namespace controls
