#include "shell/OverlayKinds.h"

#include "controls/CAlarmDisplayPage.h"
#include "controls/CErrorPage.h"
#include "controls/CNetAlarmPage.h"
#include "shell/LanguagePack.h"

namespace overlay {

Rule RuleOf(int kind) {
    switch (kind) {
        case kLedRed:
        case kReset:
        case kAlarm:
        case kNetAlarm:
        case kNoDevice:
            return Rule::SidePageResult;
        case kMacDisplay:
        case kInstallCamera:
        case kCameraPassword:
        case kPreview:
        case kTerms:
            return Rule::AlwaysOk;
        case kError:
            return Rule::AlwaysCancel;
        default:
            return Rule::Unknown;
    }
}

int ResultOf(int kind, int sidePageResult) {
    switch (RuleOf(kind)) {
        case Rule::SidePageResult:
            return sidePageResult == kOk ? kOk : kCancel;
        case Rule::AlwaysOk:
            return kOk;
        case Rule::AlwaysCancel:
        case Rule::Unknown:
            break;
    }
    return kCancel;
}

SidePage SidePageFor(int kind) {
    // Side pages join this table as they are built.
    switch (kind) {
        case kAlarm:
            return [](QWidget* overlay, QPoint position, const OverlayData& data) {
                return controls::CAlarmDisplayPage::Run(overlay, position, data.alarmWords[0],
                                                        data.alarmWords[1]);
            };
        case kNetAlarm:
            return [](QWidget* overlay, QPoint position, const OverlayData&) {
                return controls::CNetAlarmPage::Run(overlay, position);
            };
        case kError:
            return [](QWidget* overlay, QPoint position, const OverlayData& data) {
                return controls::CErrorPage::Run(overlay, ErrorTextOf(data),
                                                 position + controls::CErrorPage::kOverlayOffset);
            };
        default:
            return {};
    }
}

QString ErrorTextOf(const OverlayData& data) {
    if (!data.errorText.isEmpty()) {
        return data.errorText;
    }
    // A pack may carry the notice empty (German does); an error page without words helps no
    // one, so the English words stand in.
    const QString notice = shell::LookupText(u"Check Network Failed!", u"Check Network Failed!");
    return notice.isEmpty() ? QStringLiteral("Check Network Failed!") : notice;
}

}  // namespace overlay
