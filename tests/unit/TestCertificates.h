#pragma once

#include <QString>
#include <QTemporaryDir>

#include <string>

// A certificate and its private key, both PEM.
struct PemIdentity {
    std::string certificate;
    std::string key;
};

// Made once per process at run time, so no key or date in the repository can go stale.
struct TestCertificates {
    PemIdentity ca;               // self-signed CA (basicConstraints CA:TRUE)
    PemIdentity localLeaf;        // signed by ca; SAN IP:127.0.0.1; valid now
    PemIdentity otherHostLeaf;    // signed by ca; SAN DNS:other.example, IP:127.0.0.2
    PemIdentity expiredLeaf;      // signed by ca; SAN IP:127.0.0.1; notAfter in the past
    PemIdentity notYetValidLeaf;  // signed by ca; SAN IP:127.0.0.1; notBefore in the future
    PemIdentity selfSignedLeaf;   // SAN IP:127.0.0.1; signed by its own key, not by ca

    // Aborts the test program when OpenSSL fails: nothing else could run without them.
    static const TestCertificates& Instance();
};

// A PEM file in a temporary folder of its own, e.g. for SSL_CERT_FILE; removed with the object.
class PemFile {
public:
    explicit PemFile(const std::string& pem);
    bool ok() const { return ok_; }
    QString path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
    bool ok_ = false;
};
