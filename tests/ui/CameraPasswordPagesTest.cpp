#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CErrorPage.h"
#include "controls/CMyEditCtrl2.h"
#include "pages/CCameraPwd2Page.h"
#include "pages/CCameraPwdPage.h"
#include "shell/OverlayKinds.h"

namespace {

// The camera step as the password pages see it: it hears their requests and answers through
// the shared word as the test says.
class StepStandIn : public platform::MessageWindow<QWidget> {
public:
    StepStandIn() : MessageWindow<QWidget>(nullptr, Qt::FramelessWindowHint) {
        setGeometry(40, 30, 860, 640);
        show();
    }

    std::vector<std::uint32_t> requests;
    std::vector<QString> passwords;
    std::vector<std::int32_t> answers;  // one per request; missing ones stay pending
    std::shared_ptr<CameraPasswordExchange> exchange = std::make_shared<CameraPasswordExchange>();

    CameraPasswordRequest request(const QString& name) {
        return {this, windowId(), name, exchange};
    }

protected:
    void messageEvent(platform::WindowMessageEvent& event) override {
        requests.push_back(event.message());
        passwords.push_back(exchange->password());
        EXPECT_EQ(exchange->result.load(), CameraPasswordExchange::kPending);
        if (requests.size() <= answers.size()) {
            exchange->result.store(answers[requests.size() - 1]);
        }
    }
};

// Closes every error page as it shows and keeps its text.
class ErrorCloser {
public:
    ErrorCloser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* page = Shown<controls::CErrorPage>()) {
                texts.push_back(page->errorText());
                page->reject();
            }
        });
        timer_.start(5);
    }
    std::vector<QString> texts;

private:
    QTimer timer_;
};

void Type(controls::CMyEditCtrl2* box, const QString& text) {
    box->clear();
    QTest::keyClicks(box, text);
}

}  // namespace

TEST(CameraPasswordPages, TheEnterPageSendsWhatWasTypedAndTriesAgainAfterARefusal) {
    InLanguage english(shell::kEnglish);
    StepStandIn step;
    step.answers = {CameraPasswordExchange::kFailed, CameraPasswordExchange::kAccepted};
    ErrorCloser errors;
    Script script;
    CCameraPwdPage* shown = nullptr;
    script
        .when([] { return Active<CCameraPwdPage>() != nullptr; },
              [&] {
                  shown = Active<CCameraPwdPage>();
                  EXPECT_EQ(shown->geometry(), QRect(40, 30, 860, 640));
                  EXPECT_TRUE(shown->prompt()->text().endsWith(QStringLiteral("camera LUX-410:")))
                      << shown->prompt()->text().toStdString();
                  EXPECT_EQ(QApplication::focusWidget(), shown->box());
                  // An empty box is sent as it is.
                  shown->okButton()->click();
              })
        .when([&] { return !errors.texts.empty() && !shown->waiting(); },
              [&] {
                  EXPECT_EQ(errors.texts, std::vector<QString>({QStringLiteral(
                                              "Incorrect password. Please try again.")}));
                  Type(shown->box(), QStringLiteral("hall-31"));
                  QTest::keyClick(shown->box(), Qt::Key_Return);
              });
    EXPECT_EQ(CCameraPwdPage::Run(step.request(QStringLiteral("LUX-410"))), overlay::kOk);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(step.requests, std::vector<std::uint32_t>({1132, 1132}));
    EXPECT_EQ(step.passwords, std::vector<QString>({QString(), QStringLiteral("hall-31")}));
    EXPECT_EQ(errors.texts.size(), 1U);
}

