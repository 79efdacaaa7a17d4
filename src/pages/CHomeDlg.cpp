#include "pages/CHomeDlg.h"

#include <QPainter>

#include <array>

#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/Fonts.h"
#include "pages/PageRegistry.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CHomeDlg>(1);

PageLook Look() {
    PageLook look;
    look.backgroundId = 3000;
    look.back = false;
    look.next = false;
    return look;
}

constexpr QRect kWelcomeRect(362, 160, 790 - 362, 250 - 160);
constexpr QColor kWelcomeColour(0x63, 0x65, 0x66);
constexpr QRect kLanguageLabelRect(364, 296, 556 - 364, 318 - 296);
constexpr QColor kLanguageLabelColour(53, 53, 53);
constexpr QRect kLanguageListRect(552, 290, 740 - 552, 322 - 290);
constexpr QRect kNoteRect(366, 444, 782 - 366, 548 - 444);
constexpr QColor kNoteText(0x55, 0x55, 0x55);
constexpr QColor kNoteBack(0xE6, 0xE6, 0xE6);
constexpr QColor kNoteStar(0xDF, 0x04, 0x0F);
constexpr QRect kStartRect(366, 380, 416, 42);
constexpr std::array<int, 4> kStartPictures{3033, 3030, 3032, 3031};
constexpr int kTextSize = 14;
constexpr int kNotePadding = 10;
constexpr int kNoteTitleHeight = 20;

controls::CBaseStatic2* MakeRichText(QWidget* parent, QRect rect, QColor colour) {
    auto* label = new controls::CBaseStatic2(parent);
    label->setGeometry(rect);
    label->setPixelSize(kTextSize);
    label->setTextColor(colour);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

controls::CApproStatic* MakeLabel(QWidget* parent, QRect rect, QColor colour) {
    auto* label = new controls::CApproStatic(parent);
    label->setGeometry(rect);
    label->useVerdana(kTextSize);
    label->setTextColor(colour);
    label->setVerticalCentre(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

CHomeDlg::CHomeDlg(CInterDialog& host) : CPageBase(host, Look()) {
    setObjectName(QStringLiteral("CHomeDlg"));
    welcome_ = MakeRichText(this, kWelcomeRect, kWelcomeColour);
    welcome_->setObjectName(QStringLiteral("welcome"));
    languageLabel_ = MakeLabel(this, kLanguageLabelRect, kLanguageLabelColour);

    // The list posts 1129 with the chosen index to this page.
    languages_ = new controls::CApproComboBox(windowId(), this);
    languages_->setObjectName(QStringLiteral("languageList"));
    languages_->setGeometry(kLanguageListRect);
    QStringList names;
    for (int i = 0; i < shell::kLanguageCount; ++i) {
        names << QString::fromUtf16(shell::LanguageAt(i).shownAs);
    }
    languages_->setItems(names);
    const int current = shell::LanguageIndex();
    languages_->setCurrentIndex(current >= 0 && current < shell::kLanguageCount ? current : 0);

    const QRect inner =
        kNoteRect.adjusted(kNotePadding + 12, kNotePadding, -kNotePadding, -kNotePadding);
    noteTitle_ =
        MakeLabel(this, QRect(inner.topLeft(), QSize(inner.width(), kNoteTitleHeight)), kNoteText);
    note_ = MakeRichText(this, inner.adjusted(0, kNoteTitleHeight + 2, 0, 0), kNoteText);
    note_->setObjectName(QStringLiteral("note"));

    start_ = new controls::CApproButton(kStartId, this);
    start_->setGeometry(kStartRect);
    start_->LoadStateImages(kStartPictures);
    connect(start_, &QAbstractButton::clicked, this, [this] { navigate(msg::kNext); });

    retranslate();
}

void CHomeDlg::retranslate() {
    CPageBase::retranslate();
    if (!welcome_) {
        return;  // the base constructor runs this before the page's own controls exist
    }
    const bool alternative = shell::UsesAlternativeLineLayout(shell::LanguageIndex());
    welcome_->setAlternativeLineLayout(alternative);
    note_->setAlternativeLineLayout(alternative);
    welcome_->setText(shell::LookupText(
        u"home_01",
        u"Welcome to the Corvane NVR (ORB-560Z) Setup Wizard. This wizard will guide you "
        u"through the setup of your Corvane NVR device."));
    languageLabel_->setText(shell::LookupText(u"home_02", u"Select your Language:"));
    languages_->setAccessibleName(languageLabel_->text());
    noteTitle_->setText(shell::LookupText(u"home_06", u"Note:"));
    note_->setText(shell::LookupText(
        u"home_03",
        u"Note: Ensure that cameras have been installed on the network before initiating the "
        u"ORB-560Z Setup wizard."));
    start_->setText(shell::LookupText(u"START", u"START"));
    start_->setAccessibleName(start_->text());
    update();
}

void CHomeDlg::chooseLanguage(int index) {
    if (index < 0) {
        return;
    }
    shell::SetLanguageIndex(index);
    shell::LoadLanguagePack(index);
    retranslate();
}

void CHomeDlg::messageEvent(platform::WindowMessageEvent& event) {
    if (event.message() == msg::kLanguageChosen) {
        chooseLanguage(static_cast<int>(event.wParam()));
        return;
    }
    CPageBase::messageEvent(event);
}

void CHomeDlg::paintEvent(QPaintEvent* event) {
    CPageBase::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNoteBack);
    painter.drawRoundedRect(kNoteRect, 6, 6);
    painter.setFont(controls::UiFont(kTextSize, true));
    painter.setPen(kNoteStar);
    painter.drawText(kNoteRect.left() + kNotePadding, kNoteRect.top() + kNotePadding + 14,
                     QStringLiteral("*"));
    // The start-up benchmark waits for this line.
    if (!firstFrameTraced_) {
        firstFrameTraced_ = true;
        qCDebug(lcFlow, "home first frame");
    }
}
