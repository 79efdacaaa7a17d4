#pragma once

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "controls/ResourcePicture.h"
#include "platform/MessageWindow.h"
#include "shell/OverlayKinds.h"

class CInterDialog;
namespace controls {
class CApproButton;
class CBaseStatic2;
class CIconButton;
class CLinkStatic;
class CTitleStatic;
}  // namespace controls

// How a page shows its body text.
enum class BodyKind {
    Label,  // a rich-text label
    Link,   // a help link with an icon that asks for an overlay
};

// What a page shows around its own content.
struct PageLook {
    static constexpr QRect kBodyRect{76, 378, 750 - 76, 450 - 378};
    static constexpr QColor kBodyColour{72, 72, 72};
    static constexpr int kBodySize = 14;

    int backgroundId = 0;  // full-page picture; white where the program has none
    int step = 0;          // position in the step indicator, 0 for none
    const char16_t* titleKey = nullptr;
    const char16_t* titleFallback = u"";
    const char16_t* bodyKey = nullptr;
    const char16_t* bodyFallback = u"";
    bool back = true;  // Back (id 1003)
    bool next = true;  // Next (id 1002)
    QRect bodyRect = kBodyRect;
    BodyKind bodyKind = BodyKind::Label;
    QColor bodyColour = kBodyColour;
    int bodySize = kBodySize;
    int bodyLineHeight = 0;  // 0: the font's own
    bool bodyGrows = false;  // the body's height follows its laid-out text
    int bodyIcon = 0;        // the link's icon
    int bodyLinkKind = -1;   // the overlay kind the link asks for
};

// What every wizard page shares: corner buttons, title and body, Back and Next, the version,
// dragging the wizard, the keyboard, and the overlay for side pages. Pages talk to the host only
// through posted messages.
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
    controls::CIconButton* minimiseButton() const { return minimise_; }
    controls::CIconButton* closeButton() const { return close_; }
    controls::CTitleStatic* titleLabel() const { return title_; }
    // The body as a label or as a link; null when the page shows the other kind or none.
    controls::CBaseStatic2* bodyLabel() const { return bodyLabel_; }
    controls::CLinkStatic* bodyLink() const { return bodyLink_; }
    // Where the body sits now; a growing body is as tall as its text.
    QRect bodyGeometry() const;

    // The focus chain from the page's own content to the corner buttons.
    QList<QWidget*> tabOrder() const;

protected:
    void postToHost(std::uint32_t message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    void navigate(std::intptr_t action, std::intptr_t count = 0);

    // The page's own reaction to an overlay's end; pages 6 and 8 go home on OK.
    virtual void onOverlayResult(int kind, int result);
    // The button that Enter presses when no button has the focus.
    virtual controls::CApproButton* defaultButton() const { return next_; }

    void messageEvent(platform::WindowMessageEvent& event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    const PageLook& look() const { return look_; }

private:
    void placeNavigationButtons();
    void placeBody();
    // Content first, in the order the page made it, then Back, Next and the corner buttons.
    void arrangeTabOrder();

    CInterDialog& host_;
    PageLook look_;
    controls::ResourcePicture background_;
    controls::CIconButton* minimise_ = nullptr;
    controls::CIconButton* close_ = nullptr;
    controls::CTitleStatic* title_ = nullptr;
    controls::CBaseStatic2* bodyLabel_ = nullptr;
    controls::CLinkStatic* bodyLink_ = nullptr;
    controls::CApproButton* back_ = nullptr;
    controls::CApproButton* next_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;  // cursor minus window position at button-down
    bool tabOrderArranged_ = false;
};
