#pragma once
// A certificate authority made at test time, so that TLS tests verify real certificates
// without any key or certificate kept in the repository.

#include <string>
#include <vector>

namespace orv::test {

// A certificate and its private key, both PEM text.
struct PemIdentity {
  std::string certificatePem;
  std::string privateKeyPem;
};

class TestCa {
 public:
  // Makes a new key and self-signed CA certificate. Two authorities are unrelated: a peer
  // certified by one is refused by a client that trusts only the other.
  explicit TestCa(const std::string& commonName = "Orvella Test CA");

  // False when the key or certificate could not be made.
  bool IsValid() const { return !identity_.certificatePem.empty(); }

  const std::string& CertificatePem() const { return identity_.certificatePem; }

  // Writes the CA certificate (PEM) to the file, making missing folders; tests write it to
  // "<program folder>/Settings/cacert.pem". False on failure.
  bool WriteCertificate(const std::string& path) const;

  // A new server certificate for "127.0.0.1" and "localhost" signed by this authority;
  // empty texts on failure.
  PemIdentity IssueServerCertificate() const;
  // The same for other subject names (OpenSSL's form: "DNS:elsewhere.example") and a validity
  // from now + notBeforeSeconds to now + notAfterSeconds (both negative: an expired one).
  PemIdentity IssueServerCertificate(const std::string& subjectAltNames, long notBeforeSeconds,
                                     long notAfterSeconds) const;

 private:
  PemIdentity identity_;
};

// Server identities a client trusting `trusted` must refuse, each with the words of the cause
// libcurl names: one from an unknown authority, one for another host name, one expired.
struct TlsFailureCase {
  const char* what;
  PemIdentity identity;
  const char* cause;
};
std::vector<TlsFailureCase> TlsFailureCases(const TestCa& trusted);

}  // namespace orv::test
