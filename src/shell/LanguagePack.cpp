#include "shell/LanguagePack.h"

#include <QFile>

#include <array>

#include "platform/Folders.h"
#include "platform/Resources.h"
#include "shell/Product.h"
#include "util/IniReader.h"

namespace shell {
namespace {

constexpr std::array<LanguageInfo, kLanguageCount> kLanguages{{
    {u"English", "EN.ini", 3153, 4},      {u"Português", "PT.ini", 3154, 16},
    {u"Pyccкий", "RU.ini", 3155, 19},     {u"Español", "ES.ini", 3156, 5},
    {u"繁體中文", "TW.ini", 3157, 23},    {u"简体中文", "CN.ini", 3158, 22},
    {u"Deutsch", "DE.ini", 3159, 2},      {u"Français", "FR.ini", 3160, 7},
    {u"Italiano", "IT.ini", 3161, 10},    {u"Nederland", "NL_BE.ini", 3162, 13},
    {u"Polski", "PL.ini", 3163, 15},      {u"Česky", "CZ.ini", 3164, 0},
    {u"Magyar", "HU.ini", 3165, 9},       {u"Norsk", "NO.ini", 3166, 14},
    {u"Dansk", "DK.ini", 3167, 0},        {u"Suomi", "FI.ini", 3168, 6},
    {u"Svenska", "SE.ini", 3169, 0},      {u"Eλληνικά", "GR.ini", 3170, 0},
    {u"Hrvatski", "HR.ini", 3171, 8},     {u"Românâ", "RO.ini", 3172, 18},
    {u"Slovenščina", "SL.ini", 3173, 20}, {u"日本語", "JP.ini", 3174, 11},
}};

// The process-wide language state; touched only on the user-interface thread.
struct LanguageState {
    int index = kEnglish;
    QString folder;
};

LanguageState& State() {
    static LanguageState state;
    return state;
}

}  // namespace

const LanguageInfo& LanguageAt(int index) {
    if (index < 0 || index >= kLanguageCount) {
        return kLanguages[kEnglish];
    }
    return kLanguages[static_cast<std::size_t>(index)];
}

int LanguageIndex() {
    return State().index;
}

void SetLanguageIndex(int index) {
    State().index = index;
}

QString LanguageFolder() {
    return State().folder;
}

bool LoadLanguagePack(int index) {
    const LanguageInfo& language = LanguageAt(index);
    const QByteArray bytes = platform::ResourceBytes(QStringLiteral("INI"), language.resourceId);
    if (bytes.isEmpty()) {
        return false;
    }
    State().folder = platform::TemporaryFolder();
    // A failed write is not reported: lookups then read whatever is at the path, or fall back.
    platform::WriteWholeFile(State().folder + QLatin1String(language.fileName), bytes);
    return true;
}

QString LookupText(QStringView key, QStringView fallback, const QString& fill0,
                   const QString& fill1, const QString& fill2, const QString& fill3) {
    const QString path = State().folder + QLatin1String(LanguageAt(State().index).fileName);
    std::optional<QString> value;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QString text = util::DecodeIniText(file.readAll());
        value = util::FindIniValue(text, u"language", key);
    }
    const QStringView chosen = value ? QStringView(*value) : fallback;
    return FillPlaceholders(chosen, fill0, fill1, fill2, fill3);
}

int RecorderLanguageNumber() {
    return LanguageAt(State().index).recorderNumber;
}

bool UsesAlternativeLineLayout(int index) {
    return index == 4 || index == 5 || index == 21;
}

QString FillPlaceholders(QStringView text, const QString& fill0, const QString& fill1,
                         const QString& fill2, const QString& fill3) {
    const std::array<const QString*, 4> fills{&fill0, &fill1, &fill2, &fill3};
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('@') && i + 1 < text.size() && text[i + 1] == QLatin1Char('@')) {
            out += QStringView(product::kModel);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('{') && i + 2 < text.size() && text[i + 2] == QLatin1Char('}')) {
            const int n = text[i + 1].unicode() - u'0';
            if (n >= 0 && n < 4 && !fills[static_cast<std::size_t>(n)]->isEmpty()) {
                out += *fills[static_cast<std::size_t>(n)];
                i += 3;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace shell
