// Arbitrary WWW-Authenticate values through the challenge reader and two answers to it; no
// answer may ever leave its header line.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/DigestState.h"

namespace {

void Check(const QString& header) {
    if (!header.startsWith(QStringLiteral("Authorization: Digest ")) || header.contains(u'\r') ||
        header.contains(u'\n')) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    DigestState state;
    // Both readings the bytes may get: UTF-8 (with replacement characters) and one char a byte.
    for (const QString& value : {QString::fromUtf8(bytes), QString::fromLatin1(bytes)}) {
        state.ParseChallenge(value);
        Check(state.BuildDigestHeader(QStringLiteral("admin"), QStringLiteral("pass\r\nword"),
                                      QStringLiteral("GET"), QStringLiteral("/cgi-bin/status")));
        Check(state.BuildDigestHeader(state.realm(), state.nonce(), QStringLiteral("POST"),
                                      state.opaque()));
        if (state.counter() != 2 || state.nc() != QStringLiteral("00000002") ||
            state.cnonce().size() != 32) {
            std::abort();
        }
    }
    return 0;
}
