#include "controls/CAlarmDisplayPage.h"

#include <QPainter>

#include "controls/CApproButton.h"
#include "controls/Fonts.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace controls {
namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kAlarm, [](QWidget* overlay, QPoint position, const overlay::OverlayData& data) {
        return CAlarmDisplayPage::Run(overlay, position, data.alarmWords[0], data.alarmWords[1]);
    });

}  // namespace
namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr QSize kButtonSize{118, 43};

}  // namespace

AlarmLook AlarmLookOf(int textVariant, int buttonVariant) {
    AlarmLook look{};
    if (textVariant == 1) {
        look.titleKey = u"hddformat_04";
        look.titleFallback = u"Important Alert";
        look.textKey = u"hddformat_05";
        look.textFallback = u"Formatting will permanently erase all data on your hard drive(s)";
    } else {
        // The blanks are part of these keys; the pack finds them all the same.
        look.titleKey = u"hddformat_06 ";
        look.titleFallback = u"No HD Found";
        look.textKey = u"hddformat_07 ";
        look.textFallback =
            u"Your hard drive can not be found. Please make sure your hard drive is properly "
            u"connected to NVR.";
    }
    if (buttonVariant == 1) {
        look.buttons = {{kCancelId, u"CANCEL", u"CANCEL", QRect(QPoint(88, 160), kButtonSize)},
                        {kOkId, u"OK", u"OK", QRect(QPoint(240, 160), kButtonSize)}};
        look.cross = false;
    } else {
        look.buttons = {{kOkId, u"OK", u"OK", QRect(QPoint(161, 160), kButtonSize)}};
        look.cross = true;
    }
    return look;
}

CAlarmDisplayPage::CAlarmDisplayPage(QWidget* owner, int textVariant, int buttonVariant)
    : CAlertPage(owner, QStringLiteral("CAlarmDisplayPage")) {
    const AlarmLook look = AlarmLookOf(textVariant, buttonVariant);
    title_ = shell::LookupText(look.titleKey, look.titleFallback);
    text_ = shell::LookupText(look.textKey, look.textFallback);
    setAccessibleName(title_);
    setAccessibleDescription(text_);
    for (const AlertButton& entry : look.buttons) {
        buttons_.push_back(AddButton(entry.id, entry.key, entry.fallback, entry.rect, entry.id));
    }
    // Enter must never erase a drive by accident: the format warning defaults to CANCEL.
    setDefaultButton(button(buttonVariant == 1 ? kCancelId : kOkId));
    if (look.cross) {
        AddCross(kCancelId);
    }
}

int CAlarmDisplayPage::Run(QWidget* owner, QPoint overlayTopLeft, int textVariant,
                           int buttonVariant) {
    auto* page = new CAlarmDisplayPage(owner, textVariant, buttonVariant);
    page->move(overlayTopLeft + kOverlayOffset);
    return RunModal(page);
}

CApproButton* CAlarmDisplayPage::button(int id) const {
    for (CApproButton* button : buttons_) {
        if (button->controlId() == id) {
            return button;
        }
    }
    return nullptr;
}

void CAlarmDisplayPage::paintEvent(QPaintEvent* event) {
    CAlertPage::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(UiFont(kTitleSize, true));
    painter.setPen(kTitleColor);
    painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title_);
    painter.setFont(UiFont(kTextSize));
    painter.setPen(kTextColor);
    painter.drawText(kTextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

}  // namespace controls
