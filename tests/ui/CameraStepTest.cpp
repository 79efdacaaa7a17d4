#include <QAbstractButton>
#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include "CameraStepSupport.h"
#include "ModalSupport.h"
#include "SimRecorder.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CApproStatic.h"
#include "controls/CCamListCtrl.h"
#include "controls/CErrorPage.h"
#include "controls/CIconButton.h"
#include "controls/CMyEditCtrl2.h"
#include "controls/CNetAlarmPage.h"
#include "pages/CCameraPwd2Page.h"
#include "pages/CCameraPwdPage.h"
#include "pages/CCameraSearchDlg.h"
#include "pages/CPreviewPage.h"

namespace {

class CameraStep : public ::testing::Test, public HostFixture {
protected:
    ~CameraStep() override { host.reset(); }

    CCameraSearchDlg* open(SimRecorder& recorder, int replyType = 3) {
        return OpenCameraStep(*this, recorder, replyType);
    }

    CCameraSearchDlg* page() const { return qobject_cast<CCameraSearchDlg*>(host->currentPage()); }

    static bool Ticked(const CCameraSearchDlg& step, int row) {
        const CameraSelection::Row* state = step.selection().row(row);
        return state != nullptr && state->ticked && step.list()->isRowChecked(row);
    }

    CameraEntry* entry(int index) const { return host->session().cameraAt(index); }

    // Types `password` into an open password page's boxes and presses OK.
    static void Submit(controls::CMyEditCtrl2* first, controls::CMyEditCtrl2* second,
                       const QString& password, QAbstractButton* ok) {
        for (controls::CMyEditCtrl2* box : {first, second}) {
            if (box != nullptr) {
                box->clear();
                QTest::keyClicks(box, password);
            }
        }
        ok->click();
    }
};

// Closes error notices and keeps their texts.
class Notices {
public:
    Notices() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* page = Shown<controls::CErrorPage>()) {
                texts.push_back(page->errorText());
                page->reject();
            } else if (auto* alarm = Shown<controls::CNetAlarmPage>()) {
                ++netAlarms;
                alarm->reject();
            }
        });
        timer_.start(5);
    }
    std::vector<QString> texts;
    int netAlarms = 0;

private:
    QTimer timer_;
};

}  // namespace

TEST_F(CameraStep, ADiscoveryLineBecomesAnEntryAndARow) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.discoveryLines = QStringList{
            QStringLiteral("1;192.168.0.20;00:11:22:33:44:55;acme;LUX-410;admin;;cgi;0"),
            QStringLiteral("0;;00:11:22:33:44:56;acme;LUX-411;admin;pw;cgi;1"),
            QStringLiteral("0;192.168.0.21;00:11:22:33:44:57;acme;LUX-412;root;pw;cgi;1;extra")};
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    ASSERT_EQ(host->session().cameraCount(), 2);
    const CameraEntry& lux = *entry(0);
    EXPECT_EQ(lux.addedFlag, "1");
    EXPECT_EQ(lux.cameraIp, "192.168.0.20");
    EXPECT_EQ(lux.cameraMac, "00:11:22:33:44:55");
    EXPECT_EQ(lux.brand, "acme");
    EXPECT_EQ(lux.model, "LUX-410");
    EXPECT_EQ(lux.account, "admin");
    EXPECT_TRUE(lux.password.isEmpty());
    EXPECT_EQ(lux.protocol, "cgi");
    EXPECT_EQ(lux.protocolType, "0");
    EXPECT_EQ(entry(1)->protocolType, "1");  // a tenth field is ignored

    controls::CCamListCtrl* list = step->list();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->row(0)->model, "LUX-410");
    EXPECT_EQ(list->row(0)->ip, "192.168.0.20");
    EXPECT_TRUE(list->row(0)->passwordKnown);  // the preview icon at once: account "admin"
    EXPECT_FALSE(list->row(1)->passwordKnown);
    EXPECT_FALSE(step->noCameraNote()->isVisible());
    EXPECT_TRUE(step->nextButton()->isEnabled());
    EXPECT_TRUE(step->rescanButton()->isEnabled());

    // Its password is empty: ticking asks for it, and the cross leaves the row as it was.
    bool asked = false;
    WhenShown<CCameraPwdPage> cancel([&](CCameraPwdPage& page) {
        asked = page.prompt()->text().endsWith(QStringLiteral("camera LUX-410:"));
        page.reject();
    });
    ClickBox(*step, 0);
    EXPECT_TRUE(WaitUntil([&] { return cancel.acted(); }));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(Ticked(*step, 0));
    EXPECT_EQ(recorder.count(QStringLiteral("/config/nubradiscovery")), 1);
}

