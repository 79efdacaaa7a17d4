#include "pages/CMacDisplayPage.h"

#include <QFontMetricsF>

#include "controls/CApproStatic.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CRectStatic.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/Product.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kMacDisplay, [](QWidget* overlay, QPoint position, const overlay::OverlayData& data) {
        return CMacDisplayPage::Run(overlay, position, data.macText);
    });

}  // namespace

CMacDisplayPage::CMacDisplayPage(QWidget* owner, const QString& macText)
    : CAlertPage(owner, QStringLiteral("CMacDisplayPage"), kSize),
      textLabel_(new controls::CApproStatic(this)),
      label_(new controls::CImageBox(this)),
      highlight_(new controls::CRectStatic(this)) {
    text_ = shell::LookupText(u"nvrsearch_04", u"The MAC Address is on the back of your NVR.");
    setAccessibleName(text_);
    textLabel_->setObjectName(QStringLiteral("text"));
    textLabel_->useVerdana(kTextSize);
    textLabel_->setTextColor(kTextColor);
    textLabel_->setText(text_);
    const bool wide =
        QFontMetricsF(textLabel_->textFont()).horizontalAdvance(text_) > kNarrowText.width();
    textLabel_->setGeometry(wide ? kWideText : kNarrowText);

    label_->setObjectName(QStringLiteral("label"));
    label_->LoadStateImage(0, kLabelId);
    label_->setAccessibleName(text_);
    label_->setGeometry(kLabelRect);

    const QString macLine = QStringLiteral("MAC: ") + macText;
    // Under the MAC line, so the frame lies around its letters and not over them.
    highlight_->setObjectName(QStringLiteral("highlight"));
    highlight_->setAccessibleName(macLine);
    highlight_->setGeometry(kHighlightRect);

    const std::array<QString, kLineCount> lines{QString::fromUtf16(product::kModel),
                                                QStringLiteral("P/N: KTQ780ZM....A1E"),
                                                QStringLiteral("S/N: xxxxxxxxxxxx"), macLine};
    for (int i = 0; i < kLineCount; ++i) {
        auto* line = new controls::CApproStatic(this);
        line->setObjectName(QStringLiteral("line%1").arg(i + 1));
        line->useVerdana(kLineSize);
        line->setTextColor(kLineColor);
        line->setVerticalCentre(true);
        line->setText(lines[static_cast<size_t>(i)]);
        line->setGeometry(kLineLeft, kLineTops[static_cast<size_t>(i)], kLineWidth, kLineHeight);
        lines_[static_cast<size_t>(i)] = line;
    }

    AddCross(kCrossId, kCrossRect);
}

int CMacDisplayPage::Run(QWidget* owner, QPoint overlayTopLeft, const QString& macText) {
    auto* page = new CMacDisplayPage(owner, macText);
    page->move(overlayTopLeft + kOverlayOffset);
    RunModal(page);
    return overlay::kOk;
}
