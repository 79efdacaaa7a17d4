#include "HttpAuth.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <map>

namespace sim {

QByteArray Md5Hex(const QByteArray& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.constData(), static_cast<size_t>(text.size()), digest, &length, EVP_md5(),
                   nullptr) != 1) {
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length))
        .toHex();
}

namespace {

QByteArray RandomHex(int bytes) {
    QByteArray raw(bytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), bytes) != 1) {
        return {};
    }
    return raw.toHex();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The name=value list after the scheme word; quoted values may hold commas and blanks.
std::map<QByteArray, QByteArray> DigestParams(const QByteArray& text) {
    std::map<QByteArray, QByteArray> params;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (IsBlank(text[i]) || text[i] == ',')) {
            ++i;
        }
        const qsizetype nameStart = i;
        while (i < n && text[i] != '=' && text[i] != ',' && !IsBlank(text[i])) {
            ++i;
        }
        const QByteArray name = text.mid(nameStart, i - nameStart).toLower();
        while (i < n && IsBlank(text[i])) {
            ++i;
        }
        if (i >= n || text[i] != '=') {
            continue;  // a bare word carries nothing
        }
        ++i;
        while (i < n && IsBlank(text[i])) {
            ++i;
        }
        QByteArray value;
        if (i < n && text[i] == '"') {
            ++i;
            while (i < n && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < n) {
                    ++i;
                }
                value.append(text[i]);
                ++i;
            }
            ++i;  // closing quote (or past the end)
        } else {
            const qsizetype valueStart = i;
            while (i < n && text[i] != ',' && !IsBlank(text[i])) {
                ++i;
            }
            value = text.mid(valueStart, i - valueStart);
        }
        if (!name.isEmpty()) {
            params.emplace(name, value);  // the first occurrence wins
        }
    }
    return params;
}

bool StartsWithWord(const QByteArray& text, const QByteArray& word) {
    return text.size() > word.size() &&
           text.left(word.size()).compare(word, Qt::CaseInsensitive) == 0 &&
           IsBlank(text[word.size()]);
}

bool IsHex(const QByteArray& text) {
    for (const char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit) {
            return false;
        }
    }
    return true;
}

}  // namespace

DigestAuthority::DigestAuthority(QByteArray realm, std::function<QByteArray()> nonces)
    : realm_(std::move(realm)), opaque_(RandomHex(16)), nonces_(std::move(nonces)) {
    if (!nonces_) {
        nonces_ = [] { return RandomHex(16); };
    }
}

QByteArray DigestAuthority::challenge() {
    const QByteArray nonce = nonces_();
    {
        std::lock_guard lock(mutex_);
        if (lastCount_.emplace(nonce, 0).second) {
            issued_.push_back(nonce);
        }
        while (issued_.size() > kMaxNonces) {
            lastCount_.erase(issued_.front());
            issued_.pop_front();
        }
    }
    return "Digest realm=\"" + realm_ + "\", qop=\"auth\", nonce=\"" + nonce + "\", opaque=\"" +
           opaque_ + "\", algorithm=MD5";
}

bool DigestAuthority::verify(const QByteArray& authorization, const QByteArray& method,
                             const QByteArray& target, const QString& user,
                             const QString& password) {
    if (!StartsWithWord(authorization, "Digest")) {
        return false;
    }
    const auto params = DigestParams(authorization.mid(6));
    const auto param = [&params](const char* name) -> std::optional<QByteArray> {
        const auto found = params.find(name);
        if (found == params.end()) {
            return std::nullopt;
        }
        return found->second;
    };
    const auto username = param("username");
    const auto realm = param("realm");
    const auto nonce = param("nonce");
    const auto uri = param("uri");
    const auto response = param("response");
    if (!username || !realm || !nonce || !uri || !response) {
        return false;
    }
    if (*username != user.toUtf8() || *realm != realm_ || *uri != target) {
        return false;
    }
    if (const auto opaque = param("opaque"); opaque && *opaque != opaque_) {
        return false;
    }
    if (const auto algorithm = param("algorithm");
        algorithm && algorithm->compare("MD5", Qt::CaseInsensitive) != 0) {
        return false;
    }

    const QByteArray ha1 = Md5Hex(user.toUtf8() + ':' + realm_ + ':' + password.toUtf8());
    const QByteArray ha2 = Md5Hex(method + ':' + target);
    const auto qop = param("qop");
    QByteArray expected;
    quint64 count = 0;
    if (qop) {
        const auto nc = param("nc");
        const auto cnonce = param("cnonce");
        if (*qop != "auth" || !nc || nc->size() != 8 || !IsHex(*nc) || !cnonce ||
            cnonce->isEmpty()) {
            return false;
        }
        count = nc->toULongLong(nullptr, 16);
        expected = Md5Hex(ha1 + ':' + *nonce + ':' + *nc + ':' + *cnonce + ':' + *qop + ':' + ha2);
    } else {
        expected = Md5Hex(ha1 + ':' + *nonce + ':' + ha2);
    }
    if (response->compare(expected, Qt::CaseInsensitive) != 0) {
        return false;
    }

    std::lock_guard lock(mutex_);
    const auto known = lastCount_.find(*nonce);
    if (known == lastCount_.end()) {
        return false;
    }
    if (qop) {
        if (count <= known->second) {
            return false;
        }
        known->second = count;
    }
    return true;
}

HttpReply Unauthorized(const AuthPolicy& policy, DigestAuthority& digest) {
    HttpReply reply = TextReply(401, "401 Unauthorized\r\n");
    reply.headers.append({"WWW-Authenticate", policy.digest
                                                  ? digest.challenge()
                                                  : "Basic realm=\"" + digest.realm() + "\""});
    return reply;
}

HttpReply EndlessUnauthorized() {
    HttpReply reply = TextReply(401, "401 Unauthorized\r\n");
    reply.headers.append({"WWW-Authenticate", "Digest realm=\"orb-sim\", qop=\"auth\", nonce=\"" +
                                                  RandomHex(16) + "\", opaque=\"" + RandomHex(16) +
                                                  "\", algorithm=MD5, stale=true"});
    return reply;
}

std::optional<HttpReply> Authenticate(const HttpRequest& request, const AuthPolicy& policy,
                                      DigestAuthority& digest) {
    static const QString kUser = QStringLiteral("admin");
    const auto authorization = request.header("Authorization");
    if (authorization) {
        if (StartsWithWord(*authorization, "Basic")) {
            // An empty password passes as Basic even where Digest is asked for: that is how
            // the wizard speaks to a recorder in factory state.
            if (!policy.digest || policy.password.isEmpty()) {
                const auto decoded = QByteArray::fromBase64Encoding(
                    authorization->mid(6).trimmed(), QByteArray::AbortOnBase64DecodingErrors);
                if (decoded && *decoded == kUser.toUtf8() + ':' + policy.password.toUtf8()) {
                    return std::nullopt;
                }
            }
        } else if (policy.digest && digest.verify(*authorization, request.method, request.target,
                                                  kUser, policy.password)) {
            return std::nullopt;
        }
    }
    return Unauthorized(policy, digest);
}

}  // namespace sim
