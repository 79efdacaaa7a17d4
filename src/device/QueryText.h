#pragma once

#include <QByteArray>
#include <QString>

// A free-text value (an e-mail address, a password) for a recorder query: "%", "&", "#", "+",
// blanks, control characters and every byte of a non-ASCII letter are percent-escaped (UTF-8),
// so the value can neither end its field nor change on the way.
QString EscapeQueryValue(const QString& value);

// A camera's text as the recorder lists it (brand, model, host, protocol) for a request target:
// only "#" is escaped, which would cut the rest of the request off as a fragment; everything
// else goes as the recorder sent it.
QString EscapeFragmentMark(const QString& value);

// A value for an application/x-www-form-urlencoded body (UTF-8): everything but the unreserved
// characters A-Z a-z 0-9 "-" "." "_" "~" is percent-escaped, the blank included (as %20).
QString FormEncode(const QString& value);

// The bytes of a request target as they go on the wire: bytes that may not appear in a request
// line (blanks, control characters, bytes of non-ASCII letters) become %XX; the rest is kept,
// "%" included, so values escaped earlier stay as they are.
QByteArray WireTarget(const QString& pathAndQuery);
