// Arbitrary reply bodies through every way the recorder's replies are read: pairs at both
// separators, lookups, items at and around their bounds and the numbers in them; then the
// body as the commands take it: its text up to a NUL, the discovery list and the camera id.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>

#include "FuzzInput.h"
#include "device/CommandCatalogue.h"
#include "device/ReplyParser.h"

namespace {

constexpr qsizetype kPieceKeys = 8;

// The number rule written out again: C blanks, one sign, digits; saturated at 32 bits.
std::int32_t ExpectedNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && QStringLiteral(" \t\n\v\f\r").contains(text[i])) {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        ++i;
    }
    while (i < text.size() && text[i] == u'0') {
        ++i;
    }
    qsizetype end = i;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') {
        ++end;
    }
    if (end - i > 10) {
        return negative ? std::numeric_limits<std::int32_t>::min()
                        : std::numeric_limits<std::int32_t>::max();
    }
    std::int64_t value = end > i ? text.mid(i, end - i).toLongLong() : 0;
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void CheckNumber(const QString& text) {
    FuzzCheck(ReadLeadingNumber(text) == ExpectedNumber(text));
}

// The value of the first piece whose key is `key`, as a plain scan finds it.
QString FirstValue(const QStringList& pieces, const QString& key) {
    for (const QString& piece : pieces) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals >= 0 && piece.left(equals) == key) {
            return piece.mid(equals + 1);
        }
    }
    return {};
}

void CheckParser(ReplyParser& reply) {
    static const QStringList keys = {QStringLiteral("status"), QStringLiteral("access"),
                                     QStringLiteral("result"), QString(), QStringLiteral("=")};
    for (const QString& separator :
         {QStringLiteral("\r\n"), QStringLiteral(";"), QString(), QStringLiteral("==")}) {
        const QStringList pieces = separator.isEmpty()
                                       ? QStringList{reply.text()}
                                       : reply.text().split(separator, Qt::KeepEmptyParts);
        const int pairs = reply.SplitPairs(separator);
        if (pairs < -1 || (pairs == -1) != reply.text().isEmpty()) {
            FuzzFail();
        }
        // The keys of the first pieces and of the last one: a repeated key is among them
        // often enough, and the look-ups stay linear in the body.
        QStringList wanted = keys;
        QString lastKey;
        qsizetype withEquals = 0;
        for (const QString& piece : pieces) {
            const qsizetype equals = piece.indexOf(u'=');
            if (equals >= 0) {
                ++withEquals;
                lastKey = piece.left(equals);
                if (withEquals <= kPieceKeys) {
                    wanted.append(lastKey);
                }
            }
        }
        if (withEquals > kPieceKeys) {
            wanted.append(lastKey);
        }
        FuzzCheck(pairs == -1 || pairs == withEquals);
        for (const QString& key : wanted) {
            const QString value = reply.GetValue(key);
            FuzzCheck(value ==
                      (key.isEmpty() || pairs == -1 ? QString() : FirstValue(pieces, key)));
            CheckNumber(value);
        }
        const int items = reply.SplitItems(separator);
        if (items < -1 || (items == -1) != reply.text().isEmpty()) {
            FuzzFail();
        }
        for (int i = -2; i <= items + 2; ++i) {
            const QString item = reply.GetItem(i);
            if (i >= 0 && i < items && item.isEmpty()) {
                FuzzFail();
            }
            if (!separator.isEmpty() && item.contains(separator)) {
                FuzzFail();
            }
            CheckNumber(item);
        }
    }
    CheckNumber(reply.text());
}

void CheckReplyText(const QByteArray& bytes) {
    const std::span<const char> buffer(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::size_t size = buffer.size();
    const QString whole = ReplyText(buffer, size);
    FuzzCheck(!whole.contains(QChar(u'\0')));
    // A size past the buffer never reads beyond it; a shorter one gives a prefix's text.
    FuzzCheck(ReplyText(buffer, size + 4096) == whole);
    const qsizetype nul = bytes.indexOf('\0');
    FuzzCheck(whole == QString::fromLocal8Bit(nul < 0 ? bytes : bytes.left(nul)));
    FuzzCheck(ReplyText(buffer, size / 2) == ReplyText(buffer.first(size / 2), size));
    FuzzCheck(ReplyText(std::span<const char>(), size).isEmpty());
}

void CheckLists(const QString& text, const QString& host) {
    const QStringList list = DiscoveryListOf(text);
    FuzzCheck(list.size() <= DeviceCommandWorker::kMaxListItems);
    for (const QString& line : list) {
        FuzzCheck(!line.isEmpty() && !line.contains(QStringLiteral("\r\n")));
    }
    // Lines joined again read back as the same list while it has room.
    if (list.size() < DeviceCommandWorker::kMaxListItems) {
        FuzzCheck(DiscoveryListOf(list.join(QStringLiteral("\r\n"))) == list);
    }

    const QString id = CameraIdOf(text, host);
    FuzzCheck(!id.contains(u';') && !id.contains(QStringLiteral("\r\n")));
    FuzzCheck(id.isEmpty() || text.contains(id));
    if (!text.contains(host)) {
        FuzzCheck(id.isEmpty());
    }
    // A line naming the host with a plain id field, put last, decides.
    if (!host.isEmpty() && !host.contains(QStringLiteral("\r\n")) && !host.contains(u';')) {
        FuzzCheck(CameraIdOf(text + QStringLiteral("\r\navdevid=77;") + host, host) ==
                  QStringLiteral("77"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReplyParser reply(bytes);
    CheckParser(reply);
    CheckReplyText(bytes);

    FuzzInput in(data, size);
    const QString host = QString::fromLocal8Bit(in.Piece('\n'));
    CheckLists(reply.text(), host);
    return 0;
}