TEST_F(CameraStep, ListsWithoutCamerasShowTheNoteButATimedOutListDoesNot) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.discoveryLines = QStringList{QStringLiteral("1;;00:11:22:33:44:55;a;b;admin;;cgi;0"),
                                       QStringLiteral(";")};
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(host->session().cameraCount(), 0);
    EXPECT_EQ(step->list()->rowCount(), 0);
    EXPECT_TRUE(step->noCameraNote()->isVisible());

    // A refused list is a list without cameras.
    sim::ReplyOverride refused;
    refused.path = QStringLiteral("/config/nubradiscovery");
    refused.status = 409;
    refused.body = QStringLiteral("result=refused\r\n");
    recorder.change([&](sim::Recorder& r) {
        r.discoveryLines.reset();
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-1", "admin", "pw", "pw")};
        r.overrides = {refused};
    });
    step->rescanButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return step->scansTaken() >= 2; }, 10000));
    EXPECT_EQ(host->session().cameraCount(), 0);
    EXPECT_TRUE(step->noCameraNote()->isVisible());

    // A recorder that does not finish in time: the list stays empty and says nothing.
    camerastep::Pacing pacing = Quick();
    pacing.discoveryPolls = 3;
    step->setPacing(pacing);
    sim::ReplyOverride slow;
    slow.path = QStringLiteral("/config/nubradiscovery");
    slow.delayMs = 1500;
    recorder.change([&](sim::Recorder& r) { r.overrides = {slow}; });
    step->rescanButton()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(step->noCameraNote()->isVisible());
    EXPECT_FALSE(step->rescanButton()->isEnabled());  // no Rescan during a scan
    ASSERT_TRUE(WaitUntil([&] { return step->scansTaken() >= 3; }, 10000));
    EXPECT_EQ(step->list()->rowCount(), 0);
    EXPECT_FALSE(step->noCameraNote()->isVisible());
    EXPECT_TRUE(step->rescanButton()->isEnabled());
}

TEST_F(CameraStep, KnownPasswordsTickAtOnceUpToNine) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        for (int i = 0; i < 10; ++i) {
            r.cameras.append(Camera(QStringLiteral("127.0.1.%1").arg(i + 1), Mac(i),
                                    QStringLiteral("OC-%1").arg(i), "admin", "pw", "pw"));
        }
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    ASSERT_EQ(step->list()->rowCount(), 10);
    for (int row = 0; row < 9; ++row) {
        ClickBox(*step, row);
        ASSERT_TRUE(Ticked(*step, row)) << row;
        EXPECT_EQ(step->list()->greyed(), row == 8);
    }
    // The tenth does nothing: no tick, no password page.
    ClickBox(*step, 9);
    EXPECT_FALSE(Ticked(*step, 9));
    EXPECT_EQ(step->selection().tickedCount(), 9);
    EXPECT_EQ(Shown<CCameraPwdPage>(), nullptr);
    // From nine to eight the grey rows turn black again.
    ClickBox(*step, 4);
    EXPECT_FALSE(Ticked(*step, 4));
    EXPECT_FALSE(step->list()->greyed());
    ClickBox(*step, 9);
    EXPECT_TRUE(Ticked(*step, 9));
    EXPECT_EQ(recorder.targets().filter(QStringLiteral("/config/avdevdetect")).size(), 0);
}

