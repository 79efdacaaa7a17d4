#include <gtest/gtest.h>

#include "util/IniReader.h"

using util::DecodeIniText;
using util::FindIniValue;

namespace {

QByteArray Utf16Le(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

std::optional<QString> Find(const QString& text, const QString& key) {
    return FindIniValue(text, u"language", key);
}

}  // namespace

TEST(IniReader, KeyMatchIgnoresCaseAndBlanksAndFirstLineWins) {
    const QString text =
        QStringLiteral("[language]\r\nNEXT=NEXT\r\nNext=Later\r\n  Back \t=  Go back \r\n");
    EXPECT_EQ(Find(text, QStringLiteral("Next")), QStringLiteral("NEXT"));
    EXPECT_EQ(Find(text, QStringLiteral("next")), QStringLiteral("NEXT"));
    EXPECT_EQ(Find(text, QStringLiteral(" Back ")), QStringLiteral("Go back"));
    EXPECT_EQ(Find(text, QStringLiteral("BACK")), QStringLiteral("Go back"));
}

TEST(IniReader, EmptyValueIsPresentButMissingKeyIsNot) {
    const QString text = QStringLiteral("[language]\r\nCheck Network Failed!=\r\nOK=OK\r\n");
    const auto empty = Find(text, QStringLiteral("Check Network Failed!"));
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_FALSE(Find(text, QStringLiteral("Cancel")).has_value());
    EXPECT_FALSE(Find(text, QString()).has_value());
    EXPECT_FALSE(Find(text, QStringLiteral("   ")).has_value());
}

TEST(IniReader, OnlyTheNamedSectionCountsAndOnlyItsFirstOccurrence) {
    const QString text = QStringLiteral(
        "OK=before any section\n[other]\nOK=other\n[ LANGUAGE ]\nline without equals\nOK=mine\n"
        "[language]\nApply=second section\n");
    EXPECT_EQ(Find(text, QStringLiteral("OK")), QStringLiteral("mine"));
    EXPECT_FALSE(Find(text, QStringLiteral("Apply")).has_value());
    EXPECT_FALSE(FindIniValue(text, u"missing", u"OK").has_value());
}

TEST(IniReader, ValueKeepsInnerEqualsAndMarkupAndIsCutAt4095) {
    const QString text = QStringLiteral("[language]\nk=a=b <br>x</br> {0}\n");
    EXPECT_EQ(Find(text, QStringLiteral("k")), QStringLiteral("a=b <br>x</br> {0}"));

    const QString longValue(5000, QLatin1Char('x'));
    const auto cut = Find(QStringLiteral("[language]\nk=") + longValue, QStringLiteral("k"));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->size(), util::kIniMaxValueLength);

    // A surrogate pair that straddles the limit is dropped whole, never split.
    QString straddling(util::kIniMaxValueLength - 1, QLatin1Char('y'));
    straddling += QString::fromUtf16(u"\U0001F600");
    const auto whole = Find(QStringLiteral("[language]\nk=") + straddling, QStringLiteral("k"));
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(whole->size(), util::kIniMaxValueLength - 1);
    EXPECT_FALSE(whole->back().isHighSurrogate());
}

TEST(IniReader, BlanksGoBeforeTheCut) {
    // As with the private-profile reader: the value is trimmed first, then cut, so a blank
    // that lands at the cut stays (found by fuzz_ini_reader, seed ini/cut-after-blank.ini).
    QString value(util::kIniMaxValueLength - 1, QLatin1Char('a'));
    value += QStringLiteral(" tail  ");
    const auto cut = Find(QStringLiteral("[language]\nk=  ") + value, QStringLiteral("k"));
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(*cut, value.left(util::kIniMaxValueLength));
    EXPECT_EQ(cut->back(), QLatin1Char(' '));
}

TEST(IniReader, DecodesUtf16LeUtf8AndLocalText) {
    EXPECT_EQ(DecodeIniText(Utf16Le(QStringLiteral("[language]\r\nHD1=Ää日本"))),
              QStringLiteral("[language]\r\nHD1=Ää日本"));
    EXPECT_EQ(DecodeIniText(QByteArray("\xEF\xBB\xBFk=\xC3\xA4")), QStringLiteral("k=ä"));
    EXPECT_EQ(DecodeIniText(QByteArray("k=v")), QStringLiteral("k=v"));
    // An odd trailing byte is ignored rather than read past the end.
    EXPECT_EQ(DecodeIniText(QByteArray("\xFF\xFEk\x00=", 5)), QStringLiteral("k"));
}
