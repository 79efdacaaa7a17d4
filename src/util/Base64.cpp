#include "util/Base64.h"

QString Base64Encode(const QString& text) {
    return QString::fromLatin1(Base64EncodeBytes(text.toLocal8Bit()));
}

QByteArray Base64EncodeBytes(const QByteArray& bytes) {
    return bytes.toBase64(QByteArray::Base64Encoding);
}
