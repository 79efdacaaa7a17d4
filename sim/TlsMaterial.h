#pragma once

// A certificate authority made at start and the server certificates it signs, one per address,
// so clients can verify the simulator's HTTPS against the CA file it writes.

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The certificates a TLS server may show besides its proper one (the certificate knob):
//   expired     signed by the CA for the right address, but its time ran out yesterday
//   selfSigned  for the right address, signed by its own key
//   wrongHost   signed by the CA for another name and address (wrong-host.invalid, 192.0.2.1)
const QStringList& CertificateNames();

class TlsAuthority {
public:
    bool create(QString* error);

    X509* certificate() const { return certificate_.get(); }
    QByteArray certificatePem() const;

    // A server certificate for one IPv4 address (subjectAltName IP and common name).
    bool issue(const QString& ipv4, TlsIdentity* identity, QString* error) const;
    // One of the certificates of CertificateNames() for that address; "" is the proper one.
    bool issue(const QString& ipv4, const QString& kind, TlsIdentity* identity,
               QString* error) const;

private:
    X509Ptr certificate_;
    PKeyPtr key_;
};

QByteArray CertificatePem(X509* certificate);

}  // namespace sim
