#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproComboBox.h"
#include "pages/CHddFormatDlg.h"
#include "pages/CHomeDlg.h"
#include "pages/CNubraServiceDlg.h"
#include "pages/CPageBase.h"
#include "pages/PageLooks.h"
#include "pages/PageRegistry.h"

using namespace std::chrono_literals;

namespace {

const char* const kClassOf[14] = {nullptr,
                                  "CHomeDlg",
                                  "CRequirementDlg",
                                  "CIntroduction0Dlg",
                                  "CIntroduction1Dlg",
                                  "CIntroduction2Dlg",
                                  "CIntroduction3Dlg",
                                  "CNvrSearchDlg",
                                  "CNvrPwdDlg",
                                  "CNvrTimeZoneDlg",
                                  "CHddFormatDlg",
                                  "CCameraSearchDlg",
                                  "CNubraServiceDlg",
                                  "CSummaryDlg"};

// Pages 7 to 11 without a network: they go on and tell the host what the real pages tell it
// once they have what they need (their own tests drive them against recorders).
class StandInPage final : public CPageBase {
public:
    StandInPage(CInterDialog& host, int id) : CPageBase(host, PageLookOf(id)), id_(id) {
        setObjectName(QString::fromLatin1(kClassOf[id]));
        if (id == 10) {
            auto* skip = new controls::CApproButton(CHddFormatDlg::kSkipId, this);
            connect(skip, &QAbstractButton::clicked, this, [this] {
                postToHost(msg::kStorageWorker, 1);
                navigate(msg::kNext);
            });
        }
    }
    void onNext() override {
        if (id_ == 7) {
            postToHost(msg::kStartLoginProbe);
        } else if (id_ == 9) {
            postToHost(msg::kStorageWorker, 0);
        } else if (id_ == 10) {
            platform::SendMessage(&host(), msg::kStorageWorker, 1);
        }
        navigate(msg::kNext);
    }
    void onBack() override {
        if (id_ == 9) {
            postToHost(msg::kStartLoginProbe);
        } else if (id_ == 10) {
            postToHost(msg::kStorageWorker, 1);
        } else if (id_ == 11) {
            postToHost(msg::kStorageWorker, 0);
        }
        navigate(msg::kBack);
    }

private:
    int id_;
};

std::unique_ptr<CPageBase> PageOrStandIn(int id, CInterDialog& host) {
    if (id >= 7 && id <= 11) {
        return std::make_unique<StandInPage>(host, id);
    }
    return CreatePage(id, host);
}

class HostTest : public ::testing::Test, public HostFixture {
protected:
    void SetUp() override {
        host->setPageFactory(PageOrStandIn);
        // A storage worker that runs until it is told to stop.
        host->storageWorker().setBody([](StorageState&, const std::atomic<std::int32_t>& run) {
            while (run.load() != 0) {
                std::this_thread::sleep_for(1ms);
            }
        });
    }

    CPageBase* page() const { return host->currentPage(); }

    void goTo(int id) {
        post(msg::kNavigate, msg::kNext, id - host->currentPageId() - 1);
        ASSERT_EQ(host->currentPageId(), id);
        ASSERT_STREQ(page()->objectName().toLatin1().constData(), kClassOf[id]);
    }

    void click(int controlId) {
        auto* button = page()->findChild<QAbstractButton*>(QStringLiteral("id%1").arg(controlId));
        ASSERT_NE(button, nullptr) << controlId;
        button->click();
        QCoreApplication::processEvents();
    }

    void expectPage(int id) {
        ASSERT_EQ(host->currentPageId(), id);
        ASSERT_NE(page(), nullptr);
        EXPECT_STREQ(page()->objectName().toLatin1().constData(), kClassOf[id]);
        EXPECT_EQ(page()->geometry(), QRect(0, 0, 860, 640));
        EXPECT_TRUE(page()->isVisible());
    }
};

}  // namespace