TEST_F(CameraStep, AnEnteredPasswordIsCheckedByTheRecorder) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-420", "admin", "", "garage22")};
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    Notices notices;
    Script script;
    script
        .when([] { return Shown<CCameraPwdPage>() != nullptr; },
              [] {
                  auto* page = Shown<CCameraPwdPage>();
                  Submit(page->box(), nullptr, QStringLiteral("wrong"), page->okButton());
              })
        .when([&] { return !notices.texts.empty(); },
              [] {
                  // At once, while the refused check still lingers: fails without asking.
                  auto* page = Shown<CCameraPwdPage>();
                  Submit(page->box(), nullptr, QStringLiteral("garage22"), page->okButton());
              })
        .when([&] { return notices.texts.size() >= 2 && !step->passwordWorkerRunning(); },
              [] {
                  auto* page = Shown<CCameraPwdPage>();
                  Submit(page->box(), nullptr, QStringLiteral("garage22"), page->okButton());
              });
    ClickBox(*step, 0);
    ASSERT_TRUE(script.finished());
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_EQ(notices.texts[0], "Incorrect password. Please try again.");
    EXPECT_EQ(notices.texts[1], "Incorrect password. Please try again.");
    EXPECT_TRUE(Ticked(*step, 0));
    EXPECT_TRUE(step->list()->row(0)->passwordKnown);
    EXPECT_EQ(entry(0)->password, "garage22");
    EXPECT_EQ(entry(0)->verified, 1);
    const QStringList detects = recorder.targets().filter(QStringLiteral("/config/avdevdetect"));
    ASSERT_EQ(detects.size(), 2) << detects.join(' ').toStdString();
    EXPECT_EQ(detects[1],
              "/config/avdevdetect?hostname=127.0.0.2&account=YWRtaW4=&pass=Z2FyYWdlMjI="
              "&brand=Orbis&protocol=cgi&product=OC-420");
}

TEST_F(CameraStep, ACreatedPasswordGoesThroughTheRecorderAndShowsNoPreview) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-7", "root", "", "")};
    });
    CCameraSearchDlg* step = open(recorder, 3);
    ASSERT_NE(step, nullptr);
    Notices notices;
    WhenShown<CCameraPwd2Page> create([](CCameraPwd2Page& page) {
        Submit(page.firstBox(), page.secondBox(), QStringLiteral("Yard2024"), page.okButton());
    });
    ClickBox(*step, 0);
    ASSERT_TRUE(create.acted());
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_TRUE(Ticked(*step, 0));
    EXPECT_FALSE(step->list()->row(0)->passwordKnown);
    EXPECT_EQ(entry(0)->password, "Yard2024");
    // The sim deciphered both passwords with the key it handed out.
    EXPECT_EQ(
        recorder.read<QString>([](const sim::Recorder& r) { return r.cameras[0].adminPassword; }),
        "Yard2024");
    EXPECT_EQ(recorder.count(QStringLiteral("/config/login")), 1);
}

TEST_F(CameraStep, OnShortLayoutRecordersTheCameraItselfTakesThePassword) {
    const int port = FreePort("127.0.0.3");
    ASSERT_GT(port, 0);
    SimRecorder recorder([port](sim::Recorder& r) {
        Secure(r);
        sim::Camera camera = Camera("127.0.0.3", "00:11:22:33:44:03", "OC-9", "root", "", "");
        camera.httpPort = port;
        r.cameras = {camera};
    });
    recorder.alsoFind({RecorderReply("OC-9", {0x00, 0x11, 0x22, 0x33, 0x44, 0x03}, {127, 0, 0, 3},
                                     true, static_cast<std::uint16_t>(port))});
    CCameraSearchDlg* step = open(recorder, 1);
    ASSERT_NE(step, nullptr);
    Notices notices;
    WhenShown<CCameraPwd2Page> create([](CCameraPwd2Page& page) {
        Submit(page.firstBox(), page.secondBox(), QStringLiteral("Porch777"), page.okButton());
    });
    ClickBox(*step, 0);
    ASSERT_TRUE(create.acted());
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_TRUE(Ticked(*step, 0));
    EXPECT_EQ(
        recorder.read<QString>([](const sim::Recorder& r) { return r.cameras[0].adminPassword; }),
        "Porch777");
    EXPECT_EQ(recorder.count(QStringLiteral("/config/login")), 0);
}

