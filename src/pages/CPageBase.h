#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/MessageWindow.h"
#include "shell/OverlayKinds.h"

class CInterDialog;
namespace controls {
class CApproButton;
class CIconButton;
}  // namespace controls

// What a page shows around its own content.
struct PageLook {
    int backgroundId = 0;  // full-page picture; white where the program has none
    int step = 0;          // position in the step indicator, 0 for none
    const char16_t* titleKey = nullptr;
    const char16_t* titleFallback = u"";
    const char16_t* bodyKey = nullptr;
    const char16_t* bodyFallback = u"";
    bool back = true;  // Back (id 1003)
    bool next = true;  // Next (id 1002)
};

// What every wizard page shares: corner buttons, title, Back and Next, dragging the wizard,
// and the overlay for side pages. Pages talk to the host only through posted messages.
class CPageBase : public platform::MessageWindow<QWidget> {
    Q_OBJECT
public:
    static constexpr int kMinimiseId = 1000;
    static constexpr int kCloseId = 2;
    static constexpr int kNextId = 1002;
    static constexpr int kBackId = 1003;

    CPageBase(CInterDialog& host, const PageLook& look);
    ~CPageBase() override;

    CInterDialog& host() const { return host_; }

    // The close handler: asks the host to close the wizard, then closes this page.
    virtual void onClose();
    virtual void onMinimise();
    virtual void onNext();
    virtual void onBack();

    // Opens the overlay of `kind` and reports its result to onOverlayResult. `sidePage`
    // replaces the kind's own side page.
    int showOverlay(int kind, const overlay::OverlayData& data = {},
                    overlay::SidePage sidePage = {});

    // Reads every text of the page again from the active language.
    virtual void retranslate();

    controls::CApproButton* nextButton() const { return next_; }
    controls::CApproButton* backButton() const { return back_; }

protected:
    void postToHost(std::uint32_t message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    void navigate(std::intptr_t action, std::intptr_t count = 0);

    // The page's own reaction to an overlay's end; pages 6 and 8 go home on OK.
    virtual void onOverlayResult(int kind, int result);
    // The button that Enter presses.
    virtual controls::CApproButton* defaultButton() const { return next_; }

    void messageEvent(platform::WindowMessageEvent& event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    const PageLook& look() const { return look_; }

private:
    void placeNavigationButtons();

    CInterDialog& host_;
    PageLook look_;
    QImage background_;
    QString title_;
    QString body_;
    controls::CIconButton* minimise_ = nullptr;
    controls::CIconButton* close_ = nullptr;
    controls::CApproButton* back_ = nullptr;
    controls::CApproButton* next_ = nullptr;
    bool dragging_ = false;
    QPoint lastCursor_;
};
