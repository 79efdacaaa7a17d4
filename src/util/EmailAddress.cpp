#include "util/EmailAddress.h"

#include <QByteArray>

namespace {

bool Printable(char c) {
    return c >= 0x21 && c <= 0x7E;  // a signed char: bytes from 0x80 are negative and fail
}

bool Special(char c) {
    return QByteArrayView("()<>@,;:\\\"[]").contains(c);
}

}  // namespace

bool CheckEmailAddress(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    const qsizetype n = bytes.size();
    if (n == 0) {
        return false;
    }
    qsizetype i = 0;
    // The local part, up to the first "@" outside a quoted string.
    while (true) {
        if (i >= n) {
            return false;
        }
        const char c = bytes[i];
        if (c == '"' && (i == 0 || bytes[i - 1] == '.')) {
            for (++i;; ++i) {
                if (i >= n) {
                    return false;
                }
                if (bytes[i] == '\\') {
                    if (++i >= n || (bytes[i] != ' ' && !Printable(bytes[i]))) {
                        return false;
                    }
                } else if (bytes[i] == '"') {
                    break;
                } else if (!Printable(bytes[i])) {
                    return false;
                }
            }
            if (++i >= n || (bytes[i] != '@' && bytes[i] != '.')) {
                return false;
            }
            if (bytes[i] == '@') {
                break;
            }
            ++i;
            continue;
        }
        if (c == '@') {
            break;
        }
        if (!Printable(c) || Special(c)) {
            return false;
        }
        ++i;
    }
    if (i == 0 || bytes[i - 1] == '.') {
        return false;
    }
    const qsizetype domain = i + 1;
    if (domain >= n) {
        return false;
    }
    int dots = 0;
    for (qsizetype j = domain; j < n; ++j) {
        const char c = bytes[j];
        if (!Printable(c) || Special(c)) {
            return false;
        }
        if (c == '.') {
            if (j == domain || bytes[j - 1] == '.') {
                return false;
            }
            ++dots;
        }
    }
    return dots > 0;
}
