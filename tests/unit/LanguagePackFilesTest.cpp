#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include "shell/LanguagePack.h"
#include "util/IniReader.h"

namespace {

const QString kLangDir = QStringLiteral(ORB_SOURCE_DIR "/resources/lang/");

struct Line {
    QString key;
    QString value;
};

QStringList ExpectedKeys(const QString& pack) {
    QFile file(kLangDir + QStringLiteral("KEYS.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList keys =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList shortPacks = {
        QStringLiteral("DE"), QStringLiteral("FR"), QStringLiteral("IT"), QStringLiteral("NL_BE"),
        QStringLiteral("PL"), QStringLiteral("CZ"), QStringLiteral("HU"), QStringLiteral("NO"),
        QStringLiteral("DK"), QStringLiteral("FI"), QStringLiteral("SE"), QStringLiteral("GR"),
        QStringLiteral("HR"), QStringLiteral("RO"), QStringLiteral("SL"), QStringLiteral("JP")};
    if (shortPacks.contains(pack)) {
        keys.removeAll(QStringLiteral("nvrpwd_05"));
        keys.removeAll(QStringLiteral("nvrpwd_07"));
    }
    if (pack == QLatin1String("RU")) {
        keys.append(QStringLiteral("Cameras"));
    }
    return keys;
}

class PackFile : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const shell::LanguageInfo& info = shell::LanguageAt(GetParam());
        name_ = QString::fromLatin1(info.fileName).chopped(4);
        QFile file(kLangDir + QLatin1String(info.fileName));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << info.fileName;
        bytes_ = file.readAll();
        text_ = util::DecodeIniText(bytes_);
        QStringList rows = text_.split(QStringLiteral("\r\n"));
        ASSERT_TRUE(rows.last().isEmpty()) << "the last line ends with CR LF";
        rows.removeLast();
        ASSERT_FALSE(rows.isEmpty());
        header_ = rows.takeFirst();
        for (const QString& row : rows) {
            const qsizetype eq = row.indexOf(QLatin1Char('='));
            lines_.push_back({eq < 0 ? row : row.left(eq), eq < 0 ? QString() : row.mid(eq + 1)});
            withoutEquals_ += eq < 0 ? 1 : 0;
        }
    }

    QString value(const QString& key) const { return *util::FindIniValue(text_, u"language", key); }

    QString name_;
    QByteArray bytes_;
    QString text_;
    QString header_;
    std::vector<Line> lines_;
    int withoutEquals_ = 0;
};

}  // namespace

TEST_P(PackFile, IsUtf16WithBomAndCrLfAndTheKeyListInOrder) {
    EXPECT_TRUE(bytes_.startsWith("\xFF\xFE"));
    EXPECT_EQ(bytes_.size() % 2, 0);
    EXPECT_FALSE(text_.contains(QRegularExpression(QStringLiteral("[^\r]\n"))))
        << "every line ends with CR LF";
    EXPECT_EQ(header_, QStringLiteral("[language]"));
    EXPECT_EQ(withoutEquals_, 0);
    QStringList keys;
    for (const Line& line : lines_) {
        keys.append(line.key);
        EXPECT_EQ(line.key, line.key.trimmed());
        EXPECT_EQ(line.value, line.value.trimmed()) << line.key.toStdString();
        EXPECT_LE(line.value.size(), util::kIniMaxValueLength);
    }
    EXPECT_EQ(keys, ExpectedKeys(name_));
}

TEST_P(PackFile, KeepsThePlaceholdersAndMarkersOfTheEnglishText) {
    if (GetParam() == shell::kEnglish) {
        GTEST_SKIP() << "the source";
    }
    QFile english(kLangDir + QStringLiteral("EN.ini"));
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    const QString source = util::DecodeIniText(english.readAll());
    for (const Line& line : lines_) {
        const auto en = util::FindIniValue(source, u"language", line.key);
        if (!en || line.value.isEmpty()) {
            continue;  // the pack's own keys, and the values that are empty on purpose
        }
        for (const char* token :
             {"@@", "[Camera Name]", "<br>", "</br>", "{0}", "{1}", "{2}", "{3}"}) {
            EXPECT_EQ(line.value.count(QLatin1String(token)), en->count(QLatin1String(token)))
                << name_.toStdString() << ": " << line.key.toStdString() << " " << token;
        }
        EXPECT_FALSE(line.value.contains(QLatin1String("560Z")) ||
                     line.value.contains(QLatin1String("990Z")))
            << line.key.toStdString();
    }
}

