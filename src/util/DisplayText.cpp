#include "util/DisplayText.h"

namespace {

bool IsReordering(char16_t c) {
    return c == u'\u061C' || c == u'\u200E' || c == u'\u200F' ||
           (c >= u'\u202A' && c <= u'\u202E') || (c >= u'\u2066' && c <= u'\u2069');
}

bool IsControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == u'\u2028' || c == u'\u2029';
}

}  // namespace

QString DisplayText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (IsReordering(unit)) {
            continue;
        }
        out += IsControl(unit) ? QChar(u' ') : c;
    }
    return out;
}

QStringList DisplayTexts(const QStringList& texts) {
    QStringList out;
    out.reserve(texts.size());
    for (const QString& text : texts) {
        out << DisplayText(text);
    }
    return out;
}