TEST(CameraPasswordPages, TheCreatePageChecksTheMatchThenTheRuleBeforeItAsks) {
    InLanguage english(shell::kEnglish);
    StepStandIn step;
    step.answers = {CameraPasswordExchange::kFailed, CameraPasswordExchange::kAccepted};
    ErrorCloser errors;
    const QString rule = QStringLiteral(
        "The password must be between 6-30 characters; not contain special characters: (/), (:), "
        "(&),(space).");
    const QString mismatch = shell::LookupText(u"nvrpwd_03", u"x");
    Script script;
    script.when([] { return Active<CCameraPwd2Page>() != nullptr; },
                [&] {
                    CCameraPwd2Page* page = Active<CCameraPwd2Page>();
                    EXPECT_TRUE(page->prompt()->text().contains(QStringLiteral("Yard")));
                    const auto attempt = [&](const QString& first, const QString& second) {
                        Type(page->firstBox(), first);
                        Type(page->secondBox(), second);
                        page->okButton()->click();
                        QCoreApplication::processEvents();
                    };
                    attempt(QStringLiteral("abc"), QStringLiteral("abd"));  // both wrong
                    attempt(QStringLiteral("abcde"), QStringLiteral("abcde"));
                    attempt(QStringLiteral("abc def"), QStringLiteral("abc def"));
                    attempt(QStringLiteral("abc:def"), QStringLiteral("abc:def"));
                    attempt(QString(31, u'x'), QString(31, u'x'));
                    EXPECT_TRUE(step.requests.empty());
                    attempt(QString(30, u'x'), QString(30, u'x'));
                });
    script.when([&] { return errors.texts.size() == 6; },
                [&] {
                    CCameraPwd2Page* page = Shown<CCameraPwd2Page>();
                    ASSERT_NE(page, nullptr);
                    Type(page->firstBox(), QStringLiteral("yard-32!"));
                    Type(page->secondBox(), QStringLiteral("yard-32!"));
                    page->okButton()->click();
                });
    EXPECT_EQ(CCameraPwd2Page::Run(step.request(QStringLiteral("Yard"))), overlay::kOk);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(errors.texts,
              std::vector<QString>({mismatch, rule, rule, rule, rule,
                                    QStringLiteral("Failed to set account password")}));
    EXPECT_EQ(step.requests, std::vector<std::uint32_t>({1133, 1133}));
    EXPECT_EQ(step.passwords,
              std::vector<QString>({QString(30, u'x'), QStringLiteral("yard-32!")}));
}

TEST(CameraPasswordPages, EscapeEndsThePageWithCancelEvenWhileWaiting) {
    InLanguage english(shell::kEnglish);
    StepStandIn step;  // never answers
    Script script;
    script
        .when([] { return Active<CCameraPwdPage>() != nullptr; },
              [] { Active<CCameraPwdPage>()->okButton()->click(); })
        .when([] { return Active<CCameraPwdPage>() && Active<CCameraPwdPage>()->waiting(); },
              [] { Key(Qt::Key_Escape); });
    EXPECT_EQ(CCameraPwdPage::Run(step.request(QStringLiteral("Hall"))), overlay::kCancel);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(step.requests.size(), 1U);
    // The create page names a camera it was not told of as the sample model.
    CCameraPwd2Page unnamed(step.request(QString()));
    EXPECT_TRUE(unnamed.prompt()->text().contains(QStringLiteral("LUX-7731K")));
}

TEST(Screenshots, CameraPasswordPagesInEnglishAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/cameras");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString suffix = qGuiApp->devicePixelRatio() > 1 ? QStringLiteral("@2x") : QString();
    for (int language : {shell::kEnglish, 21}) {
        InLanguage pack(language);
        StepStandIn step;
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        CCameraPwdPage enter(step.request(QStringLiteral("LUX-410")));
        QTest::keyClicks(enter.box(), QStringLiteral("abc"));
        EXPECT_TRUE(
            enter.grab().save(QStringLiteral("%1/%2-password-enter%3.png").arg(dir, stem, suffix)));
        CCameraPwd2Page create(step.request(QStringLiteral("OC-420")));
        QTest::keyClicks(create.firstBox(), QStringLiteral("abcdef"));
        EXPECT_TRUE(create.grab().save(
            QStringLiteral("%1/%2-password-create%3.png").arg(dir, stem, suffix)));
    }
}
