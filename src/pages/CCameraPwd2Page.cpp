#include "pages/CCameraPwd2Page.h"

#include "controls/CMyEditCtrl2.h"
#include "shell/CameraList.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

constexpr int kLabelSize = 12;

QString Prompt(const QString& cameraName) {
    return shell::LookupText(u"camsearch_06", u"Please create a password for the camera ")
        .replace(QStringLiteral("[Camera Name]"), cameraName);
}

}  // namespace

CCameraPwd2Page::CCameraPwd2Page(const CameraPasswordRequest& request)
    : CCameraPwdPanel(
          request, QStringLiteral("CCameraPwd2Page"),
          Prompt(request.cameraName.isEmpty() ? QStringLiteral("LUX-7731K") : request.cameraName)) {
    first_ =
        addRow(kFirstId, shell::LookupText(u"New Password", u"New Password") + QLatin1Char(':'),
               QRect(0, 110, 215, 60), kLabelSize, QPoint(230, 105), QPoint(235, 111));
    second_ =
        addRow(kSecondId,
               shell::LookupText(u"Confirm New Password", u"Confirm Password") + QLatin1Char(':'),
               QRect(0, 150, 215, 60), kLabelSize, QPoint(230, 145), QPoint(235, 151));
}

int CCameraPwd2Page::Run(const CameraPasswordRequest& request) {
    return RunOverStep(new CCameraPwd2Page(request), request);
}

QString CCameraPwd2Page::check() const {
    switch (cameras::CheckNewPassword(first_->text(), second_->text())) {
        case cameras::NewPassword::Mismatch:
            return shell::LookupText(u"nvrpwd_03", u"The passwords don't match. Please try again.");
        case cameras::NewPassword::BreaksRule:
            return shell::LookupText(u"camsearch_09",
                                     u"The password must be between 6-30 characters; not contain "
                                     u"special characters: (/), (:), (&),(space).");
        case cameras::NewPassword::Ok:
            return {};
    }
    return {};
}

QString CCameraPwd2Page::password() const {
    return first_->text();
}

std::uint32_t CCameraPwd2Page::requestMessage() const {
    return msg::kCreateCameraPassword;
}

QString CCameraPwd2Page::refusalText() const {
    return shell::LookupText(u"nvrpwd_06", u"Failed to set account password");
}
