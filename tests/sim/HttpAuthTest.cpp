// Basic and Digest as the simulated devices check them. The Digest values below were computed
// outside the project with md5sum:
//   HA1 = md5("admin:ORB-780Z:Secret1") = a7939b2ac470af1bd1d70f6848f36e90,
//   HA2 = md5("GET:/config/datetime") = e817e38779b851204afa0fc477864914,
//   response = md5(HA1:nonce:nc:cnonce:auth:HA2), and the RFC 2069 form md5(HA1:nonce:HA2).

#include <gtest/gtest.h>

#include "HttpAuth.h"
#include "HttpTestSupport.h"

using namespace sim;
using simtest::BasicHeader;
using simtest::Get;

namespace {

const QByteArray kNonce = "0123456789abcdef0123456789abcdef";
const QByteArray kResponseNc1 = "b048ec010f1c955fd6058f2094700197";
const QByteArray kResponseNc2 = "cbdc921873fe8905e3d22613432c61ea";
const QByteArray kResponse2069 = "8846254ae101893444d3faaa24d8c29b";

QByteArray WizardHeader(const QByteArray& nc, const QByteArray& response,
                        const QByteArray& uri = "/config/datetime") {
    return "Digest username=\"admin\",realm=\"ORB-780Z\",nonce=\"" + kNonce + "\",uri=\"" + uri +
           "\",cnonce=\"0a4f113b\",nc=" + nc + ",algorithm=MD5,response=\"" + response +
           "\",qop=\"auth\"";
}

class DigestTest : public ::testing::Test {
protected:
    DigestTest() : digest("ORB-780Z", [] { return kNonce; }) { digest.challenge(); }

    bool verify(const QByteArray& header, const QByteArray& target = "/config/datetime",
                const QString& password = QStringLiteral("Secret1")) {
        return digest.verify(header, "GET", target, QStringLiteral("admin"), password);
    }

