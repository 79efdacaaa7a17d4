#include <QTest>

#include <gtest/gtest.h>

#include "CloudStepSupport.h"
#include "ModalSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproButton2.h"
#include "controls/CApproButton3.h"
#include "controls/CBaseStatic.h"
#include "controls/CErrorPage.h"
#include "controls/CHyperLink.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CMyEditCtrl2.h"
#include "pages/CTermPage.h"

namespace {

const QString kSignIn = QStringLiteral("/account/?signin");
const QString kBind = QStringLiteral("/account/?add");
const QString kRegistered = QStringLiteral("/config/nubraregstatus?status=1");

QString AccountTarget(const QString& email, const QString& password) {
    return QStringLiteral("/config/nubrareginfo?email=%1&password=%2&status=1")
        .arg(email, password);
}

// The requests of the exchange, in the order they came, without anything else the recorder
// was asked.
QStringList Exchange(const SimRecorder& recorder) {
    QStringList seen;
    for (const QString& target : recorder.targets()) {
        if (target.startsWith(QLatin1String("/account/")) || target == QLatin1String("/signin") ||
            target.startsWith(QLatin1String("/config/nubrareg"))) {
            seen.append(target);
        }
    }
    return seen;
}

// Presses Next and closes the network error page it leads to; its text, or empty when none
// showed.
QString NextThroughErrorPage(CNubraServiceDlg& page) {
    QString shown;
    WhenShown<controls::CErrorPage> close([&](controls::CErrorPage& error) {
        shown = error.errorText();
        error.closeButton()->click();
    });
    page.nextButton()->click();
    QCoreApplication::processEvents();  // a posted move to the next page
    return shown;
}

// A click whose message the page handles before the test goes on.
void ClickPosting(QWidget* control) {
    Click(control);
    QCoreApplication::processEvents();
}

// The sign-up layout with the terms accepted.
void ChooseSignUp(CNubraServiceDlg& page) {
    ClickPosting(page.choiceButton(2));
    ClickPosting(page.termsBox());
}

}  // namespace

TEST(CloudStep, SignInBindsTheRecorderThenTellsItTheAccount) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->choiceButton(1)->isLatched());
    EXPECT_TRUE(page->nextButton()->isEnabled());
    FillForm(*page, kKnownEmail, kKnownPassword);
    EXPECT_EQ(NextThroughErrorPage(*page), "");

    ASSERT_EQ(fixture.host->currentPageId(), 13);
    EXPECT_EQ(Exchange(sim.recorder), QStringList({kSignIn, kBind, kRegistered,
                                                   AccountTarget(kKnownEmail, kKnownPassword)}));
    // The bind carries the session the sign-in opened, and the recorder's own password.
    const QList<QJsonObject> binds = sim.recorder.requests(kBind);
    ASSERT_EQ(binds.size(), 1);
    EXPECT_TRUE(HeaderOf(binds[0], QStringLiteral("Cookie")).startsWith(QLatin1String("nubra=")));
    const QString form = binds[0].value(QStringLiteral("bodyText")).toString();
    EXPECT_TRUE(form.contains(QStringLiteral("nubra_no=%1").arg(kPortalNumber)))
        << form.toStdString();
    EXPECT_TRUE(form.contains(QStringLiteral("device_password=") + SimRecorder::kPassword));
    EXPECT_TRUE(form.contains(QStringLiteral("err_count=0")));
    EXPECT_EQ(fixture.host->session().cloudEmail(), kKnownEmail);
    EXPECT_EQ(fixture.host->session().cloudPassword(), kKnownPassword);
    EXPECT_EQ(fixture.host->portalAccess, "1");
}

// The portal may take seconds; the sign-in reply is waited for, not cut off after a stop.
TEST(CloudStep, ASignInAnsweredAfterFiveSecondsStillLinks) {
    HostFixture fixture;
    CloudSim sim(SlowSignIn(5000));
    CNubraServiceDlg* page =
        OpenCloudStep(fixture, sim, QuickCloud(std::chrono::milliseconds(100)));
    ASSERT_NE(page, nullptr);
    FillForm(*page, kKnownEmail, kKnownPassword);
    // Longer than the error page helper waits; a failure here hangs in the error page.
    page->nextButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(fixture.host->currentPageId(), 13);
    EXPECT_EQ(sim.recorder.count(kSignIn), 1);
}

