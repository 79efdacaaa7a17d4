#pragma once

#include "pages/CPageBase.h"

class QLabel;

namespace controls {
class CApproComboBox;
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
    QLabel* welcome_ = nullptr;
    QLabel* languageLabel_ = nullptr;
    controls::CApproComboBox* languages_ = nullptr;
    QLabel* noteTitle_ = nullptr;
    QLabel* note_ = nullptr;
    controls::CApproButton* start_ = nullptr;
};
