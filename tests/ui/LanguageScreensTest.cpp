#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QRawFont>
#include <QSet>

#include <algorithm>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CNetAlarmPage.h"
#include "controls/Fonts.h"
#include "util/IniReader.h"

namespace {

// The faces the wizard's text ends up in: its own families after their fallback, and the
// faces the system falls back to for scripts those lack.
QList<QRawFont> WizardFaces() {
    QList<QRawFont> faces;
    QStringList families = {controls::ResolveFamily(QStringLiteral("Verdana")),
                            controls::ResolveFamily(QStringLiteral("Tahoma")),
                            QStringLiteral("Arial")};
    for (const QString& family : QFontDatabase::families()) {
        if (family.startsWith(QLatin1String("Noto Sans CJK")) ||
            family == QLatin1String("DejaVu Sans")) {
            families << family;
        }
    }
    for (const QString& family : families) {
        QFont font(family);
        font.setPixelSize(14);
        const QRawFont raw = QRawFont::fromFont(font);
        if (raw.isValid()) {
            faces << raw;
        }
    }
    return faces;
}

}  // namespace

// A character no installed face can draw would show as an empty box.
TEST(LanguageGlyphs, EveryCharacterOfEveryPackHasAFace) {
    const QList<QRawFont> faces = WizardFaces();
    ASSERT_FALSE(faces.isEmpty());
    for (int i = 0; i < shell::kLanguageCount; ++i) {
        const char* fileName = shell::LanguageAt(i).fileName;
        QFile file(QStringLiteral(ORB_SOURCE_DIR "/resources/lang/") + QLatin1String(fileName));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << fileName;
        const QString text = util::DecodeIniText(file.readAll());
        QSet<char32_t> missing;
        for (const char32_t c : text.toUcs4()) {
            if (c < 0x20 || missing.contains(c)) {
                continue;
            }
            const bool drawn = std::any_of(faces.begin(), faces.end(), [c](const QRawFont& face) {
                return face.supportsCharacter(c);
            });
            if (!drawn) {
                missing.insert(c);
            }
        }
        QStringList codes;
        for (const char32_t c : missing) {
            codes << QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
        }
        EXPECT_TRUE(missing.isEmpty()) << fileName << ": " << codes.join(' ').toStdString();
    }
}

// Home and the text-heaviest side pages in the languages with the longest words and the
// other scripts, for people to look at.
TEST(LanguageScreens, HomeAndAlertsInJapaneseGermanAndGreek) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/lang");
    ASSERT_TRUE(QDir().mkpath(dir));
    HostFixture fixture;
    for (int language : {21, 6, 17}) {
        shell::SetLanguageIndex(language);
        shell::LoadLanguagePack(language);
        fixture.post(msg::kNavigate, msg::kNext, -fixture.host->currentPageId());
        ASSERT_EQ(fixture.host->currentPageId(), 1);
        const QString name = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        const QImage shot = fixture.host->grab().toImage();
        EXPECT_TRUE(shot.save(dir + QStringLiteral("/home-") + name + QStringLiteral(".png")));
        controls::CNetAlarmPage internet(fixture.host.get());
        EXPECT_TRUE(internet.grab().save(dir + QStringLiteral("/net-alarm-") + name +
                                         QStringLiteral(".png")));
        controls::CAlarmDisplayPage drive(fixture.host.get(), 0, 0);
        EXPECT_TRUE(
            drive.grab().save(dir + QStringLiteral("/no-drive-") + name + QStringLiteral(".png")));
    }
}

// Captions of the buttons with a fixed width fit them in every language, with room to spare.
TEST(LanguageCaptions, FitTheirFixedWidthButtons) {
    struct Button {
        const char16_t* key;
        int width;
    };
    const Button buttons[] = {{u"START", 416}, {u"OK", 118},         {u"CANCEL", 118},
                              {u"Close", 118}, {u"Summary_03", 240}, {u"Summary_04", 240}};
    constexpr int kMargin = 2 * 8;
    const QFontMetrics metrics(controls::UiFont(14, true));
    ScopedTempFolder temp;
    for (int i = 0; i < shell::kLanguageCount; ++i) {
        shell::SetLanguageIndex(i);
        ASSERT_TRUE(shell::LoadLanguagePack(i));
        for (const Button& button : buttons) {
            const QString caption = shell::LookupText(button.key, button.key);
            EXPECT_LE(metrics.horizontalAdvance(caption) + kMargin, button.width)
                << shell::LanguageAt(i).fileName << " " << caption.toStdString();
        }
    }
    shell::SetLanguageIndex(shell::kEnglish);
}
