// The portal's sign-up, sign-in and bind forms, raw as the wizard posts them or
// percent-encoded, and the cookie that ties a bind to a sign-in.

#include <gtest/gtest.h>

#include "HttpTestSupport.h"
#include "PortalHttp.h"
#include "SimState.h"

using namespace sim;

namespace {

const QByteArray kHead = "client=wizard&wizard_version=ORB-780Z_V 2.03.02&lang=en&";

QByteArray SignUpForm(const QByteArray& email, const QByteArray& password,
                      const QByteArray& verify) {
    return kHead + "action=sign-up&accept=accept&email=" + email + "&password=" + password +
           "&password_verify=" + verify + "&name_first=&name_last=&err_count=0\r\n\r\n";
}

QByteArray SignInForm(const QByteArray& email, const QByteArray& password) {
    return kHead + "email=" + email + "&password=" + password + "&err_count=0\r\n\r\n";
}

QByteArray BindForm(const QByteArray& number, const QByteArray& password, const QByteArray& dfp) {
    return kHead + "nubra_no=" + number + "&device_password=" + password + "&dfp=" + dfp +
           "&err_count=0\r\n\r\n";
}

class PortalTest : public ::testing::Test {
protected:
    PortalTest() : state(simtest::SmallScenario()), portal(state) {
        state.with([](Scenario& s) {
            s.recorders[0].adminPassword = QStringLiteral("Rec-Pass1");
            s.recorders[0].portal.portalNumber = QStringLiteral("70412");
        });
    }

    HttpReply post(const QByteArray& target, const QByteArray& body,
                   const QByteArray& cookie = {}) {
        return portal.handle(simtest::Post(target, body, cookie));
    }
    // The nubra value of a Set-Cookie header, as "nubra=...;" for the next request.
    static QByteArray CookieOf(const HttpReply& reply) {
        const QByteArray header = simtest::ReplyHeader(reply, "Set-Cookie");
        return header.left(header.indexOf(';') + 1);
    }