TEST(CloudStep, PortalRefusalsAreShownAndMarkTheirRows) {
    HostFixture fixture;
    CloudSim sim([](sim::Portal& p) {
        p.replies.insert(QStringLiteral("signup"),
                         QStringLiteral("SIGNUPERR003: passwords differ"));
    });
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    ChooseSignUp(*page);
    FillForm(*page, QStringLiteral("new@example.com"), QStringLiteral("Secret-1"),
             QStringLiteral("Secret-1"));
    EXPECT_EQ(NextThroughErrorPage(*page), "");

    EXPECT_EQ(fixture.host->currentPageId(), 12);
    EXPECT_TRUE(page->signUpLabel()->isVisible());
    EXPECT_EQ(page->signUpLabel()->text(), "SIGNUPERR003: passwords differ");
    EXPECT_EQ(page->signUpLabel()->geometry().topLeft(), QPoint(140, 430));
    EXPECT_EQ(page->signUpLabel()->width(), 638);
    EXPECT_TRUE(page->passwordMark()->isVisible());
    EXPECT_EQ(page->passwordMark()->geometry(), QRect(567, 300, 25, 25));
    EXPECT_EQ(page->form().look().password.frameColour, NubraForm::kPink);
    EXPECT_FALSE(page->emailMark()->isVisible());
    EXPECT_EQ(sim.recorder.count(kBind), 0);
    EXPECT_EQ(fixture.host->session().cloudEmail(), "recorder@example.com");

    // The user corrects the form and tries again: the address is taken.
    sim.recorder.changePortal([](sim::Portal& p) { p.replies.clear(); });
    FillForm(*page, kKnownEmail, QStringLiteral("Secret-1"), QStringLiteral("Secret-1"));
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    EXPECT_TRUE(page->signUpLabel()->text().startsWith(QLatin1String("SIGNUPERR001")));
    EXPECT_TRUE(page->emailMark()->isVisible());
    EXPECT_EQ(page->emailMark()->pos(), QPoint(747, 265));
    EXPECT_EQ(page->form().look().email.frameColour, NubraForm::kRed);
}

TEST(CloudStep, AnUnreachablePortalShowsTheNetworkErrorAndTheFormStays) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim, QuickCloud(), "127.0.0.3");
    ASSERT_NE(page, nullptr);
    FillForm(*page, kKnownEmail, kKnownPassword);
    EXPECT_EQ(NextThroughErrorPage(*page), "Check Network Failed!");
    EXPECT_EQ(fixture.host->currentPageId(), 12);
    EXPECT_FALSE(page->signInLabel()->isVisible());
    EXPECT_EQ(page->emailBox()->text(), kKnownEmail);  // nothing typed is lost
    EXPECT_TRUE(page->nextButton()->isEnabled());
    EXPECT_FALSE(page->nextButton()->isLatched());
    EXPECT_FALSE(page->backButton()->isLatched());
    EXPECT_EQ(fixture.host->session().cloudEmail(), "recorder@example.com");
}

TEST(CloudStep, ARecorderThatRefusesTheAccountShowsTheNetworkErrorUntilItTakesIt) {
    HostFixture fixture;
    CloudSim sim;
    sim.recorder.change([](sim::Recorder& r) {
        sim::ReplyOverride refuse;
        refuse.path = QStringLiteral("/config/nubrareginfo");
        refuse.status = 409;
        r.overrides = {refuse};
    });
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    FillForm(*page, kKnownEmail, kKnownPassword);
    EXPECT_EQ(NextThroughErrorPage(*page), "Check Network Failed!");
    EXPECT_EQ(fixture.host->currentPageId(), 12);
    EXPECT_EQ(Exchange(sim.recorder), QStringList({kSignIn, kBind, kRegistered,
                                                   AccountTarget(kKnownEmail, kKnownPassword)}));
    EXPECT_EQ(fixture.host->session().cloudEmail(), "recorder@example.com");

    // The override was for one request: the next attempt goes through.
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    EXPECT_EQ(fixture.host->currentPageId(), 13);
}

TEST(CloudStep, ABindThatMissesTheRecorderShowsThePortalsWords) {
    HostFixture fixture;
    CloudSim sim([](sim::Portal& p) {
        p.replies.insert(QStringLiteral("bind"), QStringLiteral("BINDERR002: no such device"));
    });
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    FillForm(*page, kKnownEmail, kKnownPassword);
    EXPECT_TRUE(NextThroughErrorPage(*page).isEmpty());
    EXPECT_EQ(page->signInLabel()->text(), "BINDERR002: no such device");
    EXPECT_EQ(page->signInLabel()->pos(), QPoint(140, 380));
    EXPECT_EQ(sim.recorder.count(kRegistered), 0);
}

