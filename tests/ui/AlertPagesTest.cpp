#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CAlarmDisplayPage.h"
#include "controls/CApproButton.h"
#include "controls/CErrorPage.h"
#include "controls/CErrorStatic.h"
#include "controls/CIconButton.h"
#include "controls/CNetAlarmPage.h"
#include "pages/CPageBase.h"
#include "shell/OverlayKinds.h"

namespace {

using controls::CAlarmDisplayPage;
using controls::CErrorPage;
using controls::CNetAlarmPage;
using overlay::kCancel;
using overlay::kOk;

}  // namespace

TEST(AlarmLook, FormatWarningOffersCancelAndOkWithoutTheCross) {
    const auto look = controls::AlarmLookOf(1, 1);
    EXPECT_EQ(QStringView(look.titleKey), u"hddformat_04");
    EXPECT_EQ(QStringView(look.textKey), u"hddformat_05");
    EXPECT_FALSE(look.cross);
    ASSERT_EQ(look.buttons.size(), 2U);
    EXPECT_EQ(look.buttons[0].id, 2);
    EXPECT_EQ(QStringView(look.buttons[0].key), u"CANCEL");
    EXPECT_EQ(look.buttons[0].rect, QRect(88, 160, 118, 43));
    EXPECT_EQ(look.buttons[1].id, 1);
    EXPECT_EQ(QStringView(look.buttons[1].key), u"OK");
    EXPECT_EQ(look.buttons[1].rect, QRect(240, 160, 118, 43));
}

TEST(AlarmLook, AnythingElseIsTheNoDriveNoticeWithTheCrossAndOkCentred) {
    for (auto [text, buttons] : {std::pair{0, 0}, {2, 7}, {-1, 0}}) {
        const auto look = controls::AlarmLookOf(text, buttons);
        EXPECT_EQ(QStringView(look.titleKey), u"hddformat_06 ") << text;
        EXPECT_EQ(QStringView(look.textKey), u"hddformat_07 ");
        EXPECT_TRUE(look.cross);
        ASSERT_EQ(look.buttons.size(), 1U);
        EXPECT_EQ(look.buttons[0].id, 1);
        EXPECT_EQ(look.buttons[0].rect, QRect(161, 160, 118, 43));
    }
    // The two words are independent.
    const auto mixed = controls::AlarmLookOf(1, 0);
    EXPECT_EQ(QStringView(mixed.textKey), u"hddformat_05");
    EXPECT_TRUE(mixed.cross);
    EXPECT_EQ(mixed.buttons.size(), 1U);
}

TEST(AlarmPage, KeysWithTheTrailingBlankFindTheirPackTexts) {
    {
        InLanguage english(shell::kEnglish);
        CAlarmDisplayPage page(nullptr, 0, 0);
        EXPECT_EQ(page.title(), QStringLiteral("No HD Found"));
        EXPECT_EQ(page.text(), QStringLiteral("Your hard drive cannot be found. Please make sure "
                                              "your hard drive is properly connected to the NVR."))
            << "the pack's words, not the fallback's";
    }
    {
        InLanguage german(6);
        CAlarmDisplayPage page(nullptr, 0, 0);
        EXPECT_EQ(page.title(), QStringLiteral("Keine Festplatte gefunden"));
        EXPECT_EQ(page.text(),
                  QStringLiteral("Ihre Festplatte wurde nicht gefunden. Bitte stellen Sie sicher, "
                                 "dass die Festplatte richtig an den NVR angeschlossen ist."));
        CAlarmDisplayPage warning(nullptr, 1, 1);
        EXPECT_EQ(warning.title(), QStringLiteral("Wichtiger Hinweis"));
        EXPECT_EQ(warning.button(2)->text(), QStringLiteral("ABBRECHEN"));
    }
}

