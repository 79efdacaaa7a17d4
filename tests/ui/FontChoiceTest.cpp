#include <QFontDatabase>
#include <QStringList>

#include <gtest/gtest.h>

#include "controls/Fonts.h"
#include "platform/Desktop.h"

namespace {

// `family` with its letter case turned around.
QString OtherCase(const QString& family) {
    QString turned = family;
    for (QChar& c : turned) {
        c = c.isUpper() ? c.toLower() : c.toUpper();
    }
    return turned;
}

}  // namespace

TEST(FontChoice, InstalledMeansExactlyThatFamilyName) {
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty()) << "the tests need some font installed";
    int turnedChecked = 0;
    for (const QString& family : families) {
        EXPECT_TRUE(platform::IsFontInstalled(family)) << family.toStdString();
        const QString turned = OtherCase(family);
        if (turned != family && !families.contains(turned)) {
            EXPECT_FALSE(platform::IsFontInstalled(turned)) << turned.toStdString();
            ++turnedChecked;
        }
    }
    EXPECT_GT(turnedChecked, 0);
    EXPECT_FALSE(platform::IsFontInstalled(QString()));
    EXPECT_FALSE(platform::IsFontInstalled(QStringLiteral("No Such Family 7f3a")));
}

TEST(FontChoice, VerdanaAndTahomaFallBackToArialOnlyWhenMissing) {
    for (const QString& family : {QStringLiteral("Verdana"), QStringLiteral("Tahoma")}) {
        const bool installed = QFontDatabase::families().contains(family);
        EXPECT_EQ(controls::ResolveFamily(family), installed ? family : QStringLiteral("Arial"));
        // A name in other letters is no installed family, so it falls back too.
        EXPECT_EQ(controls::ResolveFamily(family.toUpper()), QStringLiteral("Arial"));
        EXPECT_EQ(controls::UiFont(13, false, family).family(),
                  installed ? family : QStringLiteral("Arial"));
    }
    // Other families are left to the system's font matching.
    EXPECT_EQ(controls::ResolveFamily(QStringLiteral("No Such Family 7f3a")),
              QStringLiteral("No Such Family 7f3a"));
    EXPECT_EQ(controls::ResolveFamily(QStringLiteral("Arial")), QStringLiteral("Arial"));
}
