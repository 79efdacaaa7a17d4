#include <QDir>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "pages/CInstallCamPage.h"
#include "shell/CTransparentPage.h"

namespace {

class PageStandIn : public platform::MessageWindow<QWidget> {
public:
    PageStandIn() : MessageWindow<QWidget>(nullptr, Qt::FramelessWindowHint) {
        setGeometry(40, 30, 860, 640);
        show();
    }
};

}  // namespace

TEST(InstallCamPage, ThePictureFollowsTheTextInEveryLanguage) {
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        InLanguage pack(language);
        PageStandIn host;
        CInstallCamPage page(&host);
        EXPECT_EQ(page.titleLabel()->text(),
                  shell::LookupText(u"camsearch_07", u"How to install your network camera?"));
        EXPECT_FALSE(page.textLabel()->text().isEmpty());
        const QRect text = page.textLabel()->geometry();
        const QRect picture = page.picture()->geometry();
        EXPECT_EQ(text.topLeft(), CInstallCamPage::kTextRect.topLeft());
        EXPECT_GE(text.height(), page.textLabel()->contentHeight()) << language;
        EXPECT_EQ(picture.size(), CInstallCamPage::kPictureSize);
        EXPECT_EQ(picture.left(), 79);
        EXPECT_EQ(picture.top(), CInstallCamPage::PictureTop(text.height(), language)) << language;
        EXPECT_LE(picture.bottom(), CInstallCamPage::kSize.height()) << language;
        EXPECT_FALSE(page.picture()->image().isNull());
        if (language == shell::kEnglish || language == 21) {
            const QString dir = QStringLiteral(ORB_SCREENS_DIR "/cameras");
            QDir().mkpath(dir);
            const QString stem =
                QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
            const QString suffix =
                qGuiApp->devicePixelRatio() > 1 ? QStringLiteral("@2x") : QString();
            EXPECT_TRUE(
                page.grab().save(QStringLiteral("%1/%2-install%3.png").arg(dir, stem, suffix)));
        }
    }
    EXPECT_EQ(CInstallCamPage::PictureTop(57, 0), 100);
    EXPECT_EQ(CInstallCamPage::PictureTop(20, 0), 100);
    EXPECT_EQ(CInstallCamPage::PictureTop(77, 0), 120);
    EXPECT_EQ(CInstallCamPage::PictureTop(77, 1), 101);
}

TEST(InstallCamPage, TheCrossAndEscapeCloseItWithOk) {
    InLanguage english(shell::kEnglish);
    PageStandIn host;
    QPoint at;
    Script cross;
    cross.when([] { return Shown<CInstallCamPage>() != nullptr; },
               [&] {
                   at = Shown<CInstallCamPage>()->pos();
                   Click(Shown<CInstallCamPage>()->crossButton());
               });
    EXPECT_EQ(CTransparentPage::Show(&host, overlay::kInstallCamera), overlay::kOk);
    EXPECT_EQ(at, host.mapToGlobal(QPoint(0, 0)) + CInstallCamPage::kOverlayOffset);
    Script escape;
    escape.when([] { return Active<CInstallCamPage>() != nullptr; }, [] { Key(Qt::Key_Escape); });
    EXPECT_EQ(CTransparentPage::Show(&host, overlay::kInstallCamera), overlay::kOk);
    EXPECT_TRUE(cross.finished() && escape.finished());
}