TEST(CloudStep, ASignUpAlsoHandsTheAccountOverEscaped) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    ChooseSignUp(*page);
    const QString email = QStringLiteral("a+b@example.com");
    const QString password = QStringLiteral("p&q #1x");
    FillForm(*page, email, password, password);
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    ASSERT_EQ(fixture.host->currentPageId(), 13);
    const QString escapedEmail = QStringLiteral("a%2Bb@example.com");
    const QString escapedPassword = QStringLiteral("p%26q%20%231x");
    const QString direct = QStringLiteral("/config/nubrareginfo?status=1&email=%1&password=%2")
                               .arg(escapedEmail, escapedPassword);
    EXPECT_EQ(Exchange(sim.recorder),
              QStringList({QStringLiteral("/signin"), kBind, kRegistered,
                           AccountTarget(escapedEmail, escapedPassword), direct}));
    EXPECT_EQ(fixture.host->session().cloudPassword(), password);
}

TEST(CloudStep, DecliningGoesOnAtOnceAndForgetsThePortal) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    page->emailBox()->setText(QStringLiteral("typed@example.com"));
    ClickPosting(page->choiceButton(3));
    EXPECT_TRUE(page->emailBox()->text().isEmpty());
    EXPECT_FALSE(page->emailBox()->isVisible());
    EXPECT_FALSE(page->choiceButton(1)->isLatched());
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    EXPECT_EQ(fixture.host->currentPageId(), 13);
    EXPECT_TRUE(fixture.host->portalAccess.isEmpty());
    EXPECT_EQ(fixture.host->session().cloudEmail(), "recorder@example.com");
    EXPECT_EQ(fixture.host->session().cloudPassword(), "from-the-recorder");
    EXPECT_TRUE(Exchange(sim.recorder).isEmpty());
}

TEST(CloudStep, TheTermsGateNextAndTheirLinkOpensThem) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    ClickPosting(page->choiceButton(2));
    EXPECT_FALSE(page->nextButton()->isEnabled());
    EXPECT_TRUE(page->termsBox()->isVisible());
    ClickPosting(page->termsBox());
    EXPECT_TRUE(page->nextButton()->isEnabled());
    ClickPosting(page->termsBox());
    EXPECT_FALSE(page->nextButton()->isEnabled());
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    EXPECT_EQ(fixture.host->currentPageId(), 12);

    bool shown = false;
    WhenShown<CTermPage> close([&](CTermPage& terms) {
        shown = true;
        terms.crossButton()->click();
    });
    ClickPosting(page->termsLink());
    EXPECT_TRUE(shown);
    // Sign-in needs no terms.
    ClickPosting(page->choiceButton(1));
    EXPECT_TRUE(page->nextButton()->isEnabled());
}

// Leaving boxes with the mouse and the keyboard, as the user does.
TEST(CloudStep, FieldChecksFollowHowTheBoxWasLeft) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    fixture.host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.host.get()));

    page->emailBox()->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    ASSERT_TRUE(page->emailBox()->hasFocus());
    ASSERT_FALSE(page->signInLabel()->isVisible());
    QTest::mouseClick(page, Qt::LeftButton, Qt::NoModifier, QPoint(40, 500));
    EXPECT_FALSE(page->emailBox()->hasFocus());
    EXPECT_FALSE(page->signInLabel()->isVisible());

    page->emailBox()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(page->emailBox(), Qt::Key_Tab);
    EXPECT_TRUE(page->passwordBox()->hasFocus());
    EXPECT_TRUE(page->signInLabel()->isVisible());
    EXPECT_EQ(page->signInLabel()->text(), "Error: Invalid email address!");
    EXPECT_TRUE(page->emailMark()->isVisible());

    // Typing a good address takes the error away at once, caret at the end.
    page->emailBox()->setText(QStringLiteral("a@b.c"));
    EXPECT_FALSE(page->signInLabel()->isVisible());
    EXPECT_FALSE(page->emailMark()->isVisible());
    EXPECT_EQ(page->emailBox()->cursorPosition(), 5);

    // Sign-up: a password with the confirmation left empty is wrong only on leaving the latter.
    ClickPosting(page->choiceButton(2));
    page->emailBox()->setText(QStringLiteral("a@b.c"));
    page->passwordBox()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(page->passwordBox(), QStringLiteral("Secret-1"));
    QTest::keyClick(page->passwordBox(), Qt::Key_Tab);
    EXPECT_TRUE(page->confirmationBox()->hasFocus());
    EXPECT_FALSE(page->signUpLabel()->isVisible());
    QTest::keyClick(page->confirmationBox(), Qt::Key_Tab);
    EXPECT_TRUE(page->signUpLabel()->isVisible());
    EXPECT_EQ(page->signUpLabel()->text(), "Error: The passwords doesn't match!");
    EXPECT_EQ(page->passwordMark()->pos(), QPoint(567, 335));
    EXPECT_EQ(page->form().look().confirmation.frameColour, NubraForm::kRed);
}

