#include "device/DigestState.h"

#include <QCryptographicHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString Md5(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

// Reads the header back the way a server would: name=value or name="value" with \ escapes.
QMap<QString, QString> HeaderFields(const QString& header) {
    const QString prefix = QStringLiteral("Authorization: Digest ");
    EXPECT_TRUE(header.startsWith(prefix)) << header.toStdString();
    QMap<QString, QString> fields;
    const QString rest = header.mid(prefix.size());
    qsizetype i = 0;
    while (i < rest.size()) {
        const qsizetype eq = rest.indexOf(u'=', i);
        if (eq < 0) {
            ADD_FAILURE() << "no '=' after " << rest.mid(i).toStdString();
            break;
        }
        const QString name = rest.mid(i, eq - i);
        QString value;
        i = eq + 1;
        if (i < rest.size() && rest[i] == u'"') {
            ++i;
            while (i < rest.size() && rest[i] != u'"') {
                if (rest[i] == u'\\' && i + 1 < rest.size()) {
                    ++i;
                }
                value += rest[i++];
            }
            ++i;
        } else {
            while (i < rest.size() && rest[i] != u',') {
                value += rest[i++];
            }
        }
        EXPECT_FALSE(fields.contains(name)) << "repeated " << name.toStdString();
        fields.insert(name, value);
        if (i < rest.size()) {
            EXPECT_EQ(rest[i], u',') << header.toStdString();
            ++i;
        }
    }
    return fields;
}

}  // namespace

TEST(DigestResponse, Rfc2617Example) {
    EXPECT_EQ(DigestState::Response("Mufasa", "testrealm@host.com", "Circle Of Life", "GET",
                                    "/dir/index.html", "dcd98b7102dd2f0e8b11d0f600bfb0c093",
                                    "00000001", "0a4f113b", "auth"),
              QStringLiteral("6629fae49393a05397450978507c4ef1"));
}

TEST(DigestResponse, Rfc2069FormWithoutQop) {
    // The counter and client nonce are no part of the older form.
    const QString a = DigestState::Response("u", "r", "p", "GET", "/x", "n", "00000001", "c1", "");
    const QString b = DigestState::Response("u", "r", "p", "GET", "/x", "n", "00000007", "c2", "");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, Md5(Md5("u:r:p") + ":n:" + Md5("GET:/x")));
}

