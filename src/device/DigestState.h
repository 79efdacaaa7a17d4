#pragma once

#include <QString>

#include <cstdint>

// The last Digest challenge of one HTTP client and what answering it needs. Challenges are read
// as the HTTP grammar has them (quoted strings keep their blanks and commas); answers follow
// RFC 2617 with MD5, or RFC 2069 when the challenge offers no qop.
class DigestState final {
public:
    // value: the WWW-Authenticate text after the word "Digest" and its blank. Replaces every
    // earlier value, makes a new client nonce and restarts the count.
    void ParseChallenge(const QString& value);

    // The complete "Authorization: Digest ..." line for one request; raises the count.
    QString BuildDigestHeader(const QString& user, const QString& password, const QString& method,
                              const QString& uri);

    // 32 characters from [0-9a-z].
    static QString MakeCnonce();

    // The response hash: RFC 2617 with qop (e.g. "auth"), RFC 2069 when qop is empty.
    static QString Response(const QString& user, const QString& realm, const QString& password,
                            const QString& method, const QString& uri, const QString& nonce,
                            const QString& nc, const QString& cnonce, const QString& qop);

    const QString& realm() const { return realm_; }
    const QString& nonce() const { return nonce_; }
    const QString& qop() const { return qop_; }  // as received, e.g. "auth,auth-int"
    const QString& algorithm() const { return algorithm_; }
    const QString& opaque() const { return opaque_; }
    const QString& nc() const { return nc_; }
    const QString& cnonce() const { return cnonce_; }
    std::int32_t counter() const { return counter_; }

private:
    QString realm_;
    QString nonce_;
    QString qop_;
    QString algorithm_;
    QString opaque_;
    QString nc_;
    QString cnonce_;
    std::int32_t counter_ = 0;
};

// Lower-case hexadecimal MD5 of the bytes.
QString Md5Hex(const QByteArray& bytes);
