#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CSummaryScrollView.h"
#include "controls/CSummaryTable.h"
#include "controls/Fonts.h"
#include "pages/CSummaryDlg.h"
#include "platform/Folders.h"

using controls::CSummaryScrollView;
using controls::CSummaryTable;

namespace {

// The summary of a fresh host, with what the earlier steps left.
struct Summary {
    explicit Summary(const std::function<void(CInterDialog&)>& fill = {}) {
        if (fill) {
            fill(*fixture.host);
        }
        fixture.post(msg::kNavigate, msg::kNext, 13 - fixture.host->currentPageId() - 1);
        page = qobject_cast<CSummaryDlg*>(fixture.host->currentPage());
    }
    QImage shot() const { return fixture.host->grab().toImage(); }

    HostFixture fixture;
    CSummaryDlg* page = nullptr;
};

void AddCameras(WizardSession& session, const QList<QPair<QString, int>>& cameras) {
    for (const auto& [model, selected] : cameras) {
        auto camera = std::make_unique<CameraEntry>();
        camera->model = model;
        camera->selected = selected;
        session.addCamera(std::move(camera));
    }
}

// Whether some pixel of `area` has `colour`: drawn text has stems of its full colour.
bool HasColour(const QImage& image, const QRect& area, const QColor& colour) {
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

QStringList Names(int count) {
    QStringList names;
    for (int i = 1; i <= count; ++i) {
        names << QStringLiteral("LUX-%1").arg(400 + i);
    }
    return names;
}

void Press(QWidget* w, QPoint at) {
    QTest::mousePress(w, Qt::LeftButton, {}, at);
}

void DragTo(QWidget* w, QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), w->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(w, &move);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(SummaryStep, ThePanelShowsTheCloudSectionOnlyWithAnEmailAndSitsUnderTheText) {
    for (const bool cloud : {true, false}) {
        Summary summary([cloud](CInterDialog& host) {
            host.session().setAdminPassword(QStringLiteral("Recorder-pw1"));
            if (cloud) {
                host.session().setCloudEmail(QStringLiteral("owner@example.com"));
                host.session().setCloudPassword(QStringLiteral("Cloud-pw2"));
            }
        });
        ASSERT_NE(summary.page, nullptr);
        CSummaryTable* table = summary.page->table();
        const int textHeight = summary.page->bodyLabel()->contentHeight();
        EXPECT_GT(textHeight, 22);
        EXPECT_EQ(table->geometry(), QRect(80, textHeight + 140, 700, 240));
        EXPECT_EQ(table->showsCloud(), cloud);

        const QImage shot = summary.shot();
        const QPoint origin = table->geometry().topLeft();
        auto at = [&](int x, int y) { return shot.pixelColor(origin + QPoint(x, y)); };
        const QColor header = CSummaryTable::kHeaderColour;
        // Left of each header's word: the box itself.
        EXPECT_EQ(at(36, 44), header);
        EXPECT_EQ(at(36, 90) == header, cloud);
        EXPECT_EQ(at(36, 136), header);
        // Right of the strip, the dividing lines stay whether or not the cloud row shows.
        EXPECT_EQ(at(650, CSummaryTable::kFirstLineY), CSummaryTable::kLineColour);
        EXPECT_EQ(at(650, CSummaryTable::kSecondLineY), CSummaryTable::kLineColour);

        const CSummaryTable::Layout& layout = table->layout();
        EXPECT_TRUE(
            HasColour(shot, layout.passwordLabel.translated(origin), CSummaryTable::kLabelColour));
        EXPECT_TRUE(
            HasColour(shot, layout.passwordValue.translated(origin), CSummaryTable::kValueColour));
        EXPECT_EQ(
            HasColour(shot, layout.emailValue.translated(origin), CSummaryTable::kValueColour),
            cloud);
        EXPECT_EQ(HasColour(shot, layout.cloudPasswordValue.translated(origin),
                            CSummaryTable::kValueColour),
                  cloud);
        // Each value starts after its label's measured width.
        const QFont font = controls::UiFont(CSummaryTable::kTextSize);
        EXPECT_EQ(layout.passwordValue.left(),
                  140 + CSummaryTable::MeasuredWidth("Password", font));
        EXPECT_EQ(layout.emailValue.left(), 141 + CSummaryTable::MeasuredWidth("Email", font));
        EXPECT_EQ(layout.emailValue.right() + 1, 411);

        // Read out in clear text, as shown.
        EXPECT_TRUE(table->accessibleName().contains("Password: Recorder-pw1"));
        EXPECT_EQ(table->accessibleName().contains("Email: owner@example.com"), cloud);
        EXPECT_EQ(table->accessibleName().contains("Password: Cloud-pw2"), cloud);
    }
}

TEST(SummaryStep, JapaneseTextKeepsThePanelUnderItsLastLine) {
    Summary summary([](CInterDialog&) {
        shell::SetLanguageIndex(21);
        shell::LoadLanguagePack(21);
    });
    ASSERT_NE(summary.page, nullptr);
    EXPECT_TRUE(summary.page->bodyLabel()->alternativeLineLayout());
    EXPECT_EQ(summary.page->table()->y(), summary.page->bodyLabel()->contentHeight() + 140);
    EXPECT_EQ(summary.page->finishButton()->text(), shell::LookupText(u"Summary_04", u"x"));
    EXPECT_NE(summary.page->finishButton()->text(), QStringLiteral("FINISH"));
}

TEST(SummaryStep, LongValuesStayWholeOrCanStillBeReadWhole) {
    WhitePage page;
    CSummaryTable table(&page);
    table.setGeometry(80, 200, 700, 240);
    table.setLabels({"NVR", "nubra", "Cameras", "Password", "Email"});
    const QString password = QString(30, QLatin1Char('W'));
    const QString address = QStringLiteral("firstname.lastname@company.example");
    const QString hugeAddress = QString(80, QLatin1Char('m')) + QStringLiteral("@example.com");
    table.setAccount(password, address, QStringLiteral("x"));
    // The longest recorder password fits at full size.
    EXPECT_TRUE(table.fittedValue(0).whole);
    EXPECT_EQ(table.fittedValue(0).font.pixelSize(), CSummaryTable::kTextSize);
    const CSummaryTable::Fitted& email = table.fittedValue(1);
    EXPECT_TRUE(email.whole);
    EXPECT_LE(QFontMetricsF(email.font).horizontalAdvance(email.text),
              table.layout().emailValue.width());
    EXPECT_TRUE(table.toolTip().isEmpty());

    table.setAccount(password, hugeAddress, QStringLiteral("x"));
    EXPECT_FALSE(table.fittedValue(1).whole);
    EXPECT_TRUE(table.toolTip().contains(hugeAddress));
    EXPECT_TRUE(table.accessibleName().contains(hugeAddress));
}

TEST(SummaryStep, TheStripListsTheTickedCamerasInListOrder) {
    for (const int ticked : {0, 4, 9, 10}) {
        const QStringList names = Names(ticked);
        Summary summary([&](CInterDialog& host) {
            QList<QPair<QString, int>> cameras;
            for (const QString& name : names) {
                cameras << qMakePair(QStringLiteral("not-") + name, 0) << qMakePair(name, 1)
                        << qMakePair(QStringLiteral("two-") + name, 2);
            }
            AddCameras(host.session(), cameras);
        });
        ASSERT_NE(summary.page, nullptr);
        CSummaryScrollView* strip = summary.page->strip();
        EXPECT_EQ(strip->geometry(), QRect(220, 315, 480, 140));
        EXPECT_EQ(strip->items(), names) << ticked;
        for (const QString& name : names) {
            EXPECT_TRUE(strip->accessibleName().contains(name)) << name.toStdString();
        }
        EXPECT_FALSE(strip->accessibleName().contains("not-"));
        EXPECT_TRUE(strip->accessibleName().startsWith("Cameras"));
        // The grid holds nine cells; a tenth name has no cell to be drawn in.
        const QImage& grid = strip->grid();
        ASSERT_EQ(grid.width(), CSummaryScrollView::kContentWidth);
        for (int i = 0; i < 9; ++i) {
            const QRect marker = CSummaryScrollView::MarkerLine(i, 0);
            EXPECT_EQ(grid.pixelColor(marker.topLeft()) == CSummaryScrollView::kMarkerColour,
                      i < ticked)
                << ticked << " " << i;
            EXPECT_EQ(
                HasColour(grid, CSummaryScrollView::TextRect(i), CSummaryScrollView::kTextColour),
                i < ticked)
                << ticked << " " << i;
        }
        EXPECT_GE(CSummaryScrollView::TextRect(9).left(), grid.width());
    }
}

TEST(SummaryStep, DraggingTheThumbFullyRightShowsColumnsTwoAndThree) {
    WhitePage page;
    CSummaryScrollView strip(&page);
    strip.setGeometry(220, 315, 480, 140);
    strip.setItems(Names(7));
    strip.show();
    ASSERT_EQ(strip.thumbRect(), QRect(0, 130, 240, 10));
    const int renders = strip.gridRenders();
    auto shown = [&] {
        return strip.grab().toImage().copy(0, 0, 480, 130).convertToFormat(QImage::Format_RGB32);
    };
    auto gridFrom = [&](int x) {
        return strip.grid().copy(x, 0, 480, 130).convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(shown(), gridFrom(0));

    // Presses on the track or the names do not take the thumb along.
    for (const QPoint at : {QPoint(360, 135), QPoint(100, 50)}) {
        Press(&strip, at);
        DragTo(&strip, at + QPoint(100, 0));
        QTest::mouseRelease(&strip, Qt::LeftButton, {}, at + QPoint(100, 0));
        EXPECT_FALSE(strip.dragging());
        EXPECT_EQ(strip.scrollFraction(), 0.0f);
    }

    Press(&strip, QPoint(120, 135));
    DragTo(&strip, QPoint(200, 135));
    EXPECT_TRUE(strip.dragging());
    EXPECT_EQ(strip.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(strip.thumbRect().left(), 80);
    EXPECT_EQ(strip.sourceX(), 80);
    DragTo(&strip, QPoint(700, 135));  // past the end: held at it
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(700, 135));
    EXPECT_FALSE(strip.dragging());
    EXPECT_NE(strip.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(strip.thumbRect(), QRect(240, 130, 240, 10));
    EXPECT_EQ(strip.scrollFraction(), 1.0f);
    EXPECT_EQ(strip.sourceX(), 240);

    const QImage right = shown();
    EXPECT_EQ(right, gridFrom(240));
    // Column 3 holds only the seventh name: its marker, and nothing below it.
    EXPECT_EQ(right.pixelColor(245, 15), CSummaryScrollView::kMarkerColour);
    EXPECT_EQ(right.pixelColor(245, 45), QColor(Qt::white));
    EXPECT_EQ(strip.gridRenders(), renders) << "painting and dragging only copy the grid";

    // The keyboard moves the thumb the same way.
    strip.setFocus();
    QTest::keyClick(&strip, Qt::Key_Home);
    EXPECT_EQ(strip.sourceX(), 0);
    QTest::keyClick(&strip, Qt::Key_Right);
    EXPECT_EQ(strip.thumbRect().left(), CSummaryScrollView::kKeyStep);
    QTest::keyClick(&strip, Qt::Key_End);
    QTest::keyClick(&strip, Qt::Key_Left);
    EXPECT_EQ(strip.thumbRect().left(), 240 - CSummaryScrollView::kKeyStep);

    // Without names the thumb still moves.
    strip.setItems({});
    EXPECT_EQ(strip.gridRenders(), renders + 1);
    QTest::keyClick(&strip, Qt::Key_Home);
    Press(&strip, QPoint(10, 135));
    DragTo(&strip, QPoint(400, 135));
    QTest::mouseRelease(&strip, Qt::LeftButton, {}, QPoint(400, 135));
    EXPECT_EQ(strip.scrollFraction(), 1.0f);
}

TEST(SummaryStep, GoToNvrOpensTheRecorderPageOnItsPortAndStays) {
    const QList<QPair<int, QString>> ports = {
        {80, "http://10.0.0.5/"}, {0, "http://10.0.0.5/"}, {8080, "http://10.0.0.5:8080/"}};
    for (const auto& [port, address] : ports) {
        Summary summary([port](CInterDialog& host) {
            host.session().setRecorderIp(QStringLiteral("10.0.0.5"));
            host.session().recorderPort.store(port);
        });
        ASSERT_NE(summary.page, nullptr);
        QStringList opened;
        summary.page->setUrlOpener([&](const QString& url) {
            opened << url;
            return true;
        });
        // The page took its copy when it was made.
        summary.fixture.host->session().recorderPort.store(1234);
        summary.page->goToNvrButton()->click();
        summary.page->goToNvrButton()->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(opened, QStringList({address, address})) << port;
        EXPECT_TRUE(summary.fixture.host->isVisible());
        EXPECT_EQ(summary.fixture.host->currentPage(), summary.page);
    }
}

TEST(SummaryStep, FinishLeavesTheShortcutAndEndsTheWizard) {
    struct Case {
        const char* access;
        const char* number;
        const char* local;
        const char* file;
        const char* url;
    };
    const Case cases[] = {
        {"1", "NB-4471", "", "ORB-780Z(NB-4471).desktop",
         "https://portal.example.com/device#NB-4471?lang=en"},
        {"0", "NB-4471", "http://10.0.0.5/", "ORB-780Z.desktop", "http://10.0.0.5/"},
        {"1", "../x", "", "ORB-780Z.desktop", "https://portal.example.com/"},
        {"1", "a\nExec=sh", "", "ORB-780Z.desktop", "https://portal.example.com/"},
    };
    for (const Case& c : cases) {
        ScopedDesktop desktop;
        const QString path = desktop.desktop() + "/" + c.file;
        // One of the same name is replaced.
        ASSERT_TRUE(platform::WriteWholeFile(path, "[Desktop Entry]\nExec=old\n"));
        Summary summary([&](CInterDialog& host) {
            host.portalAccess = QString::fromLatin1(c.access);
            host.summaryText1 = QStringLiteral("portal.example.com");
            host.summaryText2 = QString::fromLatin1(c.number);
            host.localHyperlink = QString::fromLatin1(c.local);
        });
        ASSERT_NE(summary.page, nullptr);
        // Enter belongs to FINISH.
        QTest::keyClick(summary.page, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(summary.fixture.host->isVisible()) << c.file;
        EXPECT_EQ(QDir(desktop.desktop()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                  QStringList{c.file});
        const QByteArray entry = Read(path);
        EXPECT_TRUE(entry.contains("\nURL=" + QByteArray(c.url) + "\n")) << entry.constData();
        EXPECT_FALSE(entry.contains("\nExec")) << entry.constData();
        EXPECT_FALSE(QFile::exists(desktop.desktop() + "/../x"));
    }
}

TEST(SummaryStep, WithoutADesktopFinishStillEndsAndCloseMakesNoShortcut) {
    {
        ScopedDesktop desktop;
        ASSERT_TRUE(QDir(desktop.desktop()).removeRecursively());
        Summary summary;
        ASSERT_NE(summary.page, nullptr);
        summary.page->finishButton()->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(summary.fixture.host->isVisible());
        EXPECT_FALSE(QDir(desktop.desktop()).exists());
    }
    ScopedDesktop desktop;
    Summary summary;
    ASSERT_NE(summary.page, nullptr);
    summary.page->closeButton()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(summary.fixture.host->isVisible());
    EXPECT_TRUE(QDir(desktop.desktop()).isEmpty());
}

TEST(SummaryStep, KeyboardVisitsTheButtonsThenTheStripThenTheCorner) {
    Summary summary;
    ASSERT_NE(summary.page, nullptr);
    CSummaryDlg* page = summary.page;
    EXPECT_EQ(page->nextButton(), nullptr);
    EXPECT_EQ(page->backButton(), nullptr);
    const QList<QWidget*> expected = {page->goToNvrButton(), page->finishButton(), page->strip(),
                                      page->minimiseButton(), page->closeButton()};
    EXPECT_EQ(page->tabOrder(), expected);
    EXPECT_EQ(page->goToNvrButton()->geometry(), QRect(182, 504, 240, 42));
    EXPECT_EQ(page->finishButton()->geometry(), QRect(448, 504, 240, 42));
    EXPECT_EQ(page->goToNvrButton()->text(), "GO TO NVR");
}
