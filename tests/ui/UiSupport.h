#pragma once

#include <QDialog>

#include "../unit/TestSupport.h"
#include "platform/MessageWindow.h"
#include "shell/CInterDialog.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

// Stands in for the outer window: records what the host tells it.
class OuterStandIn : public platform::MessageWindow<QDialog> {
public:
    OuterStandIn() : MessageWindow<QDialog>(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

    int minimiseRequests = 0;
    QPoint lastMove{-1, -1};

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        if (event.message() == msg::kNavigate && event.wParam() == msg::kMinimise) {
            ++minimiseRequests;
        } else if (event.message() == msg::kMoved) {
            lastMove = QPoint(static_cast<int>(event.wParam()), static_cast<int>(event.lParam()));
        }
    }
};

// A shown host over a stand-in outer window, in English, with its pack in a folder of its own.
class HostFixture {
public:
    HostFixture() {
        shell::SetLanguageIndex(shell::kEnglish);
        shell::LoadLanguagePack(shell::kEnglish);
        host = std::make_unique<CInterDialog>(&outer);
        host->setOrigin(QPoint(7, 7));
        host->show();
    }
    ~HostFixture() {
        host.reset();
        shell::SetLanguageIndex(shell::kEnglish);
    }

    // Posts a message to the host and lets it be handled.
    void post(std::uint32_t message, std::intptr_t w = 0, std::intptr_t l = 0) {
        platform::PostMessage(host->windowId(), message, w, l);
        QCoreApplication::processEvents();
    }

    ScopedTempFolder temp;
    OuterStandIn outer;
    std::unique_ptr<CInterDialog> host;
};

// The pack of `language` in a folder of the test's own.
class InLanguage {
public:
    explicit InLanguage(int language) {
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
    }
    ~InLanguage() { shell::SetLanguageIndex(shell::kEnglish); }

private:
    ScopedTempFolder temp_;
};

// A shown, plain white page of the wizard's size, for what is drawn over a page.
class WhitePage : public QWidget {
public:
    WhitePage() {
        setAutoFillBackground(true);
        QPalette white = palette();
        white.setColor(QPalette::Window, Qt::white);
        setPalette(white);
        setGeometry(0, 0, 860, 640);
        show();
    }
};