    DigestAuthority digest;
};

TEST_F(DigestTest, AcceptsTheWizardsHeaderAndRefusesItsReplay) {
    EXPECT_TRUE(verify(WizardHeader("00000001", kResponseNc1)));
    EXPECT_FALSE(verify(WizardHeader("00000001", kResponseNc1))) << "same nonce count twice";
    EXPECT_TRUE(verify(WizardHeader("00000002", kResponseNc2)));
}

TEST_F(DigestTest, AcceptsTheOlderFormWithoutQop) {
    const QByteArray header = "Digest username=\"admin\", realm=\"ORB-780Z\", nonce=\"" + kNonce +
                              "\", uri=\"/config/datetime\", response=\"" + kResponse2069 + "\"";
    EXPECT_TRUE(verify(header));
}

TEST_F(DigestTest, RefusesAnythingThatDoesNotFit) {
    // Each header differs from the accepted one in one respect.
    EXPECT_FALSE(verify(WizardHeader("00000001", kResponseNc1), "/config/datetime",
                        QStringLiteral("secret1")));
    EXPECT_FALSE(verify(WizardHeader("00000001", kResponseNc1), "/config/nubraportal"));
    EXPECT_FALSE(verify(WizardHeader("00000001", kResponseNc2)));
    QByteArray otherNc = WizardHeader("00000002", kResponseNc1);
    EXPECT_FALSE(verify(otherNc)) << "nc is part of the hash";
    QByteArray otherCnonce = WizardHeader("00000001", kResponseNc1);
    otherCnonce.replace("0a4f113b", "0a4f113c");
    EXPECT_FALSE(verify(otherCnonce)) << "cnonce is part of the hash";
    QByteArray otherUser = WizardHeader("00000001", kResponseNc1);
    otherUser.replace("username=\"admin\"", "username=\"root\"");
    EXPECT_FALSE(verify(otherUser));
    QByteArray otherRealm = WizardHeader("00000001", kResponseNc1);
    otherRealm.replace("realm=\"ORB-780Z\"", "realm=\"ORB\"");
    EXPECT_FALSE(verify(otherRealm));
    QByteArray intQop = WizardHeader("00000001", kResponseNc1);
    intQop.replace("qop=\"auth\"", "qop=\"auth-int\"");
    EXPECT_FALSE(verify(intQop));
    QByteArray badOpaque = WizardHeader("00000001", kResponseNc1) + ",opaque=\"nothing\"";
    EXPECT_FALSE(verify(badOpaque));
    QByteArray shortNc = WizardHeader("00000001", kResponseNc1);
    shortNc.replace("nc=00000001", "nc=1");
    EXPECT_FALSE(verify(shortNc));

    // A nonce this authority never issued.
    DigestAuthority stranger("ORB-780Z");
    EXPECT_FALSE(stranger.verify(WizardHeader("00000001", kResponseNc1), "GET", "/config/datetime",
                                 QStringLiteral("admin"), QStringLiteral("Secret1")));
    // None of the refusals above used up the nonce count.
    EXPECT_TRUE(verify(WizardHeader("00000001", kResponseNc1)));
}

TEST_F(DigestTest, GarbageHeadersAreRefused) {
    const QByteArray headers[] = {
        "",
        "Digest",
        "Digest ",
        "Digest ,,,===,\"",
        "Digest username=\"admin",
        "Digest username=admin,realm=ORB-780Z,nonce=" + kNonce,
        "Digest username=\"admin\",realm=\"ORB-780Z\",nonce=\"" + kNonce +
            "\",uri=\"/config/datetime\",response=\"\",qop=\"auth\",nc=zzzzzzzz,cnonce=\"x\"",
        QByteArray(5000, '"'),
        QByteArray("Digest \0\0\0", 10),
    };
    for (const QByteArray& header : headers) {
        EXPECT_FALSE(verify(header)) << header.left(60).toStdString();
    }
}

TEST(DigestChallenge, SurvivesTheWizardsSplittingAtBlanks) {
    DigestAuthority digest("ORB-780Z");
    const QByteArray challenge = digest.challenge();
    ASSERT_TRUE(challenge.startsWith("Digest "));
    // The wizard cuts at blanks, then drops quotes and commas from each value.
    QMap<QByteArray, QByteArray> seen;
    for (const QByteArray& token : challenge.mid(7).split(' ')) {
        const qsizetype equals = token.indexOf('=');
        QByteArray value = token.mid(equals + 1);
        value.replace("\"", "").replace(",", "");
        seen.insert(token.left(equals), value);
    }
    EXPECT_EQ(seen.value("realm"), "ORB-780Z");
    EXPECT_EQ(seen.value("qop"), "auth");
    EXPECT_EQ(seen.value("algorithm"), "MD5");
    EXPECT_EQ(seen.value("nonce").size(), 32);
    EXPECT_EQ(seen.value("opaque"), digest.opaque());
    EXPECT_NE(DigestAuthority("ORB-780Z").challenge(), challenge) << "nonces are fresh";
}

TEST(Authenticate, EmptyPasswordPassesAsBasicAdminColonEvenUnderDigest) {
    DigestAuthority digest("ORB-780Z");
    for (const bool useDigest : {false, true}) {
        const AuthPolicy policy{QString(), useDigest};
        EXPECT_FALSE(Authenticate(Get("/x", BasicHeader("admin:")), policy, digest));
        EXPECT_TRUE(Authenticate(Get("/x", BasicHeader("admin:x")), policy, digest));
        EXPECT_TRUE(Authenticate(Get("/x", BasicHeader("root:")), policy, digest));
        EXPECT_TRUE(Authenticate(Get("/x", BasicHeader("admin")), policy, digest));
    }
}

TEST(Authenticate, BasicIsRefusedWhereDigestIsRequired) {
    DigestAuthority digest("ORB-780Z");
    const AuthPolicy basic{QStringLiteral("Secret1"), false};
    const AuthPolicy required{QStringLiteral("Secret1"), true};
    EXPECT_FALSE(Authenticate(Get("/x", BasicHeader("admin:Secret1")), basic, digest));
    const auto refused = Authenticate(Get("/x", BasicHeader("admin:Secret1")), required, digest);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);
    EXPECT_TRUE(simtest::ReplyHeader(*refused, "WWW-Authenticate").startsWith("Digest "));
}

TEST(Authenticate, RefusalCarriesTheChallengeOfThePolicy) {
    DigestAuthority digest("ORB-780Z");
    const auto basic = Authenticate(Get("/x"), AuthPolicy{QStringLiteral("p"), false}, digest);
    ASSERT_TRUE(basic);
    EXPECT_EQ(basic->status, 401);
    EXPECT_EQ(simtest::ReplyHeader(*basic, "WWW-Authenticate"), "Basic realm=\"ORB-780Z\"");
    const QByteArray garbage[] = {"Basic", "Basic !!!!", "Basic " + QByteArray(3000, 'A'),
                                  "Bearer abc", "basic YWRtaW46cA=="};
    for (const QByteArray& header : garbage) {
        const auto reply =
            Authenticate(Get("/x", header), AuthPolicy{QStringLiteral("q"), false}, digest);
        EXPECT_TRUE(reply) << header.left(40).toStdString();
    }
    // The scheme word is case-insensitive: "basic" with the right password passes.
    EXPECT_FALSE(Authenticate(Get("/x", "basic YWRtaW46cA=="),
                              AuthPolicy{QStringLiteral("p"), false}, digest));
}

}  // namespace
