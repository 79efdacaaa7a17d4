#include <gtest/gtest.h>

#include "pages/NvrPasswordForm.h"

using Form = NvrPasswordForm;

TEST(PasswordRule, LengthIsSixToThirtyOneUnits) {
    EXPECT_FALSE(KeepsPasswordRule(QStringLiteral("abcd5")));
    EXPECT_TRUE(KeepsPasswordRule(QStringLiteral("abcde6")));
    EXPECT_TRUE(KeepsPasswordRule(QString(31, QLatin1Char('a'))));
    EXPECT_FALSE(KeepsPasswordRule(QString(32, QLatin1Char('a'))));
    EXPECT_FALSE(KeepsPasswordRule(QString()));
    EXPECT_TRUE(KeepsPasswordRule(QStringLiteral("123456"))) << "no count of letters";
}

TEST(PasswordRule, OnlyAsciiLettersAndDigits) {
    for (const QString& bad :
         {QStringLiteral("abc def"), QStringLiteral("abc-def"), QStringLiteral("abc_def"),
          QString::fromUtf16(u"abcdéf"), QString::fromUtf16(u"abcdeＡ"), QStringLiteral("abcde\t"),
          QString::fromUtf16(u"abcd\U0001F600")}) {
        EXPECT_FALSE(KeepsPasswordRule(bad)) << bad.toStdString();
    }
    EXPECT_TRUE(KeepsPasswordRule(QStringLiteral("AbCdEf09")));
}

TEST(PasswordForm, TypingInTheFirstBoxChecksTheRule) {
    Form form(Form::Mode::Create);
    form.firstChanged(QStringLiteral("abc"));
    EXPECT_EQ(form.mark(), Form::Mark::First);
    EXPECT_EQ(form.message(), Form::Message::RuleWhileTyping);
    form.firstChanged(QStringLiteral("abcdef"));
    EXPECT_EQ(form.mark(), Form::Mark::None);
    EXPECT_FALSE(form.bannerShown());
}

TEST(PasswordForm, TheSecondBoxNeverRaisesWhileTyping) {
    Form form(Form::Mode::Create);
    form.secondChanged(QStringLiteral("abcdef"));
    EXPECT_FALSE(form.bannerShown());
    form.firstChanged(QStringLiteral("ab"));
    form.secondChanged(QStringLiteral("ab"));
    EXPECT_EQ(form.message(), Form::Message::RuleWhileTyping) << "the rule error stays";
    form.firstLeft(QStringLiteral("abcdef"), QStringLiteral("abcdeg"));
    EXPECT_EQ(form.message(), Form::Message::Mismatch);
    form.secondChanged(QStringLiteral("abcdef"));
    EXPECT_FALSE(form.bannerShown()) << "typing the second box clears a mismatch";
    EXPECT_EQ(form.mark(), Form::Mark::None);
}

TEST(PasswordForm, AnEmptySecondBoxIsAMismatchOnlyOnNextOrLeavingIt) {
    Form form(Form::Mode::Create);
    form.firstLeft(QStringLiteral("abcdef"), QString());
    EXPECT_FALSE(form.bannerShown());
    form.secondLeft(QStringLiteral("abcdef"), QString());
    EXPECT_EQ(form.mark(), Form::Mark::Second);
    EXPECT_EQ(form.message(), Form::Message::Mismatch);
    Form next(Form::Mode::Create);
    EXPECT_FALSE(next.acceptNext(QStringLiteral("abcdef"), QString()));
    EXPECT_EQ(next.mark(), Form::Mark::Second);
    EXPECT_EQ(next.message(), Form::Message::Mismatch);
}

TEST(PasswordForm, CaseOnlyDifferencesAreAMismatch) {
    Form form(Form::Mode::Create);
    EXPECT_FALSE(form.acceptNext(QStringLiteral("Secret12"), QStringLiteral("secret12")));
    EXPECT_EQ(form.message(), Form::Message::Mismatch);
    EXPECT_TRUE(form.acceptNext(QStringLiteral("Secret12"), QStringLiteral("Secret12")));
    EXPECT_FALSE(form.bannerShown());
    EXPECT_EQ(form.mark(), Form::Mark::None);
}

TEST(PasswordForm, NextUsesTheLongRuleWordingAndChecksTheRuleFirst) {
    Form form(Form::Mode::Create);
    EXPECT_FALSE(form.acceptNext(QStringLiteral("ab c"), QStringLiteral("xyz")));
    EXPECT_EQ(form.mark(), Form::Mark::First);
    EXPECT_EQ(form.message(), Form::Message::RuleOnNext);
}

TEST(PasswordForm, LeavingAValidMatchingPairClearsEarlierErrors) {
    Form form(Form::Mode::Create);
    form.secondLeft(QStringLiteral("abcdef"), QStringLiteral("abcdeX"));
    ASSERT_EQ(form.message(), Form::Message::Mismatch);
    form.secondLeft(QStringLiteral("abcdef"), QStringLiteral("abcdef"));
    EXPECT_FALSE(form.bannerShown());
    form.firstLeft(QStringLiteral("abc"), QStringLiteral("abc"));
    EXPECT_EQ(form.mark(), Form::Mark::First) << "the rule comes before the comparison";
}

TEST(PasswordForm, VerifyModeChecksNothingAndOnlyClearsWhileTyping) {
    Form form(Form::Mode::Verify);
    for (const QString& typed : {QString(), QStringLiteral("a b"), QString::fromUtf16(u"пароль")}) {
        EXPECT_TRUE(form.acceptNext(typed, QString()));
    }
    form.firstLeft(QStringLiteral("x"), QStringLiteral("y"));
    form.secondLeft(QStringLiteral("x"), QStringLiteral("y"));
    EXPECT_FALSE(form.bannerShown());
    form.refused();
    EXPECT_EQ(form.mark(), Form::Mark::First);
    EXPECT_EQ(form.message(), Form::Message::Incorrect);
    form.firstChanged(QStringLiteral("x"));
    EXPECT_FALSE(form.bannerShown());
    EXPECT_EQ(form.mark(), Form::Mark::None);
}

TEST(PasswordForm, AFailedSetCarriesNoMarkAndChangingModeClears) {
    Form form(Form::Mode::Create);
    form.setFailed();
    EXPECT_EQ(form.message(), Form::Message::SetFailed);
    EXPECT_EQ(form.mark(), Form::Mark::None);
    form.setMode(Form::Mode::Verify);
    EXPECT_FALSE(form.bannerShown());
}
