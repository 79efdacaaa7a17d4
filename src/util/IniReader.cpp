#include "util/IniReader.h"

namespace util {
namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView TrimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlank(s[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(s[end - 1])) {
        --end;
    }
    return s.mid(begin, end - begin);
}

QString CutValue(QStringView value) {
    if (value.size() <= kIniMaxValueLength) {
        return value.toString();
    }
    qsizetype length = kIniMaxValueLength;
    // Never leave half of a surrogate pair at the end.
    if (value[length - 1].isHighSurrogate()) {
        --length;
    }
    return value.left(length).toString();
}

}  // namespace

QString DecodeIniText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE")) {
        const qsizetype units = (bytes.size() - 2) / 2;
        QString text(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i) {
            const auto lo = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto hi = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = QChar(static_cast<char16_t>(lo | (hi << 8)));
        }
        return text;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.mid(3));
    }
    return QString::fromLocal8Bit(bytes);
}

std::optional<QString> FindIniValue(QStringView text, QStringView section, QStringView key) {
    const QStringView wantedSection = TrimBlanks(section);
    const QStringView wantedKey = TrimBlanks(key);
    if (wantedKey.isEmpty()) {
        return std::nullopt;
    }
    bool inSection = false;
    bool sectionSeen = false;
    qsizetype pos = 0;
    while (pos <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
        if (end < 0) {
            end = text.size();
        }
        QStringView line = text.mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        line = TrimBlanks(line);
        if (line.startsWith(QLatin1Char('['))) {
            if (sectionSeen) {
                return std::nullopt;  // only the first section of that name counts
            }
            qsizetype close = line.indexOf(QLatin1Char(']'));
            QStringView name = line.mid(1, close < 0 ? -1 : close - 1);
            inSection = TrimBlanks(name).compare(wantedSection, Qt::CaseInsensitive) == 0;
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        if (TrimBlanks(line.left(equals)).compare(wantedKey, Qt::CaseInsensitive) == 0) {
            return CutValue(TrimBlanks(line.mid(equals + 1)));
        }
    }
    return std::nullopt;
}

}  // namespace util
