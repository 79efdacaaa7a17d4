#include "shell/OverlayKinds.h"

#include <map>

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

namespace {

// Filled while the program starts, before any window exists; read-only afterwards.
std::map<int, SidePage>& Registry() {
    static std::map<int, SidePage> registry;
    return registry;
}

}  // namespace

bool RegisterSidePage(int kind, SidePage page) {
    Registry()[kind] = std::move(page);
    return true;
}

SidePage SidePageFor(int kind) {
    const auto it = Registry().find(kind);
    return it != Registry().end() ? it->second : SidePage{};
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
