#include <QDir>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "ModalSupport.h"
#include "UiSupport.h"
#include "controls/CApproButton.h"
#include "pages/CTermPage.h"
#include "shell/OverlayKinds.h"

namespace {

QString Joined(const QVector<CTermPage::Piece>& runs) {
    QString text;
    for (const CTermPage::Piece& run : runs) {
        text += run.text;
    }
    return text;
}

}  // namespace

TEST(TermPage, TheLicenceInItsOrderWithBoldHeadingsOnTheBodyLine) {
    InLanguage english(shell::kEnglish);
    const QVector<CTermPage::Piece> runs = CTermPage::Pieces();
    ASSERT_EQ(runs.size(), 2 + 3 + 16);
    EXPECT_TRUE(runs[0].bold);
    EXPECT_EQ(runs[0].twips, CTermPage::kTitleTwips);
    EXPECT_EQ(runs[0].text, shell::LookupText(u"eula_01", u""));
    EXPECT_FALSE(runs[0].text.isEmpty());
    EXPECT_EQ(runs[1].text, "\n\n");
    EXPECT_FALSE(runs[1].bold);
    for (int i = 5; i < runs.size(); i += 2) {
        EXPECT_TRUE(runs[i].bold) << i;
        EXPECT_TRUE(runs[i].text.startsWith(' ')) << i;
        EXPECT_FALSE(runs[i].text.contains('\n')) << i;  // the body follows on its line
        EXPECT_FALSE(runs[i + 1].bold) << i;
        EXPECT_EQ(runs[i].twips, CTermPage::kBodyTwips);
    }
    EXPECT_TRUE(runs[6].text.endsWith("\n\n"));
    EXPECT_FALSE(runs.back().text.endsWith('\n'));  // nothing after the last section
    EXPECT_EQ(runs.back().text, shell::LookupText(u"eula_20", u""));
}

TEST(TermPage, TextsAreShownAsTheyStandInEveryLanguage) {
    for (int language = 0; language < shell::kLanguageCount; ++language) {
        InLanguage pack(language);
        CTermPage page(nullptr);
        // The raw text keeps no-break spaces; blocks end in paragraph separators.
        const QString shown =
            page.textBox()->document()->toRawText().replace(QChar(0x2029), QLatin1Char('\n'));
        // No piece is read as markup: the box holds exactly the pack's texts.
        EXPECT_EQ(shown, Joined(CTermPage::Pieces())) << language;
        EXPECT_TRUE(page.textBox()->isReadOnly());
    }
}

TEST(TermPage, CloseAndTheCrossEndItWithOkAndTheBoxScrolls) {
    InLanguage english(shell::kEnglish);
    for (const bool cross : {false, true}) {
        int result = 0;
        WhenShown<CTermPage> act([&](CTermPage& page) {
            QScrollBar* bar = page.textBox()->verticalScrollBar();
            EXPECT_GT(bar->maximum(), 0);  // the licence is longer than the box
            QTest::keyClick(page.textBox(), Qt::Key_End, Qt::ControlModifier);
            EXPECT_GT(bar->value(), 0);
            // The last line shows, and nothing of the text lies under the Close button.
            QWidget* shown = page.textBox()->viewport();
            EXPECT_TRUE(shown->rect().contains(page.textBox()->cursorRect()));
            EXPECT_LE(shown->mapTo(&page, shown->rect().bottomLeft()).y(),
                      CTermPage::kCloseRect.top());
            const QList<QAbstractButton*> buttons = page.findChildren<QAbstractButton*>();
            for (QAbstractButton* button : buttons) {
                if ((cross && button->geometry() == CTermPage::kCrossRect) ||
                    (!cross && button->geometry() == CTermPage::kCloseRect)) {
                    button->click();
                }
            }
        });
        result = CTermPage::Run(nullptr, QPoint(0, 0));
        EXPECT_TRUE(act.acted());
        EXPECT_EQ(result, overlay::kOk);
    }
}

TEST(Screenshots, TermPageInEnglishAndJapanese) {
    const QString dir = QStringLiteral(ORB_SCREENS_DIR "/cloud");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString suffix = qGuiApp->devicePixelRatio() > 1 ? QStringLiteral("@2x") : QString();
    for (int language : {shell::kEnglish, 21}) {
        InLanguage pack(language);
        const QString stem = QString::fromLatin1(shell::LanguageAt(language).fileName).chopped(4);
        CTermPage page(nullptr);
        page.show();
        EXPECT_TRUE(page.grab().save(QStringLiteral("%1/%2-terms%3.png").arg(dir, stem, suffix)));
    }
}
