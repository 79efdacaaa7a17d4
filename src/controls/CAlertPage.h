#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "platform/MessageWindow.h"

namespace controls {

class CApproButton;
class CIconButton;

// What the alert and help side pages share: a white page with rounded corners (440 x 240 unless
// told otherwise), caption buttons in one look, the close cross, OK = 1 and Cancel = 2 as
// results, Enter pressing the default button and Escape acting as the cross. Pages receive
// the messages of their own controls (a help link asking for the next page).
class CAlertPage : public platform::MessageWindow<QDialog> {
    Q_OBJECT
public:
    static constexpr QSize kSize{440, 240};
    static constexpr QPoint kOverlayOffset{210, 200};  // centred on the wizard
    static constexpr QRect kCrossRect{416, 10, 14, 14};

    CIconButton* crossButton() const { return cross_; }
    // The button Enter presses when no button has the focus.
    CApproButton* defaultButton() const { return default_; }

    void accept() override;
    void reject() override;

protected:
    CAlertPage(QWidget* owner, const QString& objectName, QSize size = kSize);

    // A caption button whose click ends the page with `result`.
    CApproButton* AddButton(int id, const char16_t* key, const char16_t* fallback, QRect rect,
                            int result);
    CIconButton* AddCross(int id, QRect rect = kCrossRect);
    void setDefaultButton(CApproButton* button) { default_ = button; }

    // Runs the page modally, deletes it and returns 1 (OK) or 2 (Cancel).
    static int RunModal(CAlertPage* page);

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CIconButton* cross_ = nullptr;
    CApproButton* default_ = nullptr;
};

}  // namespace controls
