#include <QDir>
#include <QPainter>

#include <atomic>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "TextFitSupport.h"
#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CErrorPage.h"
#include "controls/CNetAlarmPage.h"
#include "pages/CCameraPwd2Page.h"
#include "pages/CCameraPwdPage.h"
#include "pages/CInstallCamPage.h"
#include "pages/CLEDRedPage.h"
#include "pages/CMacDisplayPage.h"
#include "pages/CNoDevicePage.h"
#include "pages/CNubraServiceDlg.h"
#include "pages/CPageBase.h"
#include "pages/CResetPage.h"
#include "pages/CTermPage.h"
#include "pages/CWaitingPage.h"
#include "pages/PageRegistry.h"
#include "shell/CInterDialog.h"
#include "shell/CameraPasswordExchange.h"
#include "shell/LanguagePack.h"
#include "shell/Messages.h"

namespace {

constexpr int kSheetColumns = 4;
constexpr double kSheetScale = 0.5;

// The pictures side by side, `kSheetColumns` a row, at half size.
QImage ContactSheet(const QList<QImage>& pictures) {
    const QSize cell = QSize(860, 640) * kSheetScale;
    const int rows = static_cast<int>((pictures.size() + kSheetColumns - 1) / kSheetColumns);
    QImage sheet(cell.width() * kSheetColumns, cell.height() * rows, QImage::Format_RGB32);
    sheet.fill(QColor(0xE8, 0xEC, 0xEF));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < pictures.size(); ++i) {
        // Side pages are smaller than pages: each keeps its proportions.
        const QPoint corner(i % kSheetColumns * cell.width() + 4,
                            i / kSheetColumns * cell.height() + 4);
        const QSize size = (pictures[i].size() / pictures[i].devicePixelRatio() * kSheetScale)
                               .boundedTo(cell - QSize(8, 8));
        painter.drawImage(QRect(corner, size), pictures[i]);
    }
    return sheet;
}

}  // namespace

// Every page (the cloud page in each of its layouts) and every side page with texts of its own,
// in all 22 languages: no text is cut, runs outside its control or lies over a button, box or
// list. Contact sheets a language show them.
TEST(LanguageFit, EveryPageInEveryLanguage) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/lang");
    ASSERT_TRUE(QDir().mkpath(dir));
    QStringList report;
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        HostFixture fixture;
        InLanguage pack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        QList<QImage> pictures;
        const auto look = [&](QWidget& page, const QString& name) {
            for (const Misfit& misfit : Misfits(page)) {
                report << QStringLiteral("%1 %2 %3: \"%4\" needs %5 x %6, has %7 x %8")
                              .arg(stem, name, misfit.control, misfit.text)
                              .arg(misfit.need.width())
                              .arg(misfit.need.height())
                              .arg(misfit.have.width())
                              .arg(misfit.have.height());
            }
            for (const QString& over : TextsOverControls(page)) {
                report << QStringLiteral("%1 %2: %3").arg(stem, name, over);
            }
            pictures << page.grab().toImage();
        };
        for (int id = 1; id <= 13; ++id) {
            // Made, laid out and measured, never shown: no page starts its work.
            std::unique_ptr<CPageBase> page = CreatePage(id, *fixture.host);
            ASSERT_NE(page, nullptr) << id;
            page->setAttribute(Qt::WA_DontShowOnScreen);
            page->resize(860, 640);
            look(*page, QStringLiteral("page %1").arg(id));
            if (auto* cloud = qobject_cast<CNubraServiceDlg*>(page.get())) {
                for (int choice : {2, 3}) {
                    platform::SendMessage(cloud, msg::kLatched, choice, 0);
                    look(*page, QStringLiteral("page 12 choice %1").arg(choice));
                }
            }
        }
        EXPECT_TRUE(ContactSheet(pictures).save(QStringLiteral("%1/%2-pages.png").arg(dir, stem)));

        // The side pages with texts of their own.
        pictures.clear();
        WhitePage owner;
        auto exchange = std::make_shared<CameraPasswordExchange>();
        const CameraPasswordRequest request{&owner, 0, QStringLiteral("Front door"), exchange};
        // Busy for good, so no waiting overlay closes itself while it is measured.
        const std::atomic<std::int32_t> busy{1};
        std::vector<std::unique_ptr<QWidget>> sides;
        auto error = std::make_unique<controls::CErrorPage>(&owner);
        error->setErrorText(shell::LookupText(u"Check Network Failed!", u"Check Network Failed!"));
        sides.push_back(std::move(error));
        sides.push_back(std::make_unique<controls::CNetAlarmPage>(&owner));
        sides.push_back(std::make_unique<controls::CAlarmDisplayPage>(&owner, 0, 0));
        sides.push_back(std::make_unique<controls::CAlarmDisplayPage>(&owner, 1, 1));
        sides.push_back(std::make_unique<CInstallCamPage>(&owner));
        sides.push_back(std::make_unique<CLEDRedPage>(&owner));
        sides.push_back(
            std::make_unique<CMacDisplayPage>(&owner, QStringLiteral("00:1C:2A:78:0E:01")));
        sides.push_back(std::make_unique<CNoDevicePage>(&owner));
        sides.push_back(std::make_unique<CResetPage>(&owner));
        sides.push_back(std::make_unique<CCameraPwdPage>(request));
        sides.push_back(std::make_unique<CCameraPwd2Page>(request));
        sides.push_back(std::make_unique<CTermPage>(&owner));
        for (int mode : {CWaitingPage::kPlainMode, CWaitingPage::kFormattingMode}) {
            sides.push_back(std::make_unique<CWaitingPage>(&owner, busy, 100000, QPoint(), mode));
        }
        for (const auto& side : sides) {
            side->setAttribute(Qt::WA_DontShowOnScreen);
            look(*side, QString::fromLatin1(side->metaObject()->className()));
        }
        EXPECT_TRUE(
            ContactSheet(pictures).save(QStringLiteral("%1/%2-side-pages.png").arg(dir, stem)));
    }
    EXPECT_TRUE(report.isEmpty()) << report.size() << " texts do not fit:\n"
                                  << report.join(QLatin1Char('\n')).toStdString();
}
