// Arbitrary reply bodies through every way the recorder's replies are read: pairs at both
// separators, lookups, items at and around their bounds and the numbers in them.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/ReplyParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ReplyParser reply(bytes);
    static const QStringList keys = {QStringLiteral("status"), QStringLiteral("access"),
                                     QStringLiteral("result"), QString(), QStringLiteral("=")};
    for (const QString& separator :
         {QStringLiteral("\r\n"), QStringLiteral(";"), QString(), QStringLiteral("==")}) {
        const int pairs = reply.SplitPairs(separator);
        if (pairs < -1 || (pairs == -1) != reply.text().isEmpty()) {
            std::abort();
        }
        for (const QString& key : keys) {
            (void)ReadLeadingNumber(reply.GetValue(key));
        }
        const int items = reply.SplitItems(separator);
        if (items < -1 || (items == -1) != reply.text().isEmpty()) {
            std::abort();
        }
        for (int i = -2; i <= items + 2; ++i) {
            const QString item = reply.GetItem(i);
            if (i >= 0 && i < items && item.isEmpty()) {
                std::abort();
            }
            (void)ReadLeadingNumber(item);
        }
    }
    (void)ReadLeadingNumber(reply.text());
    return 0;
}