TEST(CloudStep, TheKeysReachEveryControlInReadingOrder) {
    HostFixture fixture;
    CloudSim sim;
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    ChooseSignUp(*page);
    fixture.host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.host.get()));
    page->choiceButton(2)->setFocus(Qt::OtherFocusReason);
    QList<QWidget*> order;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    EXPECT_EQ(order, (QList<QWidget*>{page->emailBox(), page->passwordBox(),
                                      page->confirmationBox(), page->termsBox(), page->termsLink(),
                                      page->choiceButton(3), page->nextButton()}));
    for (QWidget* control : order.mid(0, 6)) {
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
    }
    // Space unticks and ticks the terms; Enter in a box is Next.
    page->termsBox()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(page->termsBox(), Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_FALSE(page->termsBox()->isLatched());
    EXPECT_FALSE(page->nextButton()->isEnabled());
    QTest::keyClick(page->termsBox(), Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_TRUE(page->nextButton()->isEnabled());
    page->emailBox()->setText(QStringLiteral("a@b"));
    page->emailBox()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(page->emailBox(), Qt::Key_Return);
    EXPECT_TRUE(page->signUpLabel()->isVisible());
}

// The overlay gives up before the portal answers; the worker goes on, and the next Next waits
// for it instead of starting another, then uses what it found.
TEST(CloudStep, AWorkerTheOverlayGaveUpOnIsWaitedForByTheNextAttempt) {
    HostFixture fixture;
    CloudSim sim(SlowSignIn(1500));
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim, QuickCloud(std::chrono::milliseconds(50)));
    ASSERT_NE(page, nullptr);
    page->setWaitTicks(3);
    FillForm(*page, kKnownEmail, kKnownPassword);
    // A wait that gave up is a failed attempt as the person sees it.
    EXPECT_EQ(NextThroughErrorPage(*page), "Check Network Failed!");
    EXPECT_EQ(fixture.host->currentPageId(), 12);
    EXPECT_TRUE(page->attemptRunning());
    EXPECT_FALSE(page->signInLabel()->isVisible());
    EXPECT_TRUE(page->nextButton()->isEnabled());

    // Retyped meanwhile: the worker that runs signs in with what it was given.
    page->emailBox()->setText(QStringLiteral("someone.else@example.com"));
    page->setWaitTicks(CNubraServiceDlg::kWaitTicks);
    EXPECT_EQ(NextThroughErrorPage(*page), "");
    EXPECT_EQ(fixture.host->currentPageId(), 13);
    EXPECT_EQ(sim.recorder.count(kSignIn), 1);
    EXPECT_EQ(fixture.host->session().cloudEmail(), kKnownEmail);
}

// The page goes while its worker waits on the portal: the worker is stopped, nothing is written.
TEST(CloudStep, LeavingDuringAnAttemptStopsTheWorker) {
    HostFixture fixture;
    CloudSim sim(SlowSignIn(1000));
    CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
    ASSERT_NE(page, nullptr);
    page->setWaitTicks(1);
    FillForm(*page, kKnownEmail, kKnownPassword);
    EXPECT_EQ(NextThroughErrorPage(*page), "Check Network Failed!");
    ASSERT_TRUE(page->attemptRunning());
    fixture.post(msg::kNavigate, msg::kBack);
    EXPECT_EQ(fixture.host->currentPageId(), 11);
    EXPECT_EQ(fixture.host->session().cloudEmail(), "recorder@example.com");
    EXPECT_EQ(sim.recorder.count(kBind), 0);
}