TEST_F(CameraStep, AnOlderCameraOnAShortLayoutRecorderTakesThePasswordByDatagram) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        sim::Camera camera = Camera("127.0.0.2", "00:11:22:33:44:0a", "OC-100", "root", "", "");
        camera.protocolType = QStringLiteral("0");
        r.cameras = {camera};
    });
    ASSERT_TRUE(recorder.serveDatagrams());
    // The camera answers the search itself: its record gives the interface to send on.
    recorder.alsoFind(
        {RecorderReply("OC-100", {0x00, 0x11, 0x22, 0x33, 0x44, 0x0a}, {127, 0, 0, 2}, false)});
    CCameraSearchDlg* step = open(recorder, 1);
    ASSERT_NE(step, nullptr);
    Notices notices;
    WhenShown<CCameraPwd2Page> create([](CCameraPwd2Page& page) {
        Submit(page.firstBox(), page.secondBox(), QStringLiteral("Gate2024"), page.okButton());
    });
    ClickBox(*step, 0);
    ASSERT_TRUE(create.acted());
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_TRUE(Ticked(*step, 0));
    EXPECT_EQ(
        recorder.read<QString>([](const sim::Recorder& r) { return r.cameras[0].adminPassword; }),
        "Gate2024");
    // Neither the recorder nor the camera was asked over HTTP.
    EXPECT_EQ(recorder.targets().filter(QStringLiteral("password")).size(), 0);
    EXPECT_EQ(host->commandWorker()->lastUdpPassword(), "Gate2024");
}

TEST_F(CameraStep, ARescanFindsAVerifiedCameraByItsMacAtItsNewAddress) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-1", "admin", "", "garage22"),
                     Camera("127.0.0.4", Mac(2), "OC-2", "admin", "", "other")};
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    WhenShown<CCameraPwdPage> enter([](CCameraPwdPage& page) {
        Submit(page.box(), nullptr, QStringLiteral("garage22"), page.okButton());
    });
    ClickBox(*step, 0);
    ASSERT_TRUE(Ticked(*step, 0));
    recorder.change([](sim::Recorder& r) {
        std::swap(r.cameras[0], r.cameras[1]);
        r.cameras[1].ip = QStringLiteral("127.0.0.7");
    });
    // The accepted check still lingers: Rescan stops it at once.
    step->rescanButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return step->scansTaken() >= 2; }, 10000));
    ASSERT_EQ(step->list()->rowCount(), 2);
    EXPECT_EQ(step->list()->row(1)->ip, "127.0.0.7");
    EXPECT_TRUE(Ticked(*step, 1));
    EXPECT_TRUE(step->list()->row(1)->passwordKnown);
    EXPECT_FALSE(Ticked(*step, 0));
    EXPECT_EQ(entry(1)->password, "garage22");
    EXPECT_EQ(entry(1)->verified, 1);
    EXPECT_EQ(step->selection().tickedCount(), 1);
    EXPECT_EQ(recorder.targets().filter(QStringLiteral("/config/avdevdetect")).size(), 1);
}