TEST(AlarmPage, VariantsShowTheirButtonsWhereTheyBelong) {
    InLanguage english(shell::kEnglish);
    CAlarmDisplayPage warning(nullptr, 1, 1);
    EXPECT_EQ(warning.size(), QSize(440, 240));
    EXPECT_EQ(warning.title(), QStringLiteral("Important Alert"));
    EXPECT_EQ(warning.crossButton(), nullptr);
    ASSERT_NE(warning.button(1), nullptr);
    ASSERT_NE(warning.button(2), nullptr);
    EXPECT_EQ(warning.button(2)->geometry(), QRect(88, 160, 118, 43));
    EXPECT_EQ(warning.button(2)->text(), QStringLiteral("CANCEL"));
    EXPECT_EQ(warning.button(1)->geometry(), QRect(240, 160, 118, 43));
    EXPECT_EQ(warning.button(1)->accessibleName(), QStringLiteral("OK"));

    CAlarmDisplayPage notice(nullptr, 0, 0);
    EXPECT_EQ(notice.button(2), nullptr);
    ASSERT_NE(notice.crossButton(), nullptr);
    EXPECT_EQ(notice.crossButton()->geometry(), QRect(416, 10, 14, 14));
    EXPECT_FALSE(notice.crossButton()->stateImage(1).isNull()) << "the cross picture";
    EXPECT_EQ(notice.button(1)->geometry(), QRect(161, 160, 118, 43));
    EXPECT_FALSE(notice.button(1)->stateImage(1).isNull()) << "the button pictures";
}

TEST(AlarmPage, OkConfirmsAndEverythingElseCancels) {
    InLanguage english(shell::kEnglish);
    const QPoint overlayAt(100, 50);
    QPoint shownAt;
    WhenShown<CAlarmDisplayPage> ok([&](CAlarmDisplayPage& page) {
        shownAt = page.pos();
        Click(page.button(1));
    });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, overlayAt, 1, 1), kOk);
    EXPECT_TRUE(ok.acted());
    EXPECT_EQ(shownAt, overlayAt + QPoint(210, 200));

    WhenShown<CAlarmDisplayPage> cancel([](CAlarmDisplayPage& page) { Click(page.button(2)); });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, overlayAt, 1, 1), kCancel);

    WhenShown<CAlarmDisplayPage> cross([](CAlarmDisplayPage& page) { Click(page.crossButton()); });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, overlayAt, 0, 0), kCancel);

    WhenShown<CAlarmDisplayPage> okAlone([](CAlarmDisplayPage& page) { Click(page.button(1)); });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, overlayAt, 0, 0), kOk);
}

TEST(AlarmPage, EscapeActsAsTheCrossAndEnterAsOkOnTheNotice) {
    InLanguage english(shell::kEnglish);
    WhenShown<CAlarmDisplayPage> escape(
        [](CAlarmDisplayPage& page) { QTest::keyClick(&page, Qt::Key_Escape); });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, {}, 1, 1), kCancel);
    WhenShown<CAlarmDisplayPage> enter(
        [](CAlarmDisplayPage& page) { QTest::keyClick(&page, Qt::Key_Return); });
    EXPECT_EQ(CAlarmDisplayPage::Run(nullptr, {}, 0, 0), kOk);
}

TEST(NetAlarmPage, ShowsTheInternetNoticeInTheActiveLanguage) {
    {
        InLanguage english(shell::kEnglish);
        CNetAlarmPage page(nullptr);
        EXPECT_EQ(page.size(), QSize(440, 240));
        EXPECT_EQ(page.title(), QStringLiteral("Important Alert"));
        EXPECT_TRUE(page.text().startsWith(
            QStringLiteral("Please make sure you are connected to the Internet.")));
        EXPECT_EQ(page.okButton()->geometry(), QRect(161, 160, 118, 43));
        EXPECT_EQ(page.okButton()->text(), QStringLiteral("OK"));
        EXPECT_EQ(page.crossButton()->geometry(), QRect(416, 10, 14, 14));
    }
    {
        InLanguage japanese(21);
        CNetAlarmPage page(nullptr);
        EXPECT_EQ(page.title(), QStringLiteral("重要な警告"));
        EXPECT_TRUE(page.text().startsWith(QStringLiteral("インターネットに接続")));
    }
    // Chinese and Japanese have no blanks to break at.
    for (int language : {4, 5, 21}) {
        EXPECT_EQ(controls::NetAlarmWrapMode(language), QTextOption::WrapAtWordBoundaryOrAnywhere)
            << language;
    }
    for (int language : {0, 6, 17, 20}) {
        EXPECT_EQ(controls::NetAlarmWrapMode(language), QTextOption::WordWrap) << language;
    }
}

