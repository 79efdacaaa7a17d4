#include "pages/CCameraPwdPage.h"

#include "controls/CMyEditCtrl2.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

QString Prompt(const QString& cameraName) {
    return shell::LookupText(u"camsearch_05",
                             u"Please enter the password for the camera [Camera Name]")
        .replace(QStringLiteral("[Camera Name]"), cameraName);
}

}  // namespace

CCameraPwdPage::CCameraPwdPage(const CameraPasswordRequest& request)
    : CCameraPwdPanel(request, QStringLiteral("CCameraPwdPage"), Prompt(request.cameraName)) {
    box_ = addRow(kBoxId, shell::LookupText(u"Password", u"Password") + QLatin1Char(':'),
                  QRect(0, 125, 165, 55), 14, QPoint(180, 120), QPoint(185, 126));
}

int CCameraPwdPage::Run(const CameraPasswordRequest& request) {
    return RunOverStep(new CCameraPwdPage(request), request);
}

QString CCameraPwdPage::password() const {
    return box_->text();
}

std::uint32_t CCameraPwdPage::requestMessage() const {
    return msg::kVerifyCameraPassword;
}

QString CCameraPwdPage::refusalText() const {
    return shell::LookupText(u"nvrpwd_05", u"Incorrect password. Please try again.");
}
