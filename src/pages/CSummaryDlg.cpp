#include "pages/CSummaryDlg.h"

#include <array>

#include "controls/CApproButton.h"
#include "controls/CBaseStatic2.h"
#include "controls/CSummaryScrollView.h"
#include "controls/CSummaryTable.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"
#include "platform/Desktop.h"
#include "platform/Folders.h"
#include "shell/CInterDialog.h"
#include "shell/DesktopShortcut.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"
#include "shell/RecorderAccount.h"
#include "shell/ShortcutPlan.h"
#include "util/DisplayText.h"

namespace {

[[maybe_unused]] const bool kRegistered = RegisterPageClass<CSummaryDlg>(13);

constexpr int kTableLeft = 80;
constexpr int kTableGap = 140;  // from the description's text to the panel
constexpr QSize kTableSize(780 - 80, 240);
constexpr QRect kStripRect(220, 315, 480, 140);
constexpr QRect kGoToNvrRect(182, 504, 240, 42);
constexpr QRect kFinishRect(448, 504, 240, 42);
// Disabled, normal, pressed, hover.
constexpr std::array<int, 4> kWideButtonPictures{3050, 3046, 3049, 3047};
const QString kRecorderHeader = QStringLiteral("NVR");

controls::CApproButton* MakeButton(QWidget* parent, int id, const QRect& rect) {
    auto* button = new controls::CApproButton(id, parent);
    button->setObjectName(QStringLiteral("id%1").arg(id));
    button->setGeometry(rect);
    button->LoadStateImages(kWideButtonPictures);
    return button;
}

}  // namespace

CSummaryDlg::CSummaryDlg(CInterDialog& host)
    : CPageBase(host, PageLookOf(13)), openUrl_(&platform::OpenUrl) {
    setObjectName(QStringLiteral("CSummaryDlg"));
    WizardSession& session = host.session();
    recorderIp_ = session.recorderIp();
    recorderPort_ = session.recorderPort.load();
    adminPassword_ = session.adminPassword();
    cloudEmail_ = session.cloudEmail();
    cloudPassword_ = session.cloudPassword();
    portalAddress_ = host.summaryText1;
    portalNumber_ = host.summaryText2;
    localLink_ = host.localHyperlink;
    portalAccess_ = host.portalAccess;
    const int count = session.cameraCount();
    for (int i = 0; i < count; ++i) {
        const CameraEntry* camera = session.cameraAt(i);
        if (camera != nullptr && camera->selected == 1) {
            cameras_ << DisplayText(camera->model);
        }
    }

    // Made in the order the keyboard visits them; the strip lies over the panel.
    table_ = new controls::CSummaryTable(this);
    table_->setObjectName(QStringLiteral("id%1").arg(kTableId));
    // The cloud account may be what the recorder had on record: drawn clean like any outside
    // text.
    table_->setAccount(adminPassword_, DisplayText(cloudEmail_), DisplayText(cloudPassword_));
    goToNvr_ = MakeButton(this, kGoToNvrId, kGoToNvrRect);
    connect(goToNvr_, &QAbstractButton::clicked, this, [this] { onGoToNvr(); });
    finish_ = MakeButton(this, kFinishId, kFinishRect);
    connect(finish_, &QAbstractButton::clicked, this, [this] { onFinish(); });
    strip_ = new controls::CSummaryScrollView(this);
    strip_->setObjectName(QStringLiteral("id%1").arg(kStripId));
    strip_->setGeometry(kStripRect);
    strip_->setItems(cameras_);

    retranslate();
    qCDebug(lcFlow, "summary shown: %d cameras, cloud: %s", static_cast<int>(cameras_.size()),
            cloudEmail_.isEmpty() ? "no" : "yes");
}

void CSummaryDlg::retranslate() {
    CPageBase::retranslate();
    if (strip_ == nullptr) {
        return;  // the base's own call, before the page's controls exist
    }
    controls::SummaryLabels labels;
    labels.recorder = kRecorderHeader;
    labels.cloud = shell::LookupText(u"nubra", u"nubra");
    labels.cameras = shell::LookupText(u"Cameras", u"Cameras");
    labels.password = shell::LookupText(u"Password", u"Password");
    labels.email = shell::LookupText(u"E-mail", u"Email");
    table_->setLabels(labels);
    strip_->setCaption(labels.cameras);
    goToNvr_->setText(shell::LookupText(u"Summary_03", u"GO TO NVR"));
    goToNvr_->setAccessibleName(goToNvr_->text());
    finish_->setText(shell::LookupText(u"Summary_04", u"FINISH"));
    finish_->setAccessibleName(finish_->text());
    placeTable();
}

void CSummaryDlg::placeTable() {
    const int textHeight = bodyLabel() != nullptr ? bodyLabel()->contentHeight() : 0;
    table_->setGeometry(QRect(QPoint(kTableLeft, textHeight + kTableGap), kTableSize));
}

QString CSummaryDlg::recorderPage() const {
    return RecorderWebPage(recorderIp_, recorderPort_);
}

void CSummaryDlg::onGoToNvr() {
    const QString address = recorderPage();
    const bool opened = openUrl_ && openUrl_(address);
    qCDebug(lcFlow, "recorder page %s: %s", opened ? "opened" : "not opened",
            qUtf8Printable(address));
}

void CSummaryDlg::onFinish() {
    const shortcut::Plan plan =
        shortcut::PlanShortcut(portalAccess_, portalAddress_, portalNumber_, localLink_);
    const QString fileName = shortcut::FileName(plan);
    if (shortcut::WriteShortcut(plan, platform::DesktopFolder(), shortcut::IconPath())) {
        qCDebug(lcFlow, "shortcut: %s -> %s", qUtf8Printable(fileName),
                qUtf8Printable(plan.target));
    } else {
        qCDebug(lcFlow, "shortcut failed: %s", qUtf8Printable(fileName));
    }
    // The wizard ends whether or not the shortcut could be made.
    navigate(msg::kFinish);
}
