#include "controls/CAlarmDisplayPage.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"
#include "controls/Fonts.h"
#include "controls/SidePageLook.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/WindowShape.h"

namespace controls {
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
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("CAlarmDisplayPage"));
    setFixedSize(kSize);
    setMask(shape::RoundedRegion(kSize));
    const AlarmLook look = AlarmLookOf(textVariant, buttonVariant);
    title_ = shell::LookupText(look.titleKey, look.titleFallback);
    text_ = shell::LookupText(look.textKey, look.textFallback);
    setAccessibleName(title_);
    setAccessibleDescription(text_);
    for (const AlertButton& entry : look.buttons) {
        auto* button = new CApproButton(entry.id, this);
        const QString caption = shell::LookupText(entry.key, entry.fallback);
        button->setText(caption);
        button->setAccessibleName(caption);
        button->setGeometry(entry.rect);
        DressCaptionButton(*button);
        connect(button, &QAbstractButton::clicked, this, [this, id = entry.id] { done(id); });
        buttons_.push_back(button);
    }
    if (look.cross) {
        cross_ = new CIconButton(kCancelId, this);
        cross_->setAccessibleName(shell::LookupText(u"Close", u"Close"));
        cross_->setGeometry(kCrossRect);
        DressCloseCross(*cross_);
        connect(cross_, &QAbstractButton::clicked, this, &CAlarmDisplayPage::reject);
    }
}

int CAlarmDisplayPage::Run(QWidget* owner, QPoint overlayTopLeft, int textVariant,
                           int buttonVariant) {
    QPointer<CAlarmDisplayPage> page = new CAlarmDisplayPage(owner, textVariant, buttonVariant);
    page->move(overlayTopLeft + kOverlayOffset);
    const int result = page->exec();
    delete page.data();
    return result == overlay::kOk ? overlay::kOk : overlay::kCancel;
}

CApproButton* CAlarmDisplayPage::button(int id) const {
    for (CApproButton* button : buttons_) {
        if (button->controlId() == id) {
            return button;
        }
    }
    return nullptr;
}

void CAlarmDisplayPage::accept() {
    done(overlay::kOk);
}

void CAlarmDisplayPage::reject() {
    done(overlay::kCancel);
}

void CAlarmDisplayPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(UiFont(kTitleSize, true));
    painter.setPen(kTitleColor);
    painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title_);
    painter.setFont(UiFont(kTextSize));
    painter.setPen(kTextColor);
    painter.drawText(kTextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

void CAlarmDisplayPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (CApproButton* ok = button(kOkId)) {
            ok->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects, as the cross or CANCEL does
}

}  // namespace controls
