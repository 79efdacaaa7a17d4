#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace controls {

class CApproButton;
class CIconButton;

// What the alert side pages share: a white 440 x 240 page with rounded corners, caption
// buttons in one look, the close cross, OK = 1 and Cancel = 2 as results, Enter pressing the
// default button and Escape acting as the cross.
class CAlertPage : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{440, 240};
    static constexpr QPoint kOverlayOffset{210, 200};  // centred on the wizard
    static constexpr QRect kCrossRect{416, 10, 14, 14};

    CIconButton* crossButton() const { return cross_; }

    void accept() override;
    void reject() override;

protected:
    CAlertPage(QWidget* owner, const QString& objectName);

    // A caption button whose click ends the page with `result`.
    CApproButton* AddButton(int id, const char16_t* key, const char16_t* fallback, QRect rect,
                            int result);
    void AddCross(int id);
    void setDefaultButton(CApproButton* button) { default_ = button; }

    // Runs the page modally, deletes it and returns 1 (OK) or 2 (Cancel).
    static int RunModal(CAlertPage* page);

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CIconButton* cross_ = nullptr;
    CApproButton* default_ = nullptr;
};

}  // namespace controls