TEST(NetAlarmPage, TextAndTitleStayInsideThePageAndAboveTheButton) {
    const QRect page(QPoint(0, 0), CNetAlarmPage::kSize);
    EXPECT_TRUE(page.contains(CNetAlarmPage::kTitleRect));
    EXPECT_TRUE(page.contains(CNetAlarmPage::kTextRect));
    EXPECT_LT(CNetAlarmPage::kTextRect.bottom(), CNetAlarmPage::kOkRect.top());
    EXPECT_EQ(CNetAlarmPage::kTitleRect.topLeft(), QPoint(94, 43));
    EXPECT_EQ(CNetAlarmPage::kTextRect.topLeft(), QPoint(54, 80));
}

TEST(NetAlarmPage, OkConfirmsTheCrossCancels) {
    InLanguage english(shell::kEnglish);
    WhenShown<CNetAlarmPage> ok([](CNetAlarmPage& page) { Click(page.okButton()); });
    EXPECT_EQ(CNetAlarmPage::Run(nullptr, {}), kOk);
    WhenShown<CNetAlarmPage> cross([](CNetAlarmPage& page) { Click(page.crossButton()); });
    EXPECT_EQ(CNetAlarmPage::Run(nullptr, {}), kCancel);
    WhenShown<CNetAlarmPage> escape(
        [](CNetAlarmPage& page) { QTest::keyClick(&page, Qt::Key_Escape); });
    EXPECT_EQ(CNetAlarmPage::Run(nullptr, {}), kCancel);
}

TEST(ErrorPage, CloseReturnsOkTheCrossAndEscapeCancel) {
    InLanguage english(shell::kEnglish);
    QString shown;
    WhenShown<CErrorPage> close([&](CErrorPage& page) {
        shown = page.textLabel()->text();
        Click(page.closeButton());
    });
    EXPECT_EQ(CErrorPage::Run(nullptr, QStringLiteral("Format failed")), kOk);
    EXPECT_EQ(shown, QStringLiteral("Format failed"));

    WhenShown<CErrorPage> cross([](CErrorPage& page) { Click(page.crossButton()); });
    EXPECT_EQ(CErrorPage::Run(nullptr, QStringLiteral("x")), kCancel);
    WhenShown<CErrorPage> escape([](CErrorPage& page) { QTest::keyClick(&page, Qt::Key_Escape); });
    EXPECT_EQ(CErrorPage::Run(nullptr, QStringLiteral("x")), kCancel);
    WhenShown<CErrorPage> enter([](CErrorPage& page) { QTest::keyClick(&page, Qt::Key_Enter); });
    EXPECT_EQ(CErrorPage::Run(nullptr, QStringLiteral("x")), kOk);
}

TEST(ErrorPage, CloseIsCentred81PixelsAboveTheBottomAndCaptionedInTheLanguage) {
    InLanguage german(6);
    CErrorPage page(nullptr);
    const QRect close = page.closeButton()->geometry();
    EXPECT_EQ(close.size(), QSize(118, 43));
    EXPECT_EQ(close.center().x(), page.rect().center().x());
    EXPECT_EQ(page.height() - close.top(), 81);
    EXPECT_EQ(page.closeButton()->text(), QStringLiteral("Schließen"));
    EXPECT_EQ(page.crossButton()->geometry().topRight(), QPoint(page.width() - 11, 10));
}

TEST(ErrorPage, TextIsGrey102OnWhite) {
    controls::CErrorStatic label(nullptr);
    label.resize(300, 60);
    label.setText(QStringLiteral("Check Network Failed!"));
    const QImage shot = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::white));
    int darkest = 255;
    bool grey = true;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            grey =
                grey && std::abs(c.red() - c.green()) <= 1 && std::abs(c.green() - c.blue()) <= 1;
            darkest = std::min(darkest, c.green());
        }
    }
    EXPECT_TRUE(grey) << "grey text on white only";
    EXPECT_NEAR(darkest, 102, 2) << "full-coverage strokes are (102, 102, 102), none darker";
}