TEST_F(CameraStep, NextRemovesAddsAndSaysWhichCamerasTheRecorderRefused) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        sim::Camera a = Camera("127.0.0.2", Mac(1), "OC-A", "admin", "pa", "pa");
        sim::Camera b = Camera("127.0.0.4", Mac(2), "OC-B", "admin", "pb", "pb");
        b.addedFlag = QStringLiteral("1");
        sim::Camera c = Camera("127.0.0.5", Mac(3), "OC-C", "admin", "pc", "pc");
        c.faults.refuseAdd = true;
        sim::Camera d = Camera("127.0.0.6", Mac(4), "OC-D", "admin", "pd", "pd");
        r.cameras = {a, b, c, d};
        r.portal.portalUrl = QStringLiteral("portal.example");
        r.portal.portalNumber = QStringLiteral("NB-4471");
        r.portal.localHyperlink = QStringLiteral("http://127.0.0.1/");
        r.portal.registeredEmail = QStringLiteral("owner@example.com");
        r.portal.registeredPassword = QStringLiteral("cloudpw");
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    ClickBox(*step, 0);
    ClickBox(*step, 2);
    ClickBox(*step, 3);
    ASSERT_EQ(step->selection().tickedCount(), 3);
    Notices notices;
    step->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 12; }, 20000));
    ASSERT_EQ(notices.texts.size(), 1u);
    EXPECT_TRUE(notices.texts[0].contains("OC-C (127.0.0.5)")) << notices.texts[0].toStdString();
    EXPECT_FALSE(notices.texts[0].contains("OC-A"));
    EXPECT_EQ(notices.netAlarms, 0);

    const QStringList asked = recorder.targets();
    const QStringList changes = asked.filter(QRegularExpression("^/config/(add|del)avdev"));
    ASSERT_EQ(changes.size(), 4) << asked.join(' ').toStdString();
    EXPECT_TRUE(
        changes[0].startsWith("/config/addavdev?avdevid=0&avdevname=OC-A&hostname=127.0.0.2"));
    EXPECT_EQ(changes[1], "/config/delavdev?avdevid=1");
    EXPECT_TRUE(changes[2].startsWith("/config/addavdev?avdevid=1&avdevname=OC-C"));
    // The refused add used no number.
    EXPECT_TRUE(
        changes[3].startsWith("/config/addavdev?avdevid=1&avdevname=OC-D&hostname=127.0.0.6"
                              "&hostid=00:11:22:33:44:04&protocol=1&protocoltype=1"
                              "&account=YWRtaW4=&pass=cGQ=&brand=Orbis&product=OC-D"))
        << changes[3].toStdString();
    EXPECT_LT(asked.indexOf("/config/nubrareginfo"), asked.indexOf(changes[0]));
    EXPECT_LT(asked.indexOf("/config/nubraportal"), asked.indexOf(changes[0]));

    WizardSession& session = host->session();
    EXPECT_EQ(session.cameraAt(0)->selected, 1);
    EXPECT_EQ(session.cameraAt(1)->selected, 0);
    EXPECT_EQ(session.cameraAt(2)->selected, 0);
    EXPECT_EQ(session.cameraAt(3)->selected, 1);
    EXPECT_EQ(host->summaryText1, "portal.example");
    EXPECT_EQ(host->summaryText2, "NB-4471");
    EXPECT_EQ(host->portalAccess, "1");
    EXPECT_EQ(host->portalDfp, "5A3F9C27E1D04B88");
    EXPECT_EQ(host->localHyperlink, "http://127.0.0.1/");
    EXPECT_EQ(session.cloudEmail(), "owner@example.com");
    EXPECT_EQ(session.cloudPassword(), "cloudpw");
}

