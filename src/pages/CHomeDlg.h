#pragma once

#include "pages/CPageBase.h"

namespace controls {
class CApproComboBox;
class CApproStatic;
class CBaseStatic2;
}  // namespace controls

// Page 1: the welcome, the language choice and START.
class CHomeDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kStartId = 1001;

    explicit CHomeDlg(CInterDialog& host);

    void retranslate() override;
    // Makes `index` the active language and shows the page in it; negative indexes are ignored.
    void chooseLanguage(int index);

protected:
    void messageEvent(platform::WindowMessageEvent& event) override;
    void paintEvent(QPaintEvent* event) override;
    controls::CApproButton* defaultButton() const override { return start_; }

private:
    controls::CBaseStatic2* welcome_ = nullptr;
    controls::CApproStatic* languageLabel_ = nullptr;
    controls::CApproComboBox* languages_ = nullptr;
    controls::CApproStatic* noteTitle_ = nullptr;
    controls::CBaseStatic2* note_ = nullptr;
    controls::CApproButton* start_ = nullptr;
    bool firstFrameTraced_ = false;
};
