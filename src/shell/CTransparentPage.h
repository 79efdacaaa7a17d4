#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QImage>

#include "platform/MessageWindow.h"
#include "shell/OverlayKinds.h"

// The dimming layer under every side page: a 60 % black veil over the wizard, which runs the
// side page of its kind and hands back OK or Cancel.
class CTransparentPage final : public platform::MessageWindow<QDialog> {
    Q_OBJECT
public:
    static constexpr int kOpacity = 153;  // of 255
    static constexpr int kStartDelayMs = 50;

    CTransparentPage(QWidget* host, int kind, QPoint position, overlay::OverlayData data,
                     overlay::SidePage sidePage);

    // Opens the overlay of `kind` over `page` (at the page's screen position) and returns
    // overlay::kOk or overlay::kCancel. `sidePage` replaces the kind's own side page.
    static int Show(QWidget* page, int kind, const overlay::OverlayData& data = {},
                    overlay::SidePage sidePage = {});

    int kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int kind_;
    QPoint position_;
    overlay::OverlayData data_;
    overlay::SidePage sidePage_;
    QImage veil_;
    QBasicTimer startTimer_;
};
