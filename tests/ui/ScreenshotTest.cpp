#include <QDir>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "pages/CPageBase.h"

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