TEST(ErrorText, AnEmptyPackNoticeStillSaysWhatFailed) {
    InLanguage german(6);
    ASSERT_TRUE(shell::LookupText(u"Check Network Failed!", u"Check Network Failed!").isEmpty())
        << "the German pack carries the notice empty";
    EXPECT_EQ(overlay::ErrorTextOf({}), QStringLiteral("Check Network Failed!"));
}

namespace {

class AlertOverlays : public ::testing::Test, public HostFixture {
protected:
    CPageBase* page() const { return host->currentPage(); }
};

}  // namespace

TEST_F(AlertOverlays, AlarmKindReturnsThePagesAnswerAndPassesItsWords) {
    overlay::OverlayData data;
    data.alarmWords = {1, 1};
    QPoint shownAt;
    WhenShown<CAlarmDisplayPage> ok([&](CAlarmDisplayPage& p) {
        shownAt = p.pos();
        EXPECT_EQ(p.crossButton(), nullptr) << "words 1 and 1 reach the page";
        Click(p.button(1));
    });
    EXPECT_EQ(page()->showOverlay(overlay::kAlarm, data), kOk);
    EXPECT_TRUE(ok.acted());
    EXPECT_EQ(shownAt, host->pos() + QPoint(210, 200));

    WhenShown<CAlarmDisplayPage> cancel([](CAlarmDisplayPage& p) { Click(p.button(2)); });
    EXPECT_EQ(page()->showOverlay(overlay::kAlarm, data), kCancel);

    WhenShown<CAlarmDisplayPage> cross([](CAlarmDisplayPage& p) { Click(p.crossButton()); });
    EXPECT_EQ(page()->showOverlay(overlay::kAlarm, {}), kCancel) << "words 0 and 0";
}

TEST_F(AlertOverlays, NetAlarmKindReturnsThePagesAnswer) {
    WhenShown<CNetAlarmPage> ok([](CNetAlarmPage& p) { Click(p.okButton()); });
    EXPECT_EQ(page()->showOverlay(overlay::kNetAlarm), kOk);
    EXPECT_TRUE(ok.acted());
    WhenShown<CNetAlarmPage> cross([](CNetAlarmPage& p) { Click(p.crossButton()); });
    EXPECT_EQ(page()->showOverlay(overlay::kNetAlarm), kCancel);
}

TEST_F(AlertOverlays, ErrorKindShowsItsTextAndAlwaysReturnsCancel) {
    QString shown;
    QPoint shownAt;
    WhenShown<CErrorPage> close([&](CErrorPage& p) {
        shown = p.errorText();
        shownAt = p.pos();
        Click(p.closeButton());
    });
    EXPECT_EQ(page()->showOverlay(overlay::kError), kCancel) << "Close is OK, the overlay says no";
    EXPECT_TRUE(close.acted());
    EXPECT_EQ(shown, QStringLiteral("Check Network Failed!"));
    EXPECT_EQ(shownAt, host->pos() + QPoint(210, 200));

    overlay::OverlayData data;
    data.errorText = QStringLiteral("Format failed");
    WhenShown<CErrorPage> cross([&](CErrorPage& p) {
        shown = p.errorText();
        Click(p.crossButton());
    });
    EXPECT_EQ(page()->showOverlay(overlay::kError, data), kCancel);
    EXPECT_EQ(shown, QStringLiteral("Format failed"));
}

TEST_F(AlertOverlays, KindsWithoutAnAlertPageStillEndAtOnce) {
    for (int kind : {int{overlay::kCameraPassword}, 42}) {
        EXPECT_FALSE(overlay::SidePageFor(kind)) << kind;
    }
    for (int kind : {overlay::kAlarm, overlay::kNetAlarm, overlay::kError, overlay::kTerms}) {
        EXPECT_TRUE(overlay::SidePageFor(kind)) << kind;
    }
}
