#include "device/ReplyParser.h"

#include <algorithm>
#include <limits>

namespace {

// QString::split with an empty separator cuts between every character; the recorder never means
// that, so an empty separator leaves the text whole.
QStringList Pieces(const QString& text, const QString& separator) {
    if (separator.isEmpty()) {
        return {text};
    }
    return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

// The C locale's isspace, without its dependence on the locale or on the character's sign.
bool IsSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

}  // namespace

ReplyParser::ReplyParser(const QByteArray& bytes) : text_(QString::fromLocal8Bit(bytes)) {}

int ReplyParser::SplitPairs(const QString& separator) {
    pairs_.clear();
    if (text_.isEmpty()) {
        return -1;
    }
    for (const QString& piece : Pieces(text_, separator)) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0) {
            continue;
        }
        pairs_.append({piece.left(equals), piece.mid(equals + 1)});
    }
    return static_cast<int>(pairs_.size());
}

QString ReplyParser::GetValue(const QString& key) const {
    if (key.isEmpty()) {
        return {};
    }
    for (const auto& pair : pairs_) {
        if (pair.first == key) {
            return pair.second;
        }
    }
    return {};
}

int ReplyParser::SplitItems(const QString& separator) {
    items_.clear();
    if (text_.isEmpty()) {
        return -1;
    }
    for (const QString& piece : Pieces(text_, separator)) {
        if (!piece.isEmpty()) {
            items_.append(piece);
        }
    }
    return static_cast<int>(items_.size());
}

QString ReplyParser::GetItem(int index) const {
    if (index < 0 || index >= items_.size()) {
        return {};
    }
    return items_.at(index);
}

std::int32_t ReadLeadingNumber(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    // The magnitude stops growing one past the largest we can return, so no digit count
    // overflows it.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        if (magnitude < kLimit) {
            magnitude = magnitude * 10 + (text[pos].unicode() - u'0');
        }
        ++pos;
    }
    if (negative) {
        return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min()
                                   : static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}
