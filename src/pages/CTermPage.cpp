#include "pages/CTermPage.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <array>

#include "controls/CApproButton.h"
#include "shell/LanguagePack.h"
#include "shell/OverlayKinds.h"

namespace {

[[maybe_unused]] const bool kRegistered = overlay::RegisterSidePage(
    overlay::kTerms, [](QWidget* overlay, QPoint position, const overlay::OverlayData&) {
        return CTermPage::Run(overlay, position);
    });

const QString kBreak = QStringLiteral("\n\n");

// The Close button stands over the box's lower edge: the text ends above it, so the last
// lines and the caret are never hidden under it.
class TermsBox final : public QTextEdit {
public:
    TermsBox(QWidget* parent, int hiddenBelow) : QTextEdit(parent) {
        setViewportMargins(0, 0, 0, hiddenBelow);
    }
};

QString Text(const char16_t* key) {
    return shell::LookupText(key, u"");
}

}  // namespace

QVector<CTermPage::Piece> CTermPage::Pieces() {
    QVector<Piece> runs;
    runs.append({Text(u"eula_01"), true, kTitleTwips});
    runs.append({kBreak, false, kBodyTwips});
    for (const char16_t* key : {u"eula_02", u"eula_03", u"eula_04"}) {
        runs.append({Text(key) + kBreak});
    }
    static constexpr std::array<std::pair<const char16_t*, const char16_t*>, 8> kSections{{
        {u"eula_05", u"eula_06"},
        {u"eula_07", u"eula_08"},
        {u"eula_09", u"eula_10"},
        {u"eula_11", u"eula_12"},
        {u"eula_13", u"eula_14"},
        {u"eula_15", u"eula_16"},
        {u"eula_17", u"eula_18"},
        {u"eula_19", u"eula_20"},
    }};
    for (const auto& [heading, body] : kSections) {
        runs.append({QLatin1Char(' ') + Text(heading), true});
        const bool last = body == kSections.back().second;
        runs.append({Text(body) + (last ? QString() : kBreak)});
        if (body == kSections[5].second) {
            // A paragraph no pack carries yet: shown, with its gap, only once one does.
            const QString extra = Text(u"eula_16_1");
            if (!extra.isEmpty()) {
                runs.append({extra + kBreak});
            }
        }
    }
    return runs;
}

CTermPage::CTermPage(QWidget* owner)
    : CAlertPage(owner, QStringLiteral("CTermPage"), kSize),
      text_(new TermsBox(this, kTextRect.bottom() - kCloseRect.top() + 1)) {
    setAccessibleName(shell::LookupText(u"corvane_11", u"Terms and Conditions"));
    text_->setObjectName(QStringLiteral("id%1").arg(kTextId));
    text_->setReadOnly(true);
    // Read with the keys too: arrows, Page Up and Down, Ctrl+Home and Ctrl+End.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setAcceptRichText(false);
    text_->setGeometry(kTextRect);
    text_->setAccessibleName(accessibleName());
    QTextCursor cursor(text_->document());
    for (const Piece& run : Pieces()) {
        QTextCharFormat format;
        format.setFontFamilies({QStringLiteral("Arial")});
        format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
        format.setFontPointSize(run.twips / 20.0);
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(run.text, format);
    }
    text_->moveCursor(QTextCursor::Start);

    AddButton(kCloseId, u"Close", u"Close", kCloseRect, overlay::kOk);
    AddCross(kCrossId, kCrossRect);
}

int CTermPage::Run(QWidget* owner, QPoint overlayTopLeft) {
    auto* page = new CTermPage(owner);
    page->move(overlayTopLeft + kOverlayOffset);
    RunModal(page);
    return overlay::kOk;
}
