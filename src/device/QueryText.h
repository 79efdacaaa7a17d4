#pragma once

#include <QByteArray>
#include <QString>

// A value for a recorder query: a free text (an e-mail address, a password) or a camera's text
// as the recorder listed it (brand, model, host, protocol), which the wizard passes on but never
// trusts. "%", "&", "#", "+", blanks, control characters and every byte of a non-ASCII letter are
// percent-escaped (UTF-8), so the value can neither end its field, add one, nor change on the
// way.
QString EscapeQueryValue(const QString& value);

// A value for an application/x-www-form-urlencoded body (UTF-8): everything but the unreserved
// characters A-Z a-z 0-9 "-" "." "_" "~" is percent-escaped, the blank included (as %20).
QString FormEncode(const QString& value);

// The bytes of a request target as they go on the wire: bytes that may not appear in a request
// line (blanks, control characters, bytes of non-ASCII letters) become %XX; the rest is kept,
// "%" included, so values escaped earlier stay as they are.
QByteArray WireTarget(const QString& pathAndQuery);
