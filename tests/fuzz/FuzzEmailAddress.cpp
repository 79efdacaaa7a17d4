// Arbitrary text through the cloud step's address check: it never reads past the text, and an
// address it takes is plain ASCII with an "@" and a dot after it.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "util/EmailAddress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!CheckEmailAddress(text)) {
        return 0;
    }
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || text.indexOf(QLatin1Char('.'), at) < 0) {
        std::abort();
    }
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
            std::abort();
        }
    }
    return 0;
}
