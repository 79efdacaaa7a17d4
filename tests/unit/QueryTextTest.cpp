#include "device/QueryText.h"

#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

TEST(QueryTextEscape, FieldBreakersEscapedOthersKept) {
    EXPECT_EQ(EscapeQueryValue("a+b&c@x.com"), "a%2Bb%26c@x.com");
    EXPECT_EQ(EscapeQueryValue("100%"), "100%25");
    EXPECT_EQ(EscapeQueryValue("p#w d"), "p%23w%20d");
    EXPECT_EQ(EscapeQueryValue("a=b/c?d;e:f!g'h(i)*~_-.,$"), "a=b/c?d;e:f!g'h(i)*~_-.,$");
    EXPECT_EQ(EscapeQueryValue("%25"), "%2525");  // never taken as escaped already
    EXPECT_EQ(EscapeQueryValue(""), "");
}

TEST(QueryTextEscape, ControlAndNonAsciiBytes) {
    EXPECT_EQ(EscapeQueryValue(QString::fromUtf8("a\0b", 3)), "a%00b");
    EXPECT_EQ(EscapeQueryValue("\t\r\n\x1f\x7f"), "%09%0D%0A%1F%7F");
    EXPECT_EQ(EscapeQueryValue(QString::fromUtf8("Grüße")), "Gr%C3%BC%C3%9Fe");
    EXPECT_EQ(EscapeQueryValue(QString::fromUtf8("\u20ac\U0001F600")), "%E2%82%AC%F0%9F%98%80");
    // The highest kept byte and the lowest escaped one either side of DEL.
    EXPECT_EQ(EscapeQueryValue("~\x7f"), "~%7F");
    EXPECT_EQ(EscapeQueryValue(" !"), "%20!");
}

TEST(QueryTextForm, OnlyUnreservedKept) {
    EXPECT_EQ(FormEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(FormEncode("a b+c&d=e"), "a%20b%2Bc%26d%3De");
    EXPECT_EQ(FormEncode("!*'();:@$,/?#[]%"), "%21%2A%27%28%29%3B%3A%40%24%2C%2F%3F%23%5B%5D%25");
    EXPECT_EQ(FormEncode(QString::fromUtf8("é\n")), "%C3%A9%0A");
    EXPECT_EQ(FormEncode(""), "");
}

TEST(QueryTextForm, DecodesBackToTheSameValues) {
    const QStringList values = {
        QStringLiteral("a&b=c+d e"),
        QStringLiteral("100% sure?#frag"),
        QString::fromUtf8("Grüße, 東京 \U0001F600"),
        QStringLiteral("=&+&="),
        QString::fromUtf8("line1\r\nline2\t\0end", 17),
    };
    QString body;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString value = values[i];
        const QString encoded = FormEncode(value);
        EXPECT_EQ(QUrl::fromPercentEncoding(encoded.toLatin1()), value);
        if (!body.isEmpty()) {
            body += u'&';
        }
        body += QStringLiteral("k%1=").arg(i) + encoded;
    }
    const QUrlQuery query(body);
    for (qsizetype i = 0; i < values.size(); ++i) {
        EXPECT_EQ(query.queryItemValue(QStringLiteral("k%1").arg(i), QUrl::FullyDecoded), values[i])
            << i;
    }
    EXPECT_EQ(query.queryItems().size(), values.size());
}

TEST(QueryTextWire, RequestLineBytes) {
    EXPECT_EQ(WireTarget("/set?mail=a%2Bb%40c&x=1"), QByteArray("/set?mail=a%2Bb%40c&x=1"));
    EXPECT_EQ(WireTarget(QString::fromUtf8("/a b?n=é")), QByteArray("/a%20b?n=%C3%A9"));
    EXPECT_EQ(WireTarget("/p\r\nHost: evil"), QByteArray("/p%0D%0AHost:%20evil"));
    EXPECT_EQ(WireTarget(QString::fromUtf8("\0\x7f!~", 4)), QByteArray("%00%7F!~"));
    EXPECT_EQ(WireTarget("#+&%"), QByteArray("#+&%"));
    EXPECT_EQ(WireTarget(""), QByteArray());
}

TEST(QueryTextWire, EscapedValueSurvivesUnchanged) {
    const QString value = QString::fromUtf8("p@ss wörd+&#%");
    const QString target = QStringLiteral("/cgi?user=admin&pwd=") + EscapeQueryValue(value);
    const QByteArray wire = WireTarget(target);
    EXPECT_EQ(wire, target.toLatin1());
    for (const char c : wire) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte > 0x20 && byte < 0x7F) << int(byte);
    }
    const QUrlQuery query(QString::fromLatin1(wire.mid(wire.indexOf('?') + 1)));
    EXPECT_EQ(query.queryItemValue("pwd", QUrl::FullyDecoded), value);
    EXPECT_EQ(query.queryItemValue("user", QUrl::FullyDecoded), "admin");
}
