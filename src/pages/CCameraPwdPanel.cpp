#include "pages/CCameraPwdPanel.h"

#include <QPainter>
#include <QPointer>
#include <QTimerEvent>

#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CErrorPage.h"
#include "controls/CIconButton.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CRoundBack.h"
#include "controls/SidePageLook.h"
#include "shell/FlowTrace.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"
#include "shell/WindowShape.h"

namespace {

constexpr int kPromptSize = 14;
constexpr QColor kPromptColour(72, 72, 72);
constexpr QColor kFrameOutline(192, 192, 192);
constexpr int kPanelCorner = 6;

}  // namespace

CCameraPwdPanel::CCameraPwdPanel(const CameraPasswordRequest& request, const QString& objectName,
                                 const QString& prompt)
    : CAlertPage(request.step, objectName, kPageSize), request_(request) {
    // Without a compositor a translucent window shows black: the page draws what it covers.
    if (request_.step != nullptr) {
        veil_ = shape::Snapshot(
            *request_.step->window(),
            QRect(request_.step->window()->mapFromGlobal(request_.step->mapToGlobal(QPoint(0, 0))),
                  kPageSize));
    }
    prompt_ = new controls::CApproStatic(this);
    prompt_->setObjectName(QStringLiteral("prompt"));
    prompt_->useVerdana(kPromptSize);
    prompt_->setTextColor(kPromptColour);
    prompt_->setText(prompt);
    prompt_->setGeometry(OnPanel(kPromptRect));
    prompt_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(prompt);

    ok_ = new controls::CApproButton(kOkId, this);
    ok_->setObjectName(QStringLiteral("id%1").arg(kOkId));
    ok_->setText(shell::LookupText(u"OK", u"OK"));
    ok_->setAccessibleName(ok_->text());
    ok_->setGeometry(OnPanel(kOkRect));
    controls::DressCaptionButton(*ok_);
    connect(ok_, &QAbstractButton::clicked, this, [this] { submit(); });
    setDefaultButton(ok_);
    AddCross(kCrossId, OnPanel(kCrossRect));
}

int CCameraPwdPanel::RunOverStep(CCameraPwdPanel* page, const CameraPasswordRequest& request) {
    if (request.step != nullptr) {
        page->move(request.step->mapToGlobal(QPoint(0, 0)));
    }
    return RunModal(page);
}

controls::CMyEditCtrl2* CCameraPwdPanel::addRow(int id, const QString& label, QRect labelRect,
                                                int labelSize, QPoint frame, QPoint edit) {
    auto* caption = new controls::CApproStatic(this);
    caption->useVerdana(labelSize);
    caption->setTextColor(kPromptColour);
    // Top-aligned, its first line sits level with the box; right-aligned, next to it.
    caption->setAlignment(controls::CApproStatic::Align::Right);
    caption->setText(label);
    caption->setGeometry(OnPanel(labelRect));
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* back = new controls::CRoundBack(this);
    back->setObjectName(QStringLiteral("frame%1").arg(id));
    back->setFillColor(Qt::white);
    back->setOutline(3, kFrameOutline, 1);
    back->setGeometry(QRect(frame + kPanel, kFrameSize));

    auto* box = new controls::CMyEditCtrl2(id, this);
    box->setObjectName(QStringLiteral("id%1").arg(id));
    box->setPasswordMode(true);
    box->setTextSize(kEditTextSize);
    box->setGeometry(QRect(edit + kPanel, kEditSize));
    box->setAccessibleName(label);
    if (firstBox_ == nullptr) {
        firstBox_ = box;
    }
    return box;
}

void CCameraPwdPanel::showEvent(QShowEvent* event) {
    CAlertPage::showEvent(event);
    qCDebug(lcFlow, "camera password page shown: %s", qPrintable(objectName()));
    if (firstBox_ != nullptr) {
        firstBox_->setFocus(Qt::OtherFocusReason);
    }
}

void CCameraPwdPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!veil_.isNull()) {
        painter.drawImage(rect(), veil_);
    }
    painter.fillRect(rect(), QColor(0, 0, 0, kVeilOpacity));
    const QRectF panel = QRectF(QRect(kPanel, kPanelSize)).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(kPanelOutline, 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(panel, kPanelCorner / 2.0, kPanelCorner / 2.0);
}

void CCameraPwdPanel::submit() {
    if (watch_.isActive()) {
        return;  // the step is still deciding
    }
    const QString problem = check();
    if (!problem.isEmpty()) {
        showError(problem);
        return;
    }
    if (request_.exchange) {
        request_.exchange->setPassword(password());
        request_.exchange->result.store(CameraPasswordExchange::kPending);
    }
    platform::PostMessage(request_.stepId, requestMessage());
    watch_.start(kWatchMs, this);
}

void CCameraPwdPanel::timerEvent(QTimerEvent* event) {
    if (event->timerId() != watch_.timerId()) {
        CAlertPage::timerEvent(event);
        return;
    }
    const std::int32_t result =
        request_.exchange ? request_.exchange->result.load() : CameraPasswordExchange::kFailed;
    if (result == CameraPasswordExchange::kPending) {
        return;
    }
    watch_.stop();
    qCDebug(lcFlow, "camera password: %s",
            result == CameraPasswordExchange::kAccepted ? "accepted" : "refused");
    if (result == CameraPasswordExchange::kAccepted) {
        done(overlay::kOk);
        return;
    }
    showError(refusalText());
}

void CCameraPwdPanel::showError(const QString& text) {
    lastError_ = text;
    QPointer<CCameraPwdPanel> self(this);
    controls::CErrorPage::Run(this, text, mapToGlobal(QPoint(210, 200)));
    if (self && firstBox_ != nullptr) {
        firstBox_->setFocus(Qt::OtherFocusReason);
    }
}
