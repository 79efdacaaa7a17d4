#include "device/DigestState.h"

#include <openssl/evp.h>

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <limits>

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// One pass over the text with a cursor, so hostile challenges cost linear time.
class ChallengeReader {
public:
    explicit ChallengeReader(const QString& text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    void SkipBlanks() {
        while (!AtEnd() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    void SkipSeparators() {
        while (!AtEnd() && (IsBlank(text_[pos_]) || text_[pos_] == u',')) {
            ++pos_;
        }
    }

    // Everything up to the end of this element; a malformed element must not eat its
    // neighbours.
    void SkipToComma() {
        while (!AtEnd() && text_[pos_] != u',') {
            ++pos_;
        }
    }

    QString ReadName() {
        const qsizetype start = pos_;
        while (!AtEnd() && text_[pos_] != u'=' && text_[pos_] != u',' && !IsBlank(text_[pos_])) {
            ++pos_;
        }
        return text_.mid(start, pos_ - start);
    }

    bool Take(QChar c) {
        if (!AtEnd() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // false for an unterminated quoted string: where its value ends cannot be known.
    bool ReadValue(QString& value) {
        value.clear();
        if (Take(u'"')) {
            while (!AtEnd()) {
                const QChar c = text_[pos_++];
                if (c == u'"') {
                    return true;
                }
                if (c == u'\\') {
                    if (AtEnd()) {
                        return false;
                    }
                    value += text_[pos_++];
                } else {
                    value += c;
                }
            }
            return false;
        }
        const qsizetype start = pos_;
        while (!AtEnd() && text_[pos_] != u',' && !IsBlank(text_[pos_])) {
            ++pos_;
        }
        value = text_.mid(start, pos_ - start);
        return true;
    }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

// Header values must stay on their one line whatever the recorder or the user sent.
QString WithoutLineBreaks(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c != u'\r' && c != u'\n') {
            out += c;
        }
    }
    return out;
}

QString Quoted(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    out += u'"';
    for (const QChar c : WithoutLineBreaks(value)) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
        }
        out += c;
    }
    out += u'"';
    return out;
}

// algorithm goes out unquoted, so anything but token characters would change the parameter
// list around it.
QString AsToken(const QString& value) {
    static const QString kTokenSymbols = QStringLiteral("!#$%&'*+-.^_`|~");
    QString out;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        const bool alnum =
            (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (alnum || kTokenSymbols.contains(c)) {
            out += c;
        }
    }
    return out;
}

bool OffersAuth(const QString& qop) {
    const QStringList offers = qop.split(u',');
    for (const QString& offer : offers) {
        if (offer.trimmed().compare(u"auth", Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString Md5Hex(const QByteArray& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), static_cast<std::size_t>(bytes.size()), digest, &length,
                   EVP_md5(), nullptr) != 1) {
        return {};
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length)).toHex());
}

void DigestState::ParseChallenge(const QString& value) {
    realm_.clear();
    nonce_.clear();
    qop_.clear();
    algorithm_.clear();
    opaque_.clear();

    ChallengeReader reader(value);
    QString parsed;
    while (true) {
        reader.SkipSeparators();
        if (reader.AtEnd()) {
            break;
        }
        const QString name = reader.ReadName();
        reader.SkipBlanks();
        if (!reader.Take(u'=')) {
            // A bare token (or a name without a value) carries nothing we use.
            reader.SkipToComma();
            continue;
        }
        reader.SkipBlanks();
        if (!reader.ReadValue(parsed)) {
            break;
        }
        reader.SkipToComma();

        if (name.compare(u"realm", Qt::CaseInsensitive) == 0) {
            realm_ = parsed;
        } else if (name.compare(u"nonce", Qt::CaseInsensitive) == 0) {
            nonce_ = parsed;
        } else if (name.compare(u"qop", Qt::CaseInsensitive) == 0) {
            qop_ = parsed;
        } else if (name.compare(u"algorithm", Qt::CaseInsensitive) == 0) {
            algorithm_ = parsed;
        } else if (name.compare(u"opaque", Qt::CaseInsensitive) == 0) {
            opaque_ = parsed;
        }
    }

    cnonce_ = MakeCnonce();
    counter_ = 0;
    nc_.clear();
}

QString DigestState::BuildDigestHeader(const QString& user, const QString& password,
                                       const QString& method, const QString& uri) {
    if (counter_ < std::numeric_limits<std::int32_t>::max()) {
        ++counter_;
    }
    // The nonce count is hexadecimal on the wire; decimal digits would skip from 9 to 16.
    nc_ = QStringLiteral("%1").arg(counter_, 8, 16, QLatin1Char('0'));

    const bool withQop = OffersAuth(qop_);
    const QString qop = withQop ? QStringLiteral("auth") : QString();
    const QString response =
        Response(user, realm_, password, method, uri, nonce_, nc_, cnonce_, qop);

    QString header = QStringLiteral("Authorization: Digest username=") + Quoted(user) +
                     QStringLiteral(",realm=") + Quoted(realm_) + QStringLiteral(",nonce=") +
                     Quoted(nonce_) + QStringLiteral(",uri=") + Quoted(uri);
    if (withQop) {
        header += QStringLiteral(",cnonce=") + Quoted(cnonce_) + QStringLiteral(",nc=") + nc_;
    }
    const QString algorithm = AsToken(algorithm_);
    if (!algorithm.isEmpty()) {
        header += QStringLiteral(",algorithm=") + algorithm;
    }
    header += QStringLiteral(",response=") + Quoted(response);
    if (withQop) {
        header += QStringLiteral(",qop=auth");
    }
    if (!opaque_.isEmpty()) {
        header += QStringLiteral(",opaque=") + Quoted(opaque_);
    }
    return header;
}

QString DigestState::MakeCnonce() {
    static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    constexpr int kLength = 32;
    QRandomGenerator* random = QRandomGenerator::system();
    QString cnonce;
    cnonce.reserve(kLength);
    for (int i = 0; i < kLength; ++i) {
        cnonce += QLatin1Char(kAlphabet[random->bounded(36)]);
    }
    return cnonce;
}

QString DigestState::Response(const QString& user, const QString& realm, const QString& password,
                              const QString& method, const QString& uri, const QString& nonce,
                              const QString& nc, const QString& cnonce, const QString& qop) {
    const QString ha1 = Md5Hex((user + u':' + realm + u':' + password).toLocal8Bit());
    const QString ha2 = Md5Hex((method + u':' + uri).toLocal8Bit());
    if (qop.isEmpty()) {
        return Md5Hex((ha1 + u':' + nonce + u':' + ha2).toLocal8Bit());
    }
    return Md5Hex(
        (ha1 + u':' + nonce + u':' + nc + u':' + cnonce + u':' + qop + u':' + ha2).toLocal8Bit());
}