// Values a translation may share with English: the same word in that language, not a text
// someone forgot to translate.
QStringList SameAsEnglishAllowed(const QString& pack) {
    // Technical names that no language translates.
    QStringList allowed = {"hddraid_RAID0", "hddraid_RAID1", "hddraid_JBOD", "HD1"};
    static const QHash<QString, QStringList> kByPack = {
        {"CZ", {"OK", "APP_NO"}},
        {"DE", {"OK", "footer_03", "footer_04"}},
        {"DK", {"OK", "START", "footer_04", "APP_NO"}},
        {"ES", {"Error"}},
        {"FI", {"OK"}},
        {"FR", {"OK", "eula_07", "eula_19"}},
        {"GR", {"OK"}},
        {"HR", {"APP_NO"}},
        {"HU", {"OK"}},
        {"IT", {"OK", "Password"}},
        {"JP", {"OK"}},
        {"NL_BE", {"OK", "APP_NO"}},
        {"NO", {"OK", "START"}},
        {"PL", {"OK", "APP_NO"}},
        {"PT", {"OK"}},
        {"RO", {"OK", "APP_NO", "hddformat_11", "eula_19"}},
        {"RU", {"OK"}},
        {"SE", {"OK", "footer_04"}},
        {"SL", {"APP_NO"}},
    };
    allowed += kByPack.value(pack);
    return allowed;
}

TEST_P(PackFile, IsNoEnglishInDisguise) {
    if (GetParam() == shell::kEnglish) {
        GTEST_SKIP() << "the source";
    }
    QFile english(kLangDir + QStringLiteral("EN.ini"));
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    const QString source = util::DecodeIniText(english.readAll());
    const QStringList allowed = SameAsEnglishAllowed(name_);
    QStringList same;
    for (const Line& line : lines_) {
        const auto en = util::FindIniValue(source, u"language", line.key);
        if (en && !en->trimmed().isEmpty() && line.value == *en && !allowed.contains(line.key)) {
            same << line.key;
        }
    }
    EXPECT_TRUE(same.isEmpty()) << name_.toStdString() << " still holds the English text of: "
                                << same.join(", ").toStdString();
    // An entry on the list that is translated by now should leave the list.
    for (const QString& key : allowed) {
        const auto en = util::FindIniValue(source, u"language", key);
        const auto own = util::FindIniValue(text_, u"language", key);
        EXPECT_TRUE(en && own && *en == *own) << name_.toStdString() << ": " << key.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, PackFile, ::testing::Range(0, shell::kLanguageCount));

TEST(PackQuirks, ThePacksCarryTheirDeliberateOddities) {
    auto read = [](const char* file) {
        QFile f(kLangDir + QLatin1String(file));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return util::DecodeIniText(f.readAll());
    };
    const QString pt = read("PT.ini");
    EXPECT_TRUE(pt.contains(QStringLiteral("\r\nNEXT=Seguinte\r\nNext=\r\n")));
    const QString de = read("DE.ini");
    EXPECT_TRUE(de.contains(QStringLiteral("\r\nCheck Network Failed!=\r\n")));
    const QString ru = read("RU.ini");
    EXPECT_TRUE(ru.contains(QStringLiteral("\r\nCameras=")));
    for (int i = 0; i < shell::kLanguageCount; ++i) {
        const QString text = read(shell::LanguageAt(i).fileName);
        for (const char16_t* absent :
             {u"camsearch_09", u"corvane_07", u"corvane_08", u"eula_16_1", u"nvrpwd_06"}) {
            EXPECT_FALSE(util::FindIniValue(text, u"language", absent).has_value())
                << shell::LanguageAt(i).fileName;
        }
    }
}