TEST_F(CameraStep, AFailedRegistrationReadAndAClosedPortalAreToldAndTheStepGoesOn) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-A", "admin", "pa", "pa")};
        sim::ReplyOverride refused;
        refused.path = QStringLiteral("/config/nubrareginfo");
        refused.status = 409;
        refused.times = 0;
        r.overrides = {refused};
        r.portal.access = QStringLiteral("0");
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    ClickBox(*step, 0);
    Notices notices;
    step->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 12; }, 20000));
    ASSERT_EQ(notices.texts.size(), 1u);
    EXPECT_EQ(notices.texts[0], "Check Network Failed!");
    EXPECT_EQ(notices.netAlarms, 0);  // the failed read says it all
    EXPECT_EQ(recorder.count(QStringLiteral("/config/delavdev?avdevid=0")), 0);
    EXPECT_EQ(recorder.targets().filter(QStringLiteral("/config/addavdev?avdevid=0")).size(), 1);
    EXPECT_EQ(host->portalAccess, "0");
    EXPECT_TRUE(host->session().cloudEmail().isEmpty());
}

TEST_F(CameraStep, ARecorderWithoutCloudAccessShowsTheInternetAlert) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.portal.access = QStringLiteral("2");
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    Notices notices;
    step->nextButton()->click();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 12; }, 20000));
    EXPECT_TRUE(notices.texts.empty());
    EXPECT_EQ(notices.netAlarms, 1);
    EXPECT_EQ(host->portalAccess, "2");
}

TEST_F(CameraStep, TheKeyboardMovesTicksAndPreviews) {
    SimRecorder recorder([](sim::Recorder& r) {
        Secure(r);
        r.cameras = {Camera("127.0.0.2", Mac(1), "OC-A", "root", "", "pa"),
                     Camera("127.0.0.4", Mac(2), "OC-B", "admin", "pb", "pb")};
    });
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    controls::CCamListCtrl* list = step->list();
    list->setFocus();
    EXPECT_EQ(list->focusRow(), 0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->focusRow(), 1);
    QTest::keyClick(list, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Ticked(*step, 1));
    EXPECT_FALSE(Ticked(*step, 0));

    QString previewed;
    WhenShown<CPreviewPage> preview([&](CPreviewPage& page) {
        previewed = page.accessibleName();
        page.reject();
    });
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return preview.acted(); }));
    EXPECT_EQ(previewed, "127.0.0.4");
    const QPoint anchor = list->previewAnchor();
    const QRect icon = list->cellRect(1, controls::CCamHeaderCtrl::kPreviewColumn);
    EXPECT_EQ(anchor, list->mapToGlobal(QPoint(icon.right() + 1 - 5, icon.center().y() + 2)));

    // Asked twice at once (a double click, a key held down): one preview.
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* page = Shown<CPreviewPage>()) {
            ++opened;
            page->reject();
        }
    });
    closer.start(5);
    list->requestPreview(1);
    list->requestPreview(1);
    ASSERT_TRUE(WaitUntil([&] { return opened == 1 && Shown<CPreviewPage>() == nullptr; }));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 1);
    closer.stop();

    // The row without a known password has no preview: Enter is the page's.
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->focusRow(), 0);
    EXPECT_EQ(list->rowDescription(0), "No. 1, OC-A, 127.0.0.2");
    // Screen readers see the rows as list items, checked while ticked.
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->role(), QAccessible::List);
    ASSERT_EQ(rows->childCount(), 2);
    EXPECT_EQ(rows->child(1)->text(QAccessible::Name), "No. 2, OC-B, 127.0.0.4, preview");
    EXPECT_TRUE(rows->child(1)->state().checked);
    EXPECT_FALSE(rows->child(0)->state().checked);
    EXPECT_EQ(list->rowDescription(1), "No. 2, OC-B, 127.0.0.4, preview");
    EXPECT_EQ(step->rescanButton()->accessibleName(), "Rescan");
    EXPECT_EQ(step->installLink()->accessibleName(), "How to install your network camera.");
}

TEST_F(CameraStep, BackStartsTheStorageWorkerAndLeaves) {
    SimRecorder recorder(Secure);
    CCameraSearchDlg* step = open(recorder);
    ASSERT_NE(step, nullptr);
    EXPECT_FALSE(host->storageWorker().running());
    step->backButton()->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return host->currentPageId() == 10; }));
    EXPECT_TRUE(host->storageWorker().running());
}
