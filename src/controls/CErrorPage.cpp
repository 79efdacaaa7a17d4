#include "controls/CErrorPage.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

#include "controls/CApproButton.h"
#include "controls/CErrorStatic.h"
#include "controls/CIconButton.h"
#include "controls/SidePageLook.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/WindowShape.h"

namespace controls {

CErrorPage::CErrorPage(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      text_(new CErrorStatic(this)),
      close_(new CApproButton(kCloseId, this)),
      cross_(new CIconButton(kCrossId, this)) {
    setObjectName(QStringLiteral("CErrorPage"));
    setFixedSize(kSize);
    setMask(shape::RoundedRegion(kSize));
    text_->setGeometry(kTextRect);
    const QString close = shell::LookupText(u"Close", u"Close");
    close_->setText(close);
    close_->setAccessibleName(close);
    close_->setGeometry(kCloseRect);
    DressCaptionButton(*close_);
    connect(close_, &QAbstractButton::clicked, this, &CErrorPage::accept);
    cross_->setAccessibleName(close);
    cross_->setGeometry(kCrossRect);
    DressCloseCross(*cross_);
    connect(cross_, &QAbstractButton::clicked, this, &CErrorPage::reject);
}

void CErrorPage::setErrorText(const QString& text) {
    text_->setText(text);
}

QString CErrorPage::errorText() const {
    return text_->text();
}

int CErrorPage::Run(QWidget* owner, const QString& text, std::optional<QPoint> topLeft) {
    QPointer<CErrorPage> page = new CErrorPage(owner);
    page->setErrorText(text);
    if (topLeft) {
        page->move(*topLeft);
    }
    const int result = page->exec();
    delete page.data();
    return result == overlay::kOk ? overlay::kOk : overlay::kCancel;
}

void CErrorPage::accept() {
    done(overlay::kOk);
}

void CErrorPage::reject() {
    done(overlay::kCancel);
}

void CErrorPage::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::white);
}

void CErrorPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        close_->click();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects, as the cross does
}

}  // namespace controls
