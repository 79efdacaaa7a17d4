#include "controls/CNetAlarmPage.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QTextDocument>

#include "controls/CApproButton.h"
#include "controls/CIconButton.h"
#include "controls/Fonts.h"
#include "controls/RichText.h"
#include "controls/SidePageLook.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/WindowShape.h"

namespace controls {

QTextOption::WrapMode NetAlarmWrapMode(int languageIndex) {
    return shell::UsesAlternativeLineLayout(languageIndex)
               ? QTextOption::WrapAtWordBoundaryOrAnywhere
               : QTextOption::WordWrap;
}

CNetAlarmPage::CNetAlarmPage(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      wrap_(NetAlarmWrapMode(shell::LanguageIndex())),
      ok_(new CApproButton(kOkId, this)),
      cross_(new CIconButton(kCrossId, this)) {
    setObjectName(QStringLiteral("CNetAlarmPage"));
    setFixedSize(kSize);
    setMask(shape::RoundedRegion(kSize));
    title_ = shell::LookupText(u"hddformat_04", u"Important Alert");
    text_ = shell::LookupText(u"intro_14",
                              u"Please make sure you are connected to the Internet, or you will "
                              u"not allow to use nubra service without Internet.");
    setAccessibleName(title_);
    const QString ok = shell::LookupText(u"OK", u"OK");
    ok_->setText(ok);
    ok_->setAccessibleName(ok);
    ok_->setGeometry(kOkRect);
    DressCaptionButton(*ok_);
    connect(ok_, &QAbstractButton::clicked, this, &CNetAlarmPage::accept);
    cross_->setAccessibleName(shell::LookupText(u"Close", u"Close"));
    cross_->setGeometry(kCrossRect);
    DressCloseCross(*cross_);
    connect(cross_, &QAbstractButton::clicked, this, &CNetAlarmPage::reject);
}

int CNetAlarmPage::Run(QWidget* owner, QPoint overlayTopLeft) {
    QPointer<CNetAlarmPage> page = new CNetAlarmPage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    const int result = page->exec();
    delete page.data();
    return result == overlay::kOk ? overlay::kOk : overlay::kCancel;
}

void CNetAlarmPage::accept() {
    done(overlay::kOk);
}

void CNetAlarmPage::reject() {
    done(overlay::kCancel);
}

void CNetAlarmPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setFont(UiFont(kTitleSize, true));
    painter.setPen(kTitleColor);
    painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title_);

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(UiFont(kTextSize));
    QTextOption option;
    option.setWrapMode(wrap_);
    document.setDefaultTextOption(option);
    document.setHtml(EmphasisToHtml(text_));
    document.setTextWidth(kTextRect.width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, kTextColor);
    context.clip = QRectF(0, 0, kTextRect.width(), kTextRect.height());
    painter.save();
    painter.translate(kTextRect.topLeft());
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void CNetAlarmPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ok_->click();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects, as the cross does
}

}  // namespace controls
