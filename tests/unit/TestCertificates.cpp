#include "TestCertificates.h"

#include <QFile>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr long kDay = 24L * 60 * 60;

struct Made {
    X509* certificate = nullptr;
    EVP_PKEY* key = nullptr;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "TestCertificates: %s failed\n", what);
    std::abort();
}

EVP_PKEY* NewKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (key == nullptr) {
        Fail("EC key generation");
    }
    return key;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr || X509_add_ext(certificate, extension, -1) != 1) {
        Fail("adding an extension");
    }
    X509_EXTENSION_free(extension);
}

// issuer null: self-signed. Validity in seconds from now.
Made MakeCertificate(const char* commonName, const char* subjectAltName, bool isCa, long notBefore,
                     long notAfter, const Made* issuer) {
    static long serial = 1;
    Made made;
    made.key = NewKey();
    made.certificate = X509_new();
    X509* c = made.certificate;
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial++);
    X509_gmtime_adj(X509_getm_notBefore(c), notBefore);
    X509_gmtime_adj(X509_getm_notAfter(c), notAfter);
    X509_set_pubkey(c, made.key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("ORB tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* issuerCertificate = issuer != nullptr ? issuer->certificate : c;
    EVP_PKEY* issuerKey = issuer != nullptr ? issuer->key : made.key;
    X509_set_issuer_name(c, X509_get_subject_name(issuerCertificate));
    if (isCa) {
        AddExtension(c, issuerCertificate, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(c, issuerCertificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(c, issuerCertificate, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(c, issuerCertificate, NID_key_usage, "critical,digitalSignature");
        AddExtension(c, issuerCertificate, NID_ext_key_usage, "serverAuth");
    }
    AddExtension(c, c, NID_subject_key_identifier, "hash");
    if (issuer != nullptr) {
        AddExtension(c, issuerCertificate, NID_authority_key_identifier, "keyid:always");
    }
    if (subjectAltName != nullptr) {
        AddExtension(c, issuerCertificate, NID_subject_alt_name, subjectAltName);
    }
    if (X509_sign(c, issuerKey, EVP_sha256()) == 0) {
        Fail("signing");
    }
    return made;
}

PemIdentity ToPem(const Made& made) {
    const auto text = [](auto write) {
        std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new(BIO_s_mem()), BIO_free);
        if (!write(bio.get())) {
            Fail("PEM output");
        }
        char* data = nullptr;
        const long size = BIO_get_mem_data(bio.get(), &data);
        return std::string(data, static_cast<std::size_t>(size));
    };
    PemIdentity pem;
    pem.certificate = text([&](BIO* b) { return PEM_write_bio_X509(b, made.certificate) == 1; });
    pem.key = text([&](BIO* b) {
        return PEM_write_bio_PrivateKey(b, made.key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    });
    return pem;
}

void Free(Made& made) {
    X509_free(made.certificate);
    EVP_PKEY_free(made.key);
}

TestCertificates Generate() {
    TestCertificates out;
    Made ca = MakeCertificate("ORB test CA", nullptr, true, -kDay, 30 * kDay, nullptr);
    Made local = MakeCertificate("127.0.0.1", "IP:127.0.0.1", false, -kDay, 30 * kDay, &ca);
    Made other = MakeCertificate("other.example", "DNS:other.example,IP:127.0.0.2", false, -kDay,
                                 30 * kDay, &ca);
    Made expired = MakeCertificate("127.0.0.1", "IP:127.0.0.1", false, -30 * kDay, -2 * kDay, &ca);
    Made future = MakeCertificate("127.0.0.1", "IP:127.0.0.1", false, 2 * kDay, 30 * kDay, &ca);
    Made self = MakeCertificate("127.0.0.1", "IP:127.0.0.1", false, -kDay, 30 * kDay, nullptr);
    out.ca = ToPem(ca);
    out.localLeaf = ToPem(local);
    out.otherHostLeaf = ToPem(other);
    out.expiredLeaf = ToPem(expired);
    out.notYetValidLeaf = ToPem(future);
    out.selfSignedLeaf = ToPem(self);
    for (Made* made : {&ca, &local, &other, &expired, &future, &self}) {
        Free(*made);
    }
    return out;
}

}  // namespace

const TestCertificates& TestCertificates::Instance() {
    static const TestCertificates certificates = Generate();
    return certificates;
}

PemFile::PemFile(const std::string& pem) {
    if (!dir_.isValid()) {
        return;
    }
    path_ = dir_.filePath(QStringLiteral("trust.pem"));
    QFile file(path_);
    ok_ =
        file.open(QIODevice::WriteOnly) &&
        file.write(pem.data(), static_cast<qint64>(pem.size())) == static_cast<qint64>(pem.size());
}