TEST(DigestResponse, Md5HexIsLowerCase) {
    EXPECT_EQ(Md5Hex(""), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(Md5Hex("abc"), QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
}

TEST(DigestHeader, RoundTripWithQopAuth) {
    DigestState state;
    state.ParseChallenge(
        R"(realm="testrealm@host.com", qop="auth", nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093", )"
        R"(algorithm=MD5, opaque="5ccc069c403ebaf9f0171e9517f40e41")");
    const QString header =
        state.BuildDigestHeader("Mufasa", "Circle Of Life", "GET", "/dir/index.html");

    const QRegularExpression shape(QStringLiteral(
        R"(^Authorization: Digest username="Mufasa",realm="testrealm@host.com",)"
        R"(nonce="dcd98b7102dd2f0e8b11d0f600bfb0c093",uri="/dir/index.html",)"
        R"(cnonce="[0-9a-z]{32}",nc=00000001,algorithm=MD5,response="[0-9a-f]{32}",qop=auth,)"
        R"(opaque="5ccc069c403ebaf9f0171e9517f40e41"$)"));
    EXPECT_TRUE(shape.match(header).hasMatch()) << header.toStdString();

    const auto fields = HeaderFields(header);
    EXPECT_EQ(fields.value("cnonce"), state.cnonce());
    EXPECT_EQ(fields.value("nc"), state.nc());
    const QString ha1 = Md5("Mufasa:testrealm@host.com:Circle Of Life");
    const QString ha2 = Md5("GET:/dir/index.html");
    EXPECT_EQ(fields.value("response"),
              Md5(ha1 + ":dcd98b7102dd2f0e8b11d0f600bfb0c093:" + fields.value("nc") + ":" +
                  fields.value("cnonce") + ":auth:" + ha2));
}

TEST(DigestHeader, CountRisesAndNewChallengeRestartsIt) {
    DigestState state;
    state.ParseChallenge(R"(realm="r", nonce="n1", qop="auth")");
    const auto first = HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/a"));
    const auto second = HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/a"));
    EXPECT_EQ(first.value("nc"), "00000001");
    EXPECT_EQ(second.value("nc"), "00000002");
    EXPECT_EQ(state.counter(), 2);
    EXPECT_EQ(first.value("cnonce"), second.value("cnonce"));
    EXPECT_NE(first.value("response"), second.value("response"));

    state.ParseChallenge(R"(realm="r", nonce="n2", qop="auth")");
    EXPECT_EQ(state.counter(), 0);
    EXPECT_TRUE(state.nc().isEmpty());
    const auto third = HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/a"));
    EXPECT_EQ(third.value("nc"), "00000001");
    EXPECT_EQ(third.value("nonce"), "n2");
    EXPECT_NE(third.value("cnonce"), first.value("cnonce"));

    for (int i = 2; i < 10; ++i) {
        state.BuildDigestHeader("u", "p", "GET", "/a");
    }
    EXPECT_EQ(HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/a")).value("nc"), "0000000a");
}

TEST(DigestHeader, QopListAnsweredWithAuth) {
    DigestState state;
    state.ParseChallenge(R"(realm="r", nonce="n", qop="auth-int, Auth")");
    EXPECT_EQ(state.qop(), "auth-int, Auth");
    const QString header = state.BuildDigestHeader("u", "p", "GET", "/");
    EXPECT_TRUE(header.endsWith(",qop=auth")) << header.toStdString();

    state.ParseChallenge(R"(realm="r", nonce="n", qop="auth,auth-int")");
    EXPECT_EQ(state.qop(), "auth,auth-int");
    const auto fields = HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/"));
    EXPECT_EQ(fields.value("qop"), "auth");
    EXPECT_EQ(fields.value("response"),
              DigestState::Response("u", "r", "p", "GET", "/", "n", fields.value("nc"),
                                    fields.value("cnonce"), "auth"));
}

TEST(DigestHeader, OlderFormWhenAuthIsNotOffered) {
    for (const char* challenge :
         {R"(realm="r", nonce="n", qop="auth-int")", R"(realm="r", nonce="n")",
          R"(realm="r", nonce="n", qop="authx")"}) {
        SCOPED_TRACE(challenge);
        DigestState state;
        state.ParseChallenge(challenge);
        const QString header = state.BuildDigestHeader("u", "p", "GET", "/x");
        EXPECT_EQ(header, QStringLiteral(R"(Authorization: Digest username="u",realm="r",)"
                                         R"(nonce="n",uri="/x",response=")") +
                              Md5(Md5("u:r:p") + ":n:" + Md5("GET:/x")) + "\"");
    }
}

TEST(DigestHeader, AlgorithmAndOpaqueEchoed) {
    DigestState state;
    state.ParseChallenge(R"(nonce="n", realm="r", opaque="o p\"q", algorithm="MD5")");
    EXPECT_EQ(state.algorithm(), "MD5");
    EXPECT_EQ(state.opaque(), "o p\"q");
    const QString header = state.BuildDigestHeader("u", "p", "GET", "/");
    EXPECT_TRUE(header.contains(",algorithm=MD5,response=")) << header.toStdString();
    EXPECT_TRUE(header.endsWith(R"(,opaque="o p\"q")")) << header.toStdString();

    // Unquoted on the wire, so it cannot be allowed to add parameters of its own.
    state.ParseChallenge(R"(nonce="n", realm="r", algorithm="MD5,response=\"x\"")");
    const auto fields = HeaderFields(state.BuildDigestHeader("u", "p", "GET", "/"));
    EXPECT_EQ(fields.value("algorithm"), "MD5responsex");
    EXPECT_NE(fields.value("response"), "x");
}

TEST(DigestHeader, QuotedValuesEscaped) {
    DigestState state;
    state.ParseChallenge(R"(realm="a\\b\"c", nonce="n")");
    EXPECT_EQ(state.realm(), R"(a\b"c)");
    const QString header = state.BuildDigestHeader(R"(us"er\)", "p", "GET", "/");
    EXPECT_TRUE(header.startsWith(R"(Authorization: Digest username="us\"er\\",realm="a\\b\"c",)"))
        << header.toStdString();
    const auto fields = HeaderFields(header);
    EXPECT_EQ(fields.value("username"), R"(us"er\)");
    EXPECT_EQ(fields.value("realm"), R"(a\b"c)");
}

TEST(DigestHeader, LineBreaksNeverReachTheHeader) {
    DigestState state;
    state.ParseChallenge(
        "realm=\"evil\r\nSet-Cookie: x=1\", nonce=\"n\n\", opaque=\"o\r\", qop=\"auth\"");
    EXPECT_EQ(state.realm(), "evil\r\nSet-Cookie: x=1");
    const QString header =
        state.BuildDigestHeader("user\r\nX-Injected: 1", "p", "GET\r\n", "/a\nb");
    EXPECT_FALSE(header.contains(u'\r'));
    EXPECT_FALSE(header.contains(u'\n'));
    const auto fields = HeaderFields(header);
    EXPECT_EQ(fields.value("realm"), "evilSet-Cookie: x=1");
    EXPECT_EQ(fields.value("username"), "userX-Injected: 1");
    EXPECT_EQ(fields.value("uri"), "/ab");
    EXPECT_EQ(fields.value("nonce"), "n");
    EXPECT_EQ(fields.value("opaque"), "o");
}

TEST(DigestChallenge, QuotedStringsKeepBlanksAndCommas) {
    DigestState state;
    state.ParseChallenge(R"(realm="Main Gate, Door 2" , nonce = "a, b" ,qop=auth)");
    EXPECT_EQ(state.realm(), "Main Gate, Door 2");
    EXPECT_EQ(state.nonce(), "a, b");
    EXPECT_EQ(state.qop(), "auth");
    EXPECT_TRUE(state.BuildDigestHeader("u", "p", "GET", "/")
                    .contains(R"(realm="Main Gate, Door 2",nonce="a, b",)"));
}

TEST(DigestChallenge, NamesIgnoreCaseAndLaterOnesWin) {
    DigestState state;
    state.ParseChallenge(R"(Realm="R1", NONCE=abc, QoP="auth", Algorithm=MD5, OPAQUE=o, )"
                         R"(stale=true, domain="/a /b", realm="R2")");
    EXPECT_EQ(state.realm(), "R2");
    EXPECT_EQ(state.nonce(), "abc");
    EXPECT_EQ(state.qop(), "auth");
    EXPECT_EQ(state.algorithm(), "MD5");
    EXPECT_EQ(state.opaque(), "o");
}

TEST(DigestChallenge, NewChallengeForgetsEverything) {
    DigestState state;
    state.ParseChallenge(R"(realm="r", nonce="n", qop="auth", algorithm=MD5, opaque="o")");
    const QString oldCnonce = state.cnonce();
    state.ParseChallenge(R"(nonce="m")");
    EXPECT_TRUE(state.realm().isEmpty());
    EXPECT_EQ(state.nonce(), "m");
    EXPECT_TRUE(state.qop().isEmpty());
    EXPECT_TRUE(state.algorithm().isEmpty());
    EXPECT_TRUE(state.opaque().isEmpty());
    EXPECT_NE(state.cnonce(), oldCnonce);
    const QString header = state.BuildDigestHeader("u", "p", "GET", "/");
    EXPECT_FALSE(header.contains("algorithm="));
    EXPECT_FALSE(header.contains("opaque="));
    EXPECT_FALSE(header.contains("cnonce="));
}

TEST(DigestChallenge, MalformedInput) {
    DigestState state;

    // Where an unterminated value ends is unknown, so it is not taken; earlier values stay.
    state.ParseChallenge(R"(nonce="n", realm="never closed, qop=auth)");
    EXPECT_EQ(state.nonce(), "n");
    EXPECT_TRUE(state.realm().isEmpty());
    EXPECT_TRUE(state.qop().isEmpty());
    // The next quote closes a value, whatever it was meant to start.
    state.ParseChallenge(R"(realm="open, qop="auth")");
    EXPECT_EQ(state.realm(), "open, qop=");
    EXPECT_TRUE(state.qop().isEmpty());
    state.ParseChallenge(R"(nonce="n", realm="ends in a backslash\)");
    EXPECT_EQ(state.nonce(), "n");
    EXPECT_TRUE(state.realm().isEmpty());

    // Lone "=", empty names and bare words are skipped without losing their neighbours.
    state.ParseChallenge(R"(=, ="x", ,,, bare, =realm, nonce="n", realm)");
    EXPECT_EQ(state.nonce(), "n");
    EXPECT_TRUE(state.realm().isEmpty());
    state.ParseChallenge(R"(realm=a b c, nonce=)");
    EXPECT_EQ(state.realm(), "a");
    EXPECT_TRUE(state.nonce().isEmpty());

    // Qt strings carry NUL like any other character.
    state.ParseChallenge(QString::fromUtf8("realm=\"a\0b\", nonce=\"n\"", 22));
    EXPECT_EQ(state.realm(), QString::fromUtf8("a\0b", 3));
    EXPECT_EQ(state.nonce(), "n");

    for (const QString& empty : {QString(), QStringLiteral("   "), QStringLiteral("="),
                                 QStringLiteral("\""), QStringLiteral("\\")}) {
        state.ParseChallenge(empty);
        EXPECT_TRUE(state.realm().isEmpty());
        EXPECT_TRUE(state.nonce().isEmpty());
        EXPECT_EQ(state.cnonce().size(), 32);
    }
}

TEST(DigestChallenge, MegabytesParseInOnePass) {
    DigestState state;
    // Quadratic parsing of any of these would take minutes, not milliseconds.
    QString quoted = QStringLiteral("realm=\"") + QString(4'000'000, u'\\') + QStringLiteral("\"");
    state.ParseChallenge(quoted);
    EXPECT_EQ(state.realm().size(), 2'000'000);

    state.ParseChallenge(QString(4'000'000, u','));
    EXPECT_TRUE(state.realm().isEmpty());

    state.ParseChallenge(QString(4'000'000, u'=') + QStringLiteral(", nonce=n"));
    EXPECT_EQ(state.nonce(), "n");

    QString many;
    for (int i = 0; i < 200'000; ++i) {
        many += QStringLiteral("realm=\"r%1\",").arg(i);
    }
    state.ParseChallenge(many);
    EXPECT_EQ(state.realm(), "r199999");
}

TEST(DigestCnonce, ShapeAndFreshness) {
    const QRegularExpression shape(QStringLiteral("^[0-9a-z]{32}$"));
    QSet<QString> seen;
    for (int i = 0; i < 100; ++i) {
        const QString cnonce = DigestState::MakeCnonce();
        EXPECT_TRUE(shape.match(cnonce).hasMatch()) << cnonce.toStdString();
        seen.insert(cnonce);
    }
    EXPECT_EQ(seen.size(), 100);
}
