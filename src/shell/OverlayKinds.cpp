#include "shell/OverlayKinds.h"

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
    (void)kind;
    return {};
}

QString ErrorTextOf(const OverlayData& data) {
    if (!data.errorText.isEmpty()) {
        return data.errorText;
    }
    return shell::LookupText(u"Check Network Failed!", u"Check Network Failed!");
}

}  // namespace overlay
