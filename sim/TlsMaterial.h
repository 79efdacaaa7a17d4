#pragma once

// A certificate authority made at start and the server certificates it signs, one per address,
// so clients can verify the simulator's HTTPS against the CA file it writes.

#include <QByteArray>
#include <QString>

#include <memory>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace sim {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct PKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using PKeyPtr = std::unique_ptr<EVP_PKEY, PKeyFree>;

struct TlsIdentity {
    X509Ptr certificate;
    PKeyPtr key;
};

class TlsAuthority {
public:
    bool create(QString* error);

    X509* certificate() const { return certificate_.get(); }
    QByteArray certificatePem() const;

    // A server certificate for one IPv4 address (subjectAltName IP and common name).
    bool issue(const QString& ipv4, TlsIdentity* identity, QString* error) const;

private:
    X509Ptr certificate_;
    PKeyPtr key_;
};

QByteArray CertificatePem(X509* certificate);

}  // namespace sim
