#include "controls/CNetAlarmPage.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include "controls/Fonts.h"
#include "controls/RichText.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace controls {
namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kNetAlarm, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        return CNetAlarmPage::Run(overlay, position);
    });

}  // namespace

QTextOption::WrapMode NetAlarmWrapMode(int languageIndex) {
    return shell::UsesAlternativeLineLayout(languageIndex)
               ? QTextOption::WrapAtWordBoundaryOrAnywhere
               : QTextOption::WordWrap;
}

CNetAlarmPage::CNetAlarmPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CNetAlarmPage")),
      wrap_(NetAlarmWrapMode(shell::LanguageIndex())),
      ok_(AddButton(kOkId, u"OK", u"OK", kOkRect, overlay::kOk)) {
    title_ = shell::LookupText(u"hddformat_04", u"Important Alert");
    text_ = shell::LookupText(u"intro_14",
                              u"Please make sure you are connected to the Internet, or you will "
                              u"not allow to use nubra service without Internet.");
    setAccessibleName(title_);
    setDefaultButton(ok_);
    AddCross(kCrossId);
}

int CNetAlarmPage::Run(QWidget* owner, QPoint overlayTopLeft) {
    auto* page = new CNetAlarmPage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    return RunModal(page);
}

void CNetAlarmPage::paintEvent(QPaintEvent* event) {
    CAlertPage::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
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

}  // namespace controls
