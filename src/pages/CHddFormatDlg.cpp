#include "pages/CHddFormatDlg.h"

#include "controls/CApproButton.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CHddFormatDlg>(10);

constexpr QRect kSkipRect(640, 536, 140, 43);

}  // namespace

CHddFormatDlg::CHddFormatDlg(CInterDialog& host) : CPageBase(host, PageLookOf(10)) {
    setObjectName(QStringLiteral("CHddFormatDlg"));
    auto* skip = new controls::CApproButton(kSkipId, this);
    skip->setText(shell::LookupText(u"SKIP", u"SKIP"));
    skip->setGeometry(kSkipRect);
    connect(skip, &QAbstractButton::clicked, this, [this] { onSkip(); });
}

void CHddFormatDlg::onNext() {
    // Sent, not posted: the worker has stopped before this page goes away.
    platform::SendMessage(&host(), msg::kStorageWorker, 1);
    navigate(msg::kNext);
}

void CHddFormatDlg::onBack() {
    postToHost(msg::kStorageWorker, 1);
    navigate(msg::kBack);
}

void CHddFormatDlg::onSkip() {
    postToHost(msg::kStorageWorker, 1);
    navigate(msg::kNext);
}
