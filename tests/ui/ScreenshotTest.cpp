#include <QDir>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "pages/CLEDRedPage.h"
#include "pages/CPageBase.h"
#include "pages/CResetPage.h"

// Saves every page as the user sees it, for people to look at.
TEST(Screenshots, EveryPageInEnglishGermanGreekAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/pages");
    ASSERT_TRUE(QDir().mkpath(dir));
    HostFixture fixture;
    for (int language : {0, 6, 17, 21}) {
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
        for (int id = 1; id <= 13; ++id) {
            fixture.post(msg::kNavigate, msg::kNext, id - fixture.host->currentPageId() - 1);
            ASSERT_EQ(fixture.host->currentPageId(), id);
            const QImage shot = fixture.host->grab().toImage();
            ASSERT_EQ(shot.size(), QSize(860, 640));
            const QString name =
                QStringLiteral("%1/%2-%3.png")
                    .arg(dir, QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4))
                    .arg(id, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(shot.save(name)) << name.toStdString();
        }
    }
}

// Pages 1 to 6 and both help pages at the screen's density (the suite runs once more at 2x).
TEST(Screenshots, IntroductoryPagesAndTheirHelpInEnglishGermanAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/intro");
    ASSERT_TRUE(QDir().mkpath(dir));
    const qreal ratio = qGuiApp->devicePixelRatio();
    const QString suffix = ratio > 1 ? QStringLiteral("@2x") : QString();
    HostFixture fixture;
    for (int language : {0, 6, 21}) {
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        auto save = [&](QWidget& widget, const QString& name) {
            const QImage shot = widget.grab().toImage();
            EXPECT_EQ(shot.size(), widget.size() * ratio) << name.toStdString();
            const QString path = QStringLiteral("%1/%2-%3%4.png").arg(dir, stem, name, suffix);
            EXPECT_TRUE(shot.save(path)) << path.toStdString();
        };
        for (int id = 1; id <= 6; ++id) {
            fixture.post(msg::kNavigate, msg::kNext, id - fixture.host->currentPageId() - 1);
            ASSERT_EQ(fixture.host->currentPageId(), id);
            save(*fixture.host, QStringLiteral("%1").arg(id, 2, 10, QLatin1Char('0')));
        }
        CLEDRedPage led(nullptr);
        led.show();
        save(led, QStringLiteral("led"));
        CResetPage reset(nullptr);
        reset.show();
        save(reset, QStringLiteral("reset"));
    }
    shell::SetLanguageIndex(shell::kEnglish);
}