    SimState state;
    PortalHttp portal;
};

TEST_F(PortalTest, SignInGivesACookieThatBindAccepts) {
    const HttpReply signIn =
        post("/account/?signin", SignInForm("owner@example.com", "Portal-Pass1"));
    ASSERT_EQ(signIn.status, 200);
    EXPECT_TRUE(signIn.body.contains("success"));
    const QByteArray cookie = CookieOf(signIn);
    ASSERT_TRUE(cookie.startsWith("nubra=")) << cookie.toStdString();
    EXPECT_LE(simtest::ReplyHeader(signIn, "Set-Cookie").size(), 127);

    const QByteArray bind = BindForm("70412", "Rec-Pass1", "5A3F9C27E1D04B88");
    const HttpReply bound = post("/account/?add", bind, cookie);
    EXPECT_TRUE(bound.body.contains("success"));
    EXPECT_TRUE(bound.body.contains("70412"));
    EXPECT_TRUE(bound.body.contains("ORB-780Z"));

    const HttpReply wrong = post("/account/?signin", SignInForm("owner@example.com", "x"));
    EXPECT_TRUE(wrong.body.startsWith("SIGNINERR"));
    EXPECT_TRUE(simtest::ReplyHeader(wrong, "Set-Cookie").isEmpty());
    EXPECT_TRUE(post("/account/?signin", SignInForm("", "")).body.contains("SIGNINERR001"));

    EXPECT_TRUE(post("/account/?add", bind).body.contains("BINDERR")) << "no cookie";
    EXPECT_TRUE(post("/account/?add", bind, "nubra=forged;").body.contains("BINDERR"));
    EXPECT_TRUE(post("/account/?add", BindForm("70413", "Rec-Pass1", "5A3F9C27E1D04B88"), cookie)
                    .body.contains("BINDERR"));
    EXPECT_TRUE(post("/account/?add", BindForm("70412", "Rec-Pass2", "5A3F9C27E1D04B88"), cookie)
                    .body.contains("BINDERR"));
    EXPECT_TRUE(post("/account/?add", BindForm("70412", "Rec-Pass1", "5A3F9C27E1D04B89"), cookie)
                    .body.contains("BINDERR"));
}

TEST_F(PortalTest, SignUpCreatesAnAccountOnce) {
    // The wizard sends "+" of an address as %2B and everything else raw, "&" excepted.
    const QByteArray form = SignUpForm("new%2Buser@example.com", "Pa ss+word1", "Pa ss+word1");
    const HttpReply created = post("/signin", form);
    EXPECT_EQ(created.body, "success");
    EXPECT_TRUE(CookieOf(created).startsWith("nubra="));
    EXPECT_TRUE(post("/signin", form).body.contains("SIGNUPERR001"));

    // Raw, percent-encoded and form-encoded readings of the same values all sign in.
    EXPECT_TRUE(post("/account/?signin", SignInForm("new+user@example.com", "Pa ss+word1"))
                    .body.contains("success"));
    EXPECT_TRUE(post("/account/?signin", SignInForm("new%2Buser%40example.com", "Pa%20ss%2Bword1"))
                    .body.contains("success"));
    EXPECT_TRUE(post("/account/?signin", SignInForm("NEW%2BUSER@example.com", "Pa ss+word1"))
                    .body.contains("success"))
        << "addresses compare without case";
    EXPECT_TRUE(post("/account/?signin", SignInForm("new%2Buser@example.com", "pa ss+word1"))
                    .body.contains("SIGNINERR"))
        << "passwords compare with case";
}

TEST_F(PortalTest, SignUpErrorsNameTheField) {
    const auto signUp = [&](const QByteArray& email, const QByteArray& password,
                            const QByteArray& verify) {
        return post("/signin", SignUpForm(email, password, verify)).body;
    };
    EXPECT_TRUE(signUp("owner@example.com", "Secret-99", "Secret-99").contains("SIGNUPERR001"));
    EXPECT_TRUE(signUp("a@b.c", "", "").contains("SIGNUPERR002"));
    EXPECT_TRUE(signUp("a@b.c", "Secret-99", "Secret-98").contains("SIGNUPERR003"));
    EXPECT_TRUE(signUp("a@b.c", "abc", "abc").contains("SIGNUPERR004"));
    EXPECT_TRUE(signUp("nobody", "Secret-99", "Secret-99").contains("SIGNUPERR006"));
    QByteArray noTerms = SignUpForm("a@b.c", "Secret-99", "Secret-99");
    noTerms.replace("accept=accept", "accept=");
    EXPECT_TRUE(post("/signin", noTerms).body.contains("SIGNUPERR005"));
    EXPECT_EQ(state.with([](Scenario& s) { return s.portal.accounts.size(); }), 1);
}

TEST_F(PortalTest, ScenarioRepliesReplaceTheOutcome) {
    state.with([](Scenario& s) {
        s.portal.replies.insert(QStringLiteral("signin"),
                                QStringLiteral("SIGNINERR009 maintenance"));
        s.portal.replies.insert(QStringLiteral("bind"), QStringLiteral("BINDERR007"));
    });
    const HttpReply signIn =
        post("/account/?signin", SignInForm("owner@example.com", "Portal-Pass1"));
    EXPECT_EQ(signIn.body, "SIGNINERR009 maintenance");
    EXPECT_TRUE(simtest::ReplyHeader(signIn, "Set-Cookie").isEmpty());
    const HttpReply signUp = post("/signin", SignUpForm("x@y.z", "Secret-99", "Secret-99"));
    ASSERT_EQ(signUp.body, "success");
    EXPECT_EQ(
        post("/account/?add", BindForm("70412", "Rec-Pass1", "5A3F9C27E1D04B88"), CookieOf(signUp))
            .body,
        "BINDERR007");
}

TEST_F(PortalTest, OnlyTheExactFormPathsTakePosts) {
    const QByteArray form = SignInForm("owner@example.com", "Portal-Pass1");
    for (const QByteArray target : {"/account?signin", "/account/?signin=", "/account/?Signin",
                                    "/signin/", "/signin?x", "/account/", "/add"}) {
        EXPECT_EQ(post(target, form).status, 404) << target.toStdString();
    }
    EXPECT_EQ(portal.handle(simtest::Get("/account/?signin")).status, 405);
    state.with([](Scenario& s) { s.portal.faults.forceStatus = 404; });
    EXPECT_EQ(post("/account/?signin", form).status, 404);
}

TEST_F(PortalTest, GarbageFormsAreAnsweredWithoutHarm) {
    const QByteArray bodies[] = {"",
                                 "&&&",
                                 "=",
                                 "email",
                                 QByteArray(200000, '%'),
                                 "email=%ZZ%&password=%",
                                 QByteArray("\0\0\0", 3),
                                 "\r\n\r\n"};
    for (const QByteArray& body : bodies) {
        for (const QByteArray target : {"/signin", "/account/?signin", "/account/?add"}) {
            const HttpReply reply = post(target, body, "nubra");
            EXPECT_EQ(reply.status, 200);
            EXPECT_FALSE(reply.body.contains("success")) << target.toStdString();
        }
    }
}

}  // namespace
