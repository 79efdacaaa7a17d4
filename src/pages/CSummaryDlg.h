#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "pages/CPageBase.h"

namespace controls {
class CSummaryScrollView;
class CSummaryTable;
}  // namespace controls

// Page 13: what the user has to remember (the recorder password, the cloud account, the chosen
// cameras), the way to the recorder's web page, and FINISH, which leaves a desktop shortcut
// and ends the wizard. Everything shown is copied when the page is made.
class CSummaryDlg final : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kGoToNvrId = 1027;
    static constexpr int kFinishId = 1026;
    static constexpr int kTableId = 1038;
    static constexpr int kStripId = 400;

    using UrlOpener = std::function<bool(const QString& address)>;

    explicit CSummaryDlg(CInterDialog& host);

    void retranslate() override;
    void onGoToNvr();
    void onFinish();

    // Replaces the browser GO TO NVR opens the recorder's page in.
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

    controls::CSummaryTable* table() const { return table_; }
    controls::CSummaryScrollView* strip() const { return strip_; }
    controls::CApproButton* goToNvrButton() const { return goToNvr_; }
    controls::CApproButton* finishButton() const { return finish_; }
    // The recorder's web page GO TO NVR opens.
    QString recorderPage() const;

protected:
    controls::CApproButton* defaultButton() const override { return finish_; }

private:
    void placeTable();

    // Copies taken when the page is made.
    QString recorderIp_;
    int recorderPort_ = 0;
    QString adminPassword_;
    QString cloudEmail_;
    QString cloudPassword_;
    QString portalAddress_;
    QString portalNumber_;
    QString localLink_;
    QString portalAccess_;
    QStringList cameras_;

    controls::CSummaryTable* table_ = nullptr;
    controls::CSummaryScrollView* strip_ = nullptr;
    controls::CApproButton* goToNvr_ = nullptr;
    controls::CApproButton* finish_ = nullptr;
    UrlOpener openUrl_;
};
