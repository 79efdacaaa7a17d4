#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include "CloudStepSupport.h"
#include "ModalSupport.h"
#include "ScreenSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproButton2.h"
#include "controls/CApproButton3.h"
#include "controls/CErrorPage.h"

// Page 12 in its three layouts with the form's own errors, a portal refusal with its marks and
// the network error page, in English and Japanese, at the screen's density (the suite runs
// once more at 2x).
TEST(Screenshots, CloudStepInEnglishAndJapanese) {
    for (int language : {0, 21}) {
        HostFixture fixture;
        InLanguage pack(language);
        const auto save = [&](const QString& name) {
            const QString path = ScreenPath(QStringLiteral("cloud"), language, name);
            EXPECT_TRUE(Composed(*fixture.host).save(path)) << path.toStdString();
        };
        const auto press = [](QWidget* control) {
            QTest::mouseClick(control, Qt::LeftButton);
            QCoreApplication::processEvents();
        };
        CloudSim sim([](sim::Portal& p) {
            p.replies.insert(QStringLiteral("signup"),
                             QStringLiteral("SIGNUPERR003: the passwords differ"));
        });
        CNubraServiceDlg* page = OpenCloudStep(fixture, sim);
        ASSERT_NE(page, nullptr);

        // Sign-in with an address that fails the check.
        FillForm(*page, QStringLiteral("installer@example"), QStringLiteral("Portal-2024"));
        page->nextButton()->click();
        save(QStringLiteral("12-signin-error"));

        // Sign-up: the confirmation differs, then the portal refuses the passwords.
        press(page->choiceButton(2));
        save(QStringLiteral("12-signup-terms-unticked"));
        press(page->termsBox());
        FillForm(*page, QStringLiteral("new@example.com"), QStringLiteral("Secret-1"),
                 QStringLiteral("Secret-2"));
        page->nextButton()->click();
        save(QStringLiteral("12-signup-mismatch"));
        FillForm(*page, QStringLiteral("new@example.com"), QStringLiteral("Secret-1"),
                 QStringLiteral("Secret-1"));
        page->nextButton()->click();
        QCoreApplication::processEvents();
        save(QStringLiteral("12-signup-refused"));

        press(page->choiceButton(3));
        save(QStringLiteral("12-no-service"));

        // The network error page over the sign-in layout.
        // A reply too short to be the portal's words is a failure on the way.
        sim.recorder.changePortal([](sim::Portal& p) {
            p.replies.insert(QStringLiteral("signin"), QStringLiteral("-1"));
        });
        press(page->choiceButton(1));
        FillForm(*page, kKnownEmail, kKnownPassword);
        WhenShown<controls::CErrorPage> close([&](controls::CErrorPage& error) {
            save(QStringLiteral("12-network-error"));
            error.closeButton()->click();
        });
        page->nextButton()->click();
        EXPECT_TRUE(close.acted());
    }
}
