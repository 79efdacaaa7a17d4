#include "TlsMaterial.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace sim {

namespace {

constexpr long kValidSeconds = 10L * 365 * 24 * 3600;
// Clients with a slightly different clock must still accept a certificate made a moment ago.
constexpr long kBackdateSeconds = 24L * 3600;
// An expired certificate began two years ago and ended a day ago.
constexpr long kExpiredBeganSeconds = 2L * 365 * 24 * 3600;
constexpr long kExpiredEndedSeconds = 24L * 3600;

const QByteArray kWrongHostName("wrong-host.invalid");
const QByteArray kWrongHostIp("192.0.2.1");

QString OpenSslError(const QString& what) {
    const unsigned long code = ERR_get_error();
    char text[256] = {};
    if (code != 0) {
        ERR_error_string_n(code, text, sizeof text);
    }
    ERR_clear_error();
    return QStringLiteral("%1: %2").arg(what, QLatin1String(text));
}

PKeyPtr NewKey() {
    return PKeyPtr(EVP_EC_gen("prime256v1"));
}

bool RandomSerial(X509* cert) {
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), BN_free);
    if (!serial || BN_rand(serial.get(), 120, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1) {
        return false;
    }
    return BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert)) != nullptr;
}

bool AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        return false;
    }
    const bool added = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

X509Ptr NewCertificate(EVP_PKEY* key, const QByteArray& commonName, bool expired = false) {
    const long notBefore = expired ? -kExpiredBeganSeconds : -kBackdateSeconds;
    const long notAfter = expired ? -kExpiredEndedSeconds : kValidSeconds;
    X509Ptr cert(X509_new());
    if (!cert || X509_set_version(cert.get(), 2) != 1 || !RandomSerial(cert.get()) ||
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), notBefore) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), notAfter) == nullptr ||
        X509_set_pubkey(cert.get(), key) != 1) {
        return nullptr;
    }
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>("orb-sim"), -1, -1,
                                   0) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(commonName.constData()),
                                   -1, -1, 0) != 1) {
        return nullptr;
    }
    return cert;
}

}  // namespace

QByteArray CertificatePem(X509* certificate) {
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!bio || PEM_write_bio_X509(bio.get(), certificate) != 1) {
        return {};
    }
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, static_cast<qsizetype>(length));
}

bool TlsAuthority::create(QString* error) {
    key_ = NewKey();
    if (!key_) {
        *error = OpenSslError(QStringLiteral("CA key"));
        return false;
    }
    certificate_ = NewCertificate(key_.get(), "orb-sim test CA");
    X509* cert = certificate_.get();
    if (!cert || X509_set_issuer_name(cert, X509_get_subject_name(cert)) != 1 ||
        !AddExtension(cert, cert, NID_basic_constraints, "critical,CA:TRUE") ||
        !AddExtension(cert, cert, NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !AddExtension(cert, cert, NID_subject_key_identifier, "hash") ||
        X509_sign(cert, key_.get(), EVP_sha256()) == 0) {
        *error = OpenSslError(QStringLiteral("CA certificate"));
        certificate_.reset();
        return false;
    }
    return true;
}

QByteArray TlsAuthority::certificatePem() const {
    return CertificatePem(certificate_.get());
}

const QStringList& CertificateNames() {
    static const QStringList names = {
        QStringLiteral("expired"),
        QStringLiteral("selfSigned"),
        QStringLiteral("wrongHost"),
    };
    return names;
}

bool TlsAuthority::issue(const QString& ipv4, TlsIdentity* identity, QString* error) const {
    return issue(ipv4, QString(), identity, error);
}

bool TlsAuthority::issue(const QString& ipv4, const QString& kind, TlsIdentity* identity,
                         QString* error) const {
    if (!certificate_) {
        *error = QStringLiteral("no CA");
        return false;
    }
    if (!kind.isEmpty() && !CertificateNames().contains(kind)) {
        *error = QStringLiteral("no certificate of kind \"%1\"").arg(kind);
        return false;
    }
    PKeyPtr key = NewKey();
    if (!key) {
        *error = OpenSslError(QStringLiteral("server key"));
        return false;
    }
    const bool wrongHost = kind == QLatin1String("wrongHost");
    const bool selfSigned = kind == QLatin1String("selfSigned");
    const QByteArray ip = ipv4.toLatin1();
    X509Ptr cert = NewCertificate(key.get(), wrongHost ? kWrongHostName : ip,
                                  kind == QLatin1String("expired"));
    const QByteArray altName =
        wrongHost ? "DNS:" + kWrongHostName + ",IP:" + kWrongHostIp : "IP:" + ip;
    // A self-signed certificate is its own issuer and vouches for itself.
    X509* issuer = selfSigned ? cert.get() : certificate_.get();
    EVP_PKEY* signer = selfSigned ? key.get() : key_.get();
    // Shaped like what "openssl req -x509" makes, a self-signed certificate may sign itself.
    const char* constraints = selfSigned ? "critical,CA:TRUE" : "critical,CA:FALSE";
    const char* usage = selfSigned ? "critical,digitalSignature,keyCertSign"
                                   : "critical,digitalSignature,keyAgreement";
    if (!cert || X509_set_issuer_name(cert.get(), X509_get_subject_name(issuer)) != 1 ||
        !AddExtension(cert.get(), issuer, NID_basic_constraints, constraints) ||
        !AddExtension(cert.get(), issuer, NID_key_usage, usage) ||
        !AddExtension(cert.get(), issuer, NID_ext_key_usage, "serverAuth") ||
        !AddExtension(cert.get(), issuer, NID_subject_alt_name, altName.constData()) ||
        (!selfSigned &&
         !AddExtension(cert.get(), issuer, NID_authority_key_identifier, "keyid:always")) ||
        X509_sign(cert.get(), signer, EVP_sha256()) == 0) {
        *error = OpenSslError(QStringLiteral("server certificate for ") + ipv4);
        return false;
    }
    identity->certificate = std::move(cert);
    identity->key = std::move(key);
    return true;
}

}  // namespace sim