TEST_F(HostTest, OpensOnHomeAtItsOriginWithTheRoundedOutline) {
    expectPage(1);
    EXPECT_EQ(host->pos(), QPoint(7, 7));
    EXPECT_EQ(host->size(), QSize(860, 640));
    EXPECT_FALSE(host->mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(host->mask().contains(QPoint(3, 3)));
    EXPECT_TRUE(host->mask().contains(QPoint(430, 0)));
    EXPECT_FALSE(host->mask().contains(QPoint(859, 639)));
}

TEST_F(HostTest, ButtonsFollowTheFlowTableFromEveryPage) {
    click(CHomeDlg::kStartId);
    expectPage(2);
    for (int id = 2; id <= 12; ++id) {
        goTo(id);
        if (id == 12) {
            click(CNubraServiceDlg::kNoServiceId);  // Next goes on without an account
        }
        click(CPageBase::kNextId);
        expectPage(id + 1);
    }
    for (int id = 13; id >= 3; --id) {
        goTo(id);
        if (id == 13) {
            continue;  // the summary has no Back
        }
        click(CPageBase::kBackId);
        expectPage(id - 1);
    }
    goTo(2);
    click(CPageBase::kBackId);
    expectPage(1);
}

TEST_F(HostTest, HomeAndOutOfRangeRequests) {
    goTo(11);
    post(msg::kNavigate, msg::kHome);
    expectPage(1);
    goTo(12);
    CPageBase* before = page();
    post(msg::kNavigate, msg::kNext, 5);  // 18
    EXPECT_EQ(page(), before) << "the page stays";
    EXPECT_EQ(host->currentPageId(), 12) << "and so does its number";
    post(msg::kNavigate, msg::kBack, 1);  // 10
    expectPage(10);
    // The hard-drive step's way back to the drive instructions: 10 + 1 - 8.
    post(msg::kNavigate, msg::kNext, -8);
    expectPage(3);
    host->SwitchToPage(0);
    host->SwitchToPage(14);
    expectPage(3);
}

TEST_F(HostTest, CloseFromAnyPageEndsTheHostAndMinimiseGoesToTheOuterWindow) {
    for (int id = 1; id <= 13; ++id) {
        goTo(id);
        click(CPageBase::kMinimiseId);
        EXPECT_TRUE(WaitUntil([&] { return outer.minimiseRequests == id; }));
        EXPECT_TRUE(host->isVisible());
    }
    goTo(5);
    click(CPageBase::kCloseId);
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(host->result(), QDialog::Accepted);
}

TEST_F(HostTest, EscapeReachesTheCloseHandler) {
    goTo(4);
    QTest::keyClick(page(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(host->isVisible());
    EXPECT_EQ(host->result(), QDialog::Accepted);
}

TEST_F(HostTest, SummaryFinishCloses) {
    ScopedDesktop desktop;  // FINISH leaves a shortcut there
    goTo(13);
    click(1026);
    EXPECT_FALSE(host->isVisible());
}

TEST_F(HostTest, MovedMovesTheHostAndTellsTheOuterWindow) {
    post(msg::kMoved, 120, 80);
    EXPECT_EQ(host->pos(), QPoint(120, 80));
    ASSERT_TRUE(WaitUntil([&] { return outer.lastMove == QPoint(120, 80); }));
}

TEST_F(HostTest, DraggingThePageBackgroundMovesTheWizard) {
    const QPoint start = host->pos();
    QTest::mousePress(page(), Qt::LeftButton, {}, QPoint(200, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(230, 310), page()->mapToGlobal(QPointF(230, 310)),
                     Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(page(), &move);
    QCoreApplication::processEvents();
    QTest::mouseRelease(page(), Qt::LeftButton, {}, QPoint(230, 310));
    EXPECT_EQ(host->pos(), start + QPoint(30, 10));
    ASSERT_TRUE(WaitUntil([&] { return outer.lastMove == start + QPoint(30, 10); }));
}

TEST_F(HostTest, MessagesPostedBeforeNavigateAreHandledBeforeTheSwitch) {
    bool probeRunningWhenPage8Made = false;
    host->loginProbe().setSender([](const RecorderTarget&, const auto& run) {
        while (run.load() != 0) {
            std::this_thread::sleep_for(1ms);
        }
        return ProbeOutcome::Refused;
    });
    host->setPageFactory([&](int id, CInterDialog& h) {
        if (id == 8) {
            probeRunningWhenPage8Made = h.loginProbe().threadExists();
        }
        return PageOrStandIn(id, h);
    });
    goTo(7);
    click(CPageBase::kNextId);
    expectPage(8);
    EXPECT_TRUE(probeRunningWhenPage8Made);
}

TEST_F(HostTest, StorageWorkerFollowsTheSteps) {
    goTo(9);
    EXPECT_FALSE(host->storageWorker().running());
    click(CPageBase::kNextId);  // time zone forward starts it
    expectPage(10);
    EXPECT_TRUE(host->storageWorker().running());
    click(CPageBase::kNextId);  // stopped synchronously before the switch
    expectPage(11);
    EXPECT_FALSE(host->storageWorker().running());
    click(CPageBase::kBackId);  // cameras backwards starts it again
    expectPage(10);
    EXPECT_TRUE(host->storageWorker().running());
    click(CHddFormatDlg::kSkipId);
    expectPage(11);
    EXPECT_TRUE(WaitUntil([&] { return !host->storageWorker().running(); }));
    click(CPageBase::kBackId);
    click(CPageBase::kBackId);  // hard drive backwards stops it
    expectPage(9);
    EXPECT_TRUE(WaitUntil([&] { return !host->storageWorker().running(); }));
}

TEST_F(HostTest, BackFromTimeZoneRestartsTheLoginProbeAndThePasswordPageHearsOfIt) {
    goTo(9);
    click(CPageBase::kBackId);
    expectPage(8);
    // With no recorder to ask the probe counts as unreachable and tells the password page.
    const LoginProbeWords& words = host->loginProbe().words();
    ASSERT_TRUE(WaitUntil([&] { return words.open.load() == 1 && words.busy.load() == 0; }));
    EXPECT_EQ(host->loginProbe().words().locked.load(), 0);
}

TEST_F(HostTest, ChoosingALanguageRetranslatesHomeAndLaterPages) {
    auto* list = page()->findChild<controls::CApproComboBox*>(QStringLiteral("languageList"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 22);
    EXPECT_EQ(list->items().at(2), QString::fromUtf16(u"Pyccкий"));
    auto* start = page()->findChild<controls::CApproButton*>(QStringLiteral("id1001"));
    EXPECT_EQ(start->text(), QStringLiteral("START"));
    platform::PostMessage(page()->windowId(), msg::kLanguageChosen, 6);
    ASSERT_TRUE(WaitUntil([&] { return start->text() != QStringLiteral("START"); }));
    EXPECT_EQ(shell::LanguageIndex(), 6);
    EXPECT_EQ(start->text(), shell::LookupText(u"START", u"START"));
    click(CHomeDlg::kStartId);
    expectPage(2);
    EXPECT_EQ(page()->nextButton()->text(),
              shell::LookupText(u"Next", u"x") + QStringLiteral("   >"));
    EXPECT_TRUE(page()->nextButton()->text().startsWith(QStringLiteral("WEITER")));
    // Going home keeps the chosen language.
    post(msg::kNavigate, msg::kHome);
    auto* list2 = page()->findChild<controls::CApproComboBox*>(QStringLiteral("languageList"));
    EXPECT_EQ(list2->currentIndex(), 6);
    // A negative choice changes nothing.
    platform::PostMessage(page()->windowId(), msg::kLanguageChosen, -1);
    QCoreApplication::processEvents();
    EXPECT_EQ(shell::LanguageIndex(), 6);
}

TEST_F(HostTest, NextAndBackShareTheWiderCaptionsWidth) {
    goTo(3);
    auto* back = page()->backButton();
    auto* next = page()->nextButton();
    EXPECT_EQ(back->width(), next->width());
    EXPECT_EQ(back->geometry().right() + 1, 410);
    EXPECT_EQ(next->x(), 448);
    EXPECT_EQ(next->y(), 536);
    EXPECT_EQ(next->height(), 43);
    EXPECT_EQ(next->width(), std::max(back->captionWidth(40), next->captionWidth(40)));
}

TEST(HostShutdown, WorkersStopBeforeTheSessionTheyReadGoes) {
    ScopedTempFolder temp;
    OuterStandIn outer;
    auto host = std::make_unique<CInterDialog>(&outer);
    CInterDialog* raw = host.get();
    std::atomic<bool> reading{false};
    host->storageWorker().setBody(
        [raw, &reading](StorageState&, const std::atomic<std::int32_t>& run) {
            while (run.load() != 0) {
                // Freed memory here is what AddressSanitizer reports.
                (void)raw->session().recorderIp().size();
                reading.store(true);
            }
        });
    host->storageWorker().start();
    ASSERT_TRUE(WaitUntil([&] { return reading.load(); }));
    host.reset();
    EXPECT_TRUE(reading.load());
}
