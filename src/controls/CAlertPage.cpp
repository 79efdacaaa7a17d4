#include "controls/CAlertPage.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"
#include "controls/SidePageLook.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/WindowShape.h"

namespace controls {

CAlertPage::CAlertPage(QWidget* owner, const QString& objectName, QSize size)
    : MessageWindow<QDialog>(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(objectName);
    setFixedSize(size);
    setMask(shape::RoundedRegion(size));
}

CApproButton* CAlertPage::AddButton(int id, const char16_t* key, const char16_t* fallback,
                                    QRect rect, int result) {
    auto* button = new CApproButton(id, this);
    const QString caption = shell::LookupText(key, fallback);
    button->setText(caption);
    button->setAccessibleName(caption);
    button->setGeometry(rect);
    DressCaptionButton(*button);
    connect(button, &QAbstractButton::clicked, this, [this, result] { done(result); });
    return button;
}

CIconButton* CAlertPage::AddCross(int id, QRect rect) {
    cross_ = new CIconButton(id, this);
    cross_->setAccessibleName(shell::LookupText(u"Close", u"Close"));
    cross_->setGeometry(rect);
    DressCloseCross(*cross_);
    connect(cross_, &QAbstractButton::clicked, this, &CAlertPage::reject);
    return cross_;
}

int CAlertPage::RunModal(CAlertPage* page) {
    QPointer<CAlertPage> guard = page;
    const int result = page->exec();
    delete guard.data();
    return result == overlay::kOk ? overlay::kOk : overlay::kCancel;
}

void CAlertPage::accept() {
    done(overlay::kOk);
}

void CAlertPage::reject() {
    done(overlay::kCancel);
}

void CAlertPage::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::white);
}

void CAlertPage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The page itself holds the focus at first, so no control shows a focus mark before the
    // user tabs to it and Enter means the page's default.
    if (focusWidget() == nullptr) {
        setFocus(Qt::OtherFocusReason);
    }
}

void CAlertPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (default_) {
            default_->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects, as the cross does
}

}  // namespace controls
