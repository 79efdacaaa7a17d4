#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>

#include "controls/ResourcePicture.h"
#include "platform/WindowMessage.h"
#include "shell/Messages.h"

class QPainter;

namespace controls {

// The state a picture button draws: 0 disabled, 1 normal, 2 pressed or latched, 3 hover.
int ButtonState(bool enabled, bool latched, bool pressed, bool hovered);

// The window that receives a control's messages: `widget` itself or its nearest ancestor that
// is a message window; 0 when there is none.
platform::WindowId MessageTargetOf(const QWidget* widget);

// What the wizard's picture buttons share: the state rule, four picture slots, the background
// mode, check and radio modes with their 1127 message, a web address and the hand cursor.
// Subclasses only decide what each state draws.
class CStateButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr std::uint32_t kLatchMessage = msg::kLatched;
    static constexpr std::intptr_t kCheckNotice = 4;
    static constexpr int kSlotCount = 4;

    enum BackgroundMode { kPictures = 0, kCaptionOnly = 1, kGradient = 2 };
    enum class Mode { kPush, kCheck, kRadio };

    CStateButton(int controlId, QWidget* parent);

    int controlId() const { return controlId_; }
    int state() const;

    // Fills a slot from the picture of a resource id, drawn at the density of the screen the
    // button is on; false for a bad slot or a missing picture.
    bool LoadStateImage(int slot, int resourceId);
    // All four slots at once (disabled, normal, pressed, hover), drawn as pictures.
    void LoadStateImages(const std::array<int, 4>& resourceIds);
    // A picture made elsewhere, drawn as given.
    void setStateImage(int slot, const QImage& image);
    // The slot's picture as last loaded.
    const QImage& stateImage(int slot) const;

    void setBackgroundMode(int mode);
    int backgroundMode() const { return backgroundMode_; }

    bool isLatched() const { return latched_; }
    void setLatched(bool latched);

    // A click toggles the latch; with `notify` it also posts 1127 with 4.
    void setCheckMode(bool notify);
    // A click latches the button and, when it was not latched yet, posts 1127 with `value`.
    void setRadioMode(std::intptr_t value);
    // Back to a plain push button.
    void setPushMode();
    Mode mode() const { return mode_; }

    // Opened in the browser on every click, before anything else happens.
    void setWebAddress(const QString& address) { webAddress_ = address; }
    const QString& webAddress() const { return webAddress_; }

    // Sends the button's messages somewhere other than its nearest message window.
    void setMessageTarget(platform::WindowId target) { messageTarget_ = target; }

    // The caption's font (Verdana, else Arial).
    virtual QFont captionFont() const = 0;

protected:
    // Draws the face for `state` over the whole client rectangle; the caption follows.
    virtual void drawFace(QPainter& painter, int state) = 0;
    virtual void drawCaption(QPainter& painter);

    // Where this button's messages go.
    platform::WindowId messageTarget() const;

    // Draws a slot stretched to the client rectangle; nothing when the slot is empty.
    void drawSlot(QPainter& painter, int slot, qreal opacity = 1.0);
    void drawGradient(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    // Enter presses the focused button, as Space does: the page's default button only takes
    // Enter when no button has the focus.
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void onClicked();
    void post(std::intptr_t wParam);

    int controlId_;
    bool hovered_ = false;
    bool latched_ = false;
    int backgroundMode_ = kPictures;
    Mode mode_ = Mode::kPush;
    bool notify_ = false;
    std::intptr_t radioValue_ = 0;
    QString webAddress_;
    platform::WindowId messageTarget_ = 0;
    std::array<ResourcePicture, kSlotCount> slots_;
};

}  // namespace controls
