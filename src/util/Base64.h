#pragma once

#include <QByteArray>
#include <QString>

// Standard Base64 (RFC 4648 alphabet, "=" padding) of the text's bytes in the system's 8-bit
// encoding, which is what the recorder decodes.
QString Base64Encode(const QString& text);
QByteArray Base64EncodeBytes(const QByteArray& bytes);
