#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

#include "controls/CAlertPage.h"
#include "platform/WindowMessage.h"
#include "shell/CameraPasswordExchange.h"

namespace controls {
class CApproButton;
class CApproStatic;
class CMyEditCtrl2;
class CRoundBack;
}  // namespace controls

// What the camera step hands a password page.
struct CameraPasswordRequest {
    QWidget* step = nullptr;        // the camera step's page: its picture and its position
    platform::WindowId stepId = 0;  // where the request is posted
    QString cameraName;             // fills "[Camera Name]"
    std::shared_ptr<CameraPasswordExchange> exchange;
};

// The look and the wait both camera password pages share: the camera step under a dark veil, a
// panel with the prompt, the boxes and OK, and a 500 ms watch of the step's verdict. OK ends
// the page once the step accepted; the cross and Escape end it with Cancel.
class CCameraPwdPanel : public controls::CAlertPage {
    Q_OBJECT
public:
    static constexpr QSize kPageSize{860, 640};
    static constexpr QSize kPanelSize{500, 300};
    static constexpr QPoint kPanel{(860 - 500) / 2, (640 - 300) / 2};
    static constexpr int kVeilOpacity = 153;
    static constexpr QColor kPanelOutline{230, 230, 230};
    static constexpr int kOkId = 1037;
    static constexpr int kCrossId = 2;
    static constexpr int kWatchMs = 500;
    static constexpr QSize kFrameSize{160, 30};
    static constexpr QSize kEditSize{150, 20};
    static constexpr int kEditTextSize = 17;

    // Relative to the panel.
    static constexpr QRect kCrossRect{476, 10, 14, 14};
    static constexpr QRect kOkRect{191, 207, 118, 43};
    static constexpr QRect kPromptRect{48, 50, 457 - 48, 100 - 50};

    controls::CApproButton* okButton() const { return ok_; }
    controls::CApproStatic* prompt() const { return prompt_; }
    bool waiting() const { return watch_.isActive(); }
    // The error text shown for the last refusal, kept for tests.
    QString lastError() const { return lastError_; }

protected:
    CCameraPwdPanel(const CameraPasswordRequest& request, const QString& objectName,
                    const QString& prompt);

    // A password row: label, frame and box at panel positions.
    controls::CMyEditCtrl2* addRow(int id, const QString& label, QRect labelRect, int labelSize,
                                   QPoint frame, QPoint edit);
    // The page's checks of what was typed; an error text, or empty to send `password()`.
    virtual QString check() const = 0;
    virtual QString password() const = 0;
    // The request posted to the camera step, and the text shown when it says no.
    virtual std::uint32_t requestMessage() const = 0;
    virtual QString refusalText() const = 0;

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    static QRect OnPanel(QRect rect) { return rect.translated(kPanel); }
    // Runs `page` modally over the camera step it was made for and deletes it.
    static int RunOverStep(CCameraPwdPanel* page, const CameraPasswordRequest& request);

private:
    void submit();
    void showError(const QString& text);

    CameraPasswordRequest request_;
    QImage veil_;
    controls::CApproButton* ok_ = nullptr;
    controls::CApproStatic* prompt_ = nullptr;
    controls::CMyEditCtrl2* firstBox_ = nullptr;
    QBasicTimer watch_;
    QString lastError_;
};
