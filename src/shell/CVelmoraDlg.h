#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QImage>

#include <memory>

#include "platform/MessageWindow.h"
#include "platform/ShadowBitmap.h"

class CInterDialog;

// The outer window: a soft shadow around the page host, which it opens 50 ms after it shows.
// It moves and minimises together with the host.
class CVelmoraDlg final : public platform::MessageWindow<QDialog> {
    Q_OBJECT
public:
    static constexpr int kStartDelayMs = 50;

    CVelmoraDlg();
    ~CVelmoraDlg() override;

    // The one-time initialisation, in the order the window needs it.
    void initialise();

    CInterDialog* host() const { return host_.get(); }
    bool hostStarted() const { return hostStarted_ != 0; }
    const QImage& shadow() const { return shadow_; }

    // Opens the About box.
    void showAbout();

    // Builds the shadow picture of a window of `size` logical pixels for a screen of
    // `devicePixelRatio`: the bitmap's logical pixels, scaled smoothly, the hole kept clear.
    static QImage BuildShadow(QSize size, const platform::ShadowParams& params,
                              qreal devicePixelRatio = 1.0);

    // Writes the program icon to the application-data folder and copies it to the system
    // folder; failures are ignored.
    static void ExtractIcon();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void messageEvent(platform::WindowMessageEvent& event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void startHost();

    platform::ShadowParams shadowParams_;
    std::unique_ptr<CInterDialog> host_;
    std::int32_t hostStarted_ = 0;
    QImage shadow_;
    QBasicTimer startTimer_;
};
