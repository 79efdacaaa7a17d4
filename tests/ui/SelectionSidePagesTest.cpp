#include <QFontMetricsF>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproStatic.h"
#include "controls/CBaseStatic2.h"
#include "controls/CIconButton.h"
#include "controls/CImageBox.h"
#include "controls/CRectStatic.h"
#include "pages/CMacDisplayPage.h"
#include "pages/CNoDevicePage.h"
#include "shell/CTransparentPage.h"

namespace {

using overlay::kCancel;
using overlay::kOk;

int Darkest(QWidget& page, QRect area) {
    const QImage shot = page.grab().toImage();
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            darkest = std::min(darkest, qGray(shot.pixel(x, y)));
        }
    }
    return darkest;
}

// A page of the wizard's size for the overlay to lie over.
class PageStandIn : public platform::MessageWindow<QWidget> {
public:
    PageStandIn() : MessageWindow<QWidget>(nullptr, Qt::FramelessWindowHint) {
        setGeometry(40, 30, 860, 640);
        show();
    }
};

}  // namespace

TEST(MacDisplayPage, WritesTheMacOnTheLabelInsideItsFrame) {
    InLanguage english(shell::kEnglish);
    CMacDisplayPage page(nullptr, QStringLiteral("001C2A780E01"));
    EXPECT_EQ(page.text(), QStringLiteral("The MAC Address is on the back of your NVR."));
    EXPECT_EQ(page.line(3)->text(), QStringLiteral("MAC: 001C2A780E01"));
    EXPECT_TRUE(page.label()->geometry().contains(page.highlight()->geometry()));
    for (const QWidget* child : page.findChildren<QWidget*>()) {
        EXPECT_FALSE(child->accessibleName().isEmpty()) << child->objectName().toStdString();
    }
    page.show();
    const QRect frame = page.highlight()->geometry();
    EXPECT_EQ(page.grab().toImage().pixelColor(frame.left(), frame.center().y()), Qt::red);
    // The letters lie over the frame's white inside, not under it.
    EXPECT_LT(Darkest(page, frame.adjusted(3, 3, -3, -3) & page.line(3)->geometry()), 110);

    // A text wider than 450 px moves left into a 500-px box.
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        InLanguage pack(language);
        CMacDisplayPage other(nullptr, {});
        const qreal width =
            QFontMetricsF(other.textLabel()->textFont()).horizontalAdvance(other.text());
        EXPECT_EQ(other.textLabel()->geometry(),
                  width > 450 ? QRect(40, 30, 500, 40) : QRect(90, 30, 450, 40))
            << language;
    }
}

TEST(MacDisplayPage, TheKeyboardsCrossAndTheOverlayEndWithOk) {
    InLanguage english(shell::kEnglish);
    QString focus;
    Script tab;
    tab.when([] { return Active<CMacDisplayPage>() != nullptr; },
             [&] {
                 Key(Qt::Key_Tab);
                 focus = FocusName();
                 Key(Qt::Key_Space);
             });
    EXPECT_EQ(CMacDisplayPage::Run(nullptr, {}, {}), kOk);
    EXPECT_EQ(focus, QStringLiteral("id2")) << "the cross takes the keyboard";

    PageStandIn host;
    QPoint at;
    QString macLine;
    Script escape;
    escape.when([] { return Active<CMacDisplayPage>() != nullptr; },
                [&] {
                    at = Shown<CMacDisplayPage>()->pos();
                    macLine = Shown<CMacDisplayPage>()->line(3)->text();
                    Key(Qt::Key_Escape);
                });
    overlay::OverlayData data;
    data.macText = QStringLiteral("xxxxxxxxxxxxxxxx");
    EXPECT_EQ(CTransparentPage::Show(&host, overlay::kMacDisplay, data), kOk);
    EXPECT_TRUE(escape.finished());
    EXPECT_EQ(at, host.mapToGlobal(QPoint(0, 0)) + QPoint(160, 150));
    EXPECT_EQ(macLine, QStringLiteral("MAC: xxxxxxxxxxxxxxxx"));
}

TEST(NoDevicePage, ShowsTheCableHintInEveryLanguage) {
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        InLanguage pack(language);
        CNoDevicePage page(nullptr);
        const controls::CBaseStatic2* text = page.textLabel();
        EXPECT_TRUE(page.title().endsWith(QLatin1Char('?')));
        EXPECT_FALSE(text->text().contains(QStringLiteral("ORB-560Z")));
        EXPECT_EQ(text->alternativeLineLayout(), language == 4 || language == 5 || language == 21);
        EXPECT_EQ(text->height(), text->contentHeight()) << "every line shows";
        EXPECT_LT(page.titleLabel()->geometry().bottom(), text->y());
        EXPECT_TRUE(page.rect().contains(text->geometry()));
        EXPECT_LE(QFontMetricsF(page.titleLabel()->textFont()).horizontalAdvance(page.title()),
                  page.titleLabel()->width());
    }
    InLanguage english(shell::kEnglish);
    CNoDevicePage page(nullptr);
    EXPECT_EQ(page.title(), QStringLiteral("Cannot find your NVR?"));
    page.show();
    EXPECT_NEAR(Darkest(page, page.titleLabel()->geometry()), 68, 3);
    EXPECT_NEAR(Darkest(page, page.textLabel()->geometry()), 0x66, 3);
}

TEST(NoDevicePage, TheCrossAndEscapeReturnCancelThroughTheOverlay) {
    InLanguage english(shell::kEnglish);
    PageStandIn host;
    QPoint at;
    Script cross;
    cross.when([] { return Shown<CNoDevicePage>() != nullptr; },
               [&] {
                   at = Shown<CNoDevicePage>()->pos();
                   Click(Shown<CNoDevicePage>()->crossButton());
               });
    EXPECT_EQ(CTransparentPage::Show(&host, overlay::kNoDevice), kCancel);
    EXPECT_EQ(at, host.mapToGlobal(QPoint(0, 0)) + QPoint(130, 120));
    Script escape;
    escape.when([] { return Active<CNoDevicePage>() != nullptr; }, [] { Key(Qt::Key_Escape); });
    EXPECT_EQ(CTransparentPage::Show(&host, overlay::kNoDevice), kCancel);
    EXPECT_TRUE(cross.finished() && escape.finished());
}
