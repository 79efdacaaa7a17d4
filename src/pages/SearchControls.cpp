#include "pages/SearchControls.h"

#include <QColor>
#include <QFontMetricsF>

#include <array>
#include <cmath>

#include "controls/CApproStatic.h"
#include "controls/CIconButton.h"
#include "controls/CLoadingStatic.h"
#include "shell/LanguagePack.h"

namespace {

constexpr int kRescanRight = 782;
constexpr int kRescanPadding = 41;
constexpr int kRescanHeight = 30;
constexpr std::array<int, 4> kRescanPictures{4018, 4015, 4015, 4015};
constexpr int kRescanIcon = 3055;
constexpr int kNoteSize = 14;
constexpr QColor kAccent(42, 169, 209);
constexpr int kAnimationPeriodMs = 200;

}  // namespace

SearchControls::SearchControls(QWidget* page, const QString& busyName, const QString& noteName)
    : rescan_(new controls::CIconButton(kRescanId, page)),
      busy_(new controls::CLoadingStatic(page)),
      note_(new controls::CApproStatic(page)) {
    rescan_->setObjectName(QStringLiteral("id%1").arg(kRescanId));
    rescan_->LoadStateImages(kRescanPictures);
    rescan_->LoadIconImage(kRescanIcon);

    busy_->setObjectName(busyName);
    busy_->hide();

    note_->setObjectName(noteName);
    note_->useVerdana(kNoteSize);
    note_->setTextColor(kAccent);
    note_->setAlignment(controls::CApproStatic::Align::Centre);
    note_->setVerticalCentre(true);
    note_->hide();
}

void SearchControls::retranslate(const QString& note) {
    rescan_->setText(shell::LookupText(u"Rescan", u"Rescan"));
    rescan_->setAccessibleName(rescan_->text());
    busy_->setCaption(shell::LookupText(u"Searching device", u"Searching device"));
    busy_->setAccessibleName(busy_->caption());
    note_->setText(note);
    note_->setAccessibleName(note);
}

void SearchControls::placeRescan(int top) {
    const int width =
        static_cast<int>(
            std::ceil(QFontMetricsF(rescan_->captionFont()).horizontalAdvance(rescan_->text()))) +
        kRescanPadding;
    rescan_->setGeometry(kRescanRight - width, top, width, kRescanHeight);
}

void SearchControls::raiseOverList() {
    busy_->raise();
    note_->raise();
}

void SearchControls::showBusy(bool busy) {
    if (busy) {
        busy_->show();
        busy_->start(kAnimationPeriodMs);
    } else {
        busy_->stop();
        busy_->hide();
    }
}
