#include "device/QueryText.h"

namespace {

void AppendEscaped(QByteArray& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

template <typename Keep>
QByteArray Escaped(const QString& value, Keep keep) {
    const QByteArray bytes = value.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (keep(byte)) {
            out += c;
        } else {
            AppendEscaped(out, byte);
        }
    }
    return out;
}

bool IsControlOrHigh(unsigned char byte) {
    return byte < 0x20 || byte >= 0x7F;
}

}  // namespace

QString EscapeQueryValue(const QString& value) {
    return QString::fromLatin1(Escaped(value, [](unsigned char byte) {
        switch (byte) {
            case '%':
            case '&':
            case '#':
            case '+':
            case ' ':
                return false;
            default:
                return !IsControlOrHigh(byte);
        }
    }));
}

QString FormEncode(const QString& value) {
    return QString::fromLatin1(Escaped(value, [](unsigned char byte) {
        return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
               (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
               byte == '~';
    }));
}

QByteArray WireTarget(const QString& pathAndQuery) {
    return Escaped(pathAndQuery,
                   [](unsigned char byte) { return byte != ' ' && !IsControlOrHigh(byte); });
}
