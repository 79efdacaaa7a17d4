// Arbitrary language-pack files through the INI reader: the decoding of their bytes (UTF-16LE
// after FF FE, UTF-8 after EF BB BF, else 8-bit), the look-up of every key and section the file
// names against a plain reading of the same rules, and the placeholders of what is found.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzInput.h"
#include "shell/LanguagePack.h"
#include "shell/Product.h"
#include "util/IniReader.h"

namespace {

constexpr qsizetype kMaxLookups = 12;

QString Trimmed(const QString& s) {
    const auto blank = [&s](qsizetype i) { return s[i] == u' ' || s[i] == u'\t'; };
    qsizetype first = 0;
    qsizetype end = s.size();
    while (first < end && blank(first)) {
        ++first;
    }
    while (end > first && blank(end - 1)) {
        --end;
    }
    return s.mid(first, end - first);
}

// The private-profile rules written out line by line.
std::optional<QString> Expected(const QStringList& lines, const QString& section,
                                const QString& key) {
    const QString wantedKey = Trimmed(key);
    if (wantedKey.isEmpty()) {
        return std::nullopt;
    }
    bool inSection = false;
    bool seen = false;
    for (QString line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        line = Trimmed(line);
        if (line.startsWith(u'[')) {
            if (seen) {
                return std::nullopt;
            }
            QString name = line.mid(1);
            name = name.left(name.indexOf(u']'));  // left(-1) keeps it whole
            inSection = Trimmed(name).compare(Trimmed(section), Qt::CaseInsensitive) == 0;
            seen = inSection;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0 ||
            Trimmed(line.left(equals)).compare(wantedKey, Qt::CaseInsensitive) != 0) {
            continue;
        }
        QString value = Trimmed(line.mid(equals + 1));
        if (value.size() > util::kIniMaxValueLength) {
            value.truncate(util::kIniMaxValueLength);
            if (value.back().isHighSurrogate()) {
                value.chop(1);
            }
        }
        return value;
    }
    return std::nullopt;
}

void CheckDecoding(const QByteArray& bytes, const QString& text) {
    if (bytes.startsWith("\xFF\xFE")) {
        // Every whole pair of bytes is one unit; an odd last byte is dropped. Encoding the
        // units again gives the bytes back.
        FuzzCheck(text.size() == (bytes.size() - 2) / 2);
        QByteArray again("\xFF\xFE");
        for (const QChar c : text) {
            again.append(static_cast<char>(c.unicode() & 0xFF));
            again.append(static_cast<char>(c.unicode() >> 8));
        }
        FuzzCheck(again == bytes.left(2 + 2 * text.size()));
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        FuzzCheck(text == QString::fromUtf8(bytes.mid(3)));
    } else {
        FuzzCheck(text == QString::fromLocal8Bit(bytes));
    }
}

void CheckValue(const QString& value) {
    FuzzCheck(value.size() <= util::kIniMaxValueLength);
    FuzzCheck(!value.contains(u'\n'));
    if (!value.isEmpty()) {
        FuzzCheck(value.front() != u' ' && value.front() != u'\t');
    }
    // Blanks go before the cut, as with the private-profile reader: a cut value may end in one.
    if (!value.isEmpty() && value.size() < util::kIniMaxValueLength - 1) {
        FuzzCheck(value.back() != u' ' && value.back() != u'\t');
    }
    // Fills of plain letters: in one pass they read as the replacements made one after the
    // other, and no model mark is left.
    const QString fills[4] = {QStringLiteral("alpha"), QString(), QStringLiteral("gamma"),
                              QStringLiteral("delta")};
    const QString filled = shell::FillPlaceholders(value, fills[0], fills[1], fills[2], fills[3]);
    QString stepwise = value;
    for (int i = 0; i < 4; ++i) {
        if (!fills[i].isEmpty()) {
            stepwise.replace(QStringLiteral("{%1}").arg(i), fills[i]);
        }
    }
    stepwise.replace(QStringLiteral("@@"), QString::fromUtf16(product::kModel));
    FuzzCheck(filled == stepwise);
    FuzzCheck(!filled.contains(QStringLiteral("@@")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = util::DecodeIniText(bytes);
    CheckDecoding(bytes, text);

    // Look up what the file itself names, in the packs' section and in its own sections.
    const QStringList lines = text.split(u'\n');
    QStringList sections = {QStringLiteral("language")};
    QStringList keys = {QStringLiteral("NEXT"), QStringLiteral(" next "), QString()};
    for (const QString& line : lines) {
        if (sections.size() + keys.size() >= kMaxLookups) {
            break;
        }
        const QString trimmed = Trimmed(line);
        if (trimmed.startsWith(u'[')) {
            sections.append(trimmed.mid(1, trimmed.indexOf(u']') - 1));
        } else if (line.contains(u'=')) {
            keys.append(line.left(line.indexOf(u'=')));
        }
    }
    for (const QString& section : sections) {
        for (const QString& key : keys) {
            const std::optional<QString> value = util::FindIniValue(text, section, key);
            FuzzCheck(value == Expected(lines, section, key));
            if (value) {
                CheckValue(*value);
            }
        }
    }
    return 0;
}
