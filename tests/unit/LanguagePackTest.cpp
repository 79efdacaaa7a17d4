#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "shell/LanguagePack.h"

using shell::LookupText;

namespace {

// Each test starts in English with the pack written to a temporary folder of its own.
class LanguagePackTest : public ::testing::Test {
protected:
    void SetUp() override { Use(shell::kEnglish); }
    void TearDown() override { shell::SetLanguageIndex(shell::kEnglish); }

    void Use(int index) {
        shell::SetLanguageIndex(index);
        ASSERT_TRUE(shell::LoadLanguagePack(index));
    }

    ScopedTempFolder temp_;
};

}  // namespace

TEST_F(LanguagePackTest, WritesThePackIntoTheTemporaryFolderAndRemembersIt) {
    EXPECT_EQ(shell::LanguageFolder(), temp_.path() + QLatin1Char('/'));
    QFile file(temp_.path() + QStringLiteral("/EN.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith(QByteArray("\xFF\xFE[\0l\0", 6)));
}

TEST_F(LanguagePackTest, PresentEmptyValueIsEmptyNotTheFallback) {
    Use(6);  // German
    EXPECT_EQ(LookupText(u"Check Network Failed!", u"Check Network Failed!"), QString());
    Use(1);  // Portuguese: "Next" is empty but shadowed by the earlier "NEXT"
    EXPECT_EQ(LookupText(u"Next", u"Next"), QStringLiteral("Seguinte"));
}

TEST_F(LanguagePackTest, NextFindsTheEarlierUpperCaseLine) {
    EXPECT_EQ(LookupText(u"Next", u"fallback"), QStringLiteral("NEXT"));
    EXPECT_EQ(LookupText(u"next", u"fallback"), QStringLiteral("NEXT"));
}

TEST_F(LanguagePackTest, KeysMissingFromThePackShowTheFallback) {
    Use(6);
    EXPECT_EQ(LookupText(u"nvrpwd_05", u"Wrong password"), QStringLiteral("Wrong password"));
    for (int index : {0, 1, 2, 6, 21}) {
        Use(index);
        for (const char16_t* key :
             {u"camsearch_09", u"corvane_07", u"corvane_08", u"eula_16_1", u"nvrpwd_06"}) {
            EXPECT_EQ(LookupText(key, u"fallback text"), QStringLiteral("fallback text"))
                << "language " << index;
        }
    }
}

TEST_F(LanguagePackTest, ModelPlaceholderIsCompletedInPackTextsAndFallbacks) {
    EXPECT_EQ(LookupText(u"home_03", u"x"),
              QStringLiteral("NOTE: Confirm that cameras have been installed on the network "
                             "before starting the ORB-780Z Setup Wizard."));
    EXPECT_EQ(LookupText(u"no such key", u"Reset your @@ now@@"),
              QStringLiteral("Reset your ORB-780Z nowORB-780Z"));
    // The English page texts name this model, never the ones the call sites' fallbacks name.
    const QString intro = LookupText(u"intro_04", u"After the LED on the top of the ORB-560Z");
    EXPECT_TRUE(intro.contains(QStringLiteral("ORB-780Z"))) << intro.toStdString();
    EXPECT_FALSE(intro.contains(QStringLiteral("560Z")));
}

TEST_F(LanguagePackTest, RequestedKeyLosesItsBlanks) {
    const QString plain = LookupText(u"camsearch_03", u"fallback");
    EXPECT_NE(plain, QStringLiteral("fallback"));
    EXPECT_EQ(LookupText(u"camsearch_03 ", u"fallback"), plain);
    EXPECT_EQ(LookupText(u"hddformat_06 ", u"fallback"), LookupText(u"hddformat_06", u"x"));
    EXPECT_EQ(LookupText(u"hddformat_07 ", u"fallback"), LookupText(u"hddformat_07", u"x"));
}

TEST_F(LanguagePackTest, FillsReplaceEveryPlaceholderButNeverRescanWhatTheyBring) {
    EXPECT_EQ(
        LookupText(u"nokey", u"{0} of {1}, {0} again", QStringLiteral("3"), QStringLiteral("11")),
        QStringLiteral("3 of 11, 3 again"));
    // An empty fill leaves its placeholder in place.
    EXPECT_EQ(LookupText(u"nokey", u"{0}-{1}-{2}-{3}", QString(), QStringLiteral("b"), QString(),
                         QStringLiteral("d")),
              QStringLiteral("{0}-b-{2}-d"));
    // Text a fill brings in (a camera name, an e-mail address) is shown as it is.
    EXPECT_EQ(LookupText(u"nokey", u"[{0}] [{1}]", QStringLiteral("{1}@@"), QStringLiteral("x")),
              QStringLiteral("[{1}@@] [x]"));
    EXPECT_EQ(LookupText(u"nokey", u"{4} {0 } {", QStringLiteral("z")),
              QStringLiteral("{4} {0 } {"));
}

TEST_F(LanguagePackTest, SwitchingLanguageWritesEachPackAndKeepsEarlierOnes) {
    Use(6);
    Use(21);
    EXPECT_TRUE(QFile::exists(temp_.path() + QStringLiteral("/EN.ini")));
    EXPECT_TRUE(QFile::exists(temp_.path() + QStringLiteral("/DE.ini")));
    EXPECT_TRUE(QFile::exists(temp_.path() + QStringLiteral("/JP.ini")));
    EXPECT_EQ(shell::LanguageIndex(), 21);
    EXPECT_NE(LookupText(u"START", u"START"), QString());
}

TEST_F(LanguagePackTest, IndexOutsideTheTableIsEnglishEverywhere) {
    for (int index : {-1, 22, 1000}) {
        shell::SetLanguageIndex(index);
        EXPECT_EQ(shell::RecorderLanguageNumber(), 4);
        EXPECT_STREQ(shell::LanguageAt(index).fileName, "EN.ini");
        EXPECT_EQ(shell::LanguageAt(index).resourceId, 3153);
        ASSERT_TRUE(shell::LoadLanguagePack(index));
        EXPECT_EQ(LookupText(u"Next", u"x"), QStringLiteral("NEXT"));
    }
}

TEST_F(LanguagePackTest, RecorderLanguageNumbersFollowTheTable) {
    const int expected[shell::kLanguageCount] = {4, 16, 19, 5, 23, 22, 2, 7, 10, 13, 15,
                                                 0, 9,  14, 0, 6,  0,  0, 8, 18, 20, 11};
    for (int index = 0; index < shell::kLanguageCount; ++index) {
        shell::SetLanguageIndex(index);
        EXPECT_EQ(shell::RecorderLanguageNumber(), expected[index]) << index;
        EXPECT_EQ(shell::LanguageAt(index).resourceId, 3153 + index);
    }
    EXPECT_TRUE(shell::UsesAlternativeLineLayout(4));
    EXPECT_TRUE(shell::UsesAlternativeLineLayout(5));
    EXPECT_TRUE(shell::UsesAlternativeLineLayout(21));
    EXPECT_FALSE(shell::UsesAlternativeLineLayout(0));
    EXPECT_FALSE(shell::UsesAlternativeLineLayout(6));
}

TEST_F(LanguagePackTest, UnreadablePackFallsBackWithoutFailing) {
    // The file vanishes behind the wizard's back: the call sites' English still shows.
    ASSERT_TRUE(QFile::remove(temp_.path() + QStringLiteral("/EN.ini")));
    EXPECT_EQ(LookupText(u"START", u"Start fallback"), QStringLiteral("Start fallback"));
}
