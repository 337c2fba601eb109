#include "tests/peers/TestCa.h"

#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "tests/peers/OpenSslPem.h"

namespace orv::test {
namespace {

constexpr long kValiditySeconds = 30L * 24 * 3600;

// Extensions as (id, OpenSSL configuration value).
using Extensions = std::vector<std::pair<int, const char*>>;

// P-256 keys: quick to make, and accepted by every TLS client the tests use.
KeyPtr NewKey() { return KeyPtr(EVP_EC_gen("P-256"), EVP_PKEY_free); }

bool SetRandomSerial(X509* cert) {
  unsigned char bytes[8];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return false;
  uint64_t serial = 0;
  for (unsigned char b : bytes) serial = (serial << 8) | b;
  serial = (serial >> 1) | 1;  // positive and non-zero
  return ASN1_INTEGER_set_uint64(X509_get_serialNumber(cert), serial) == 1;
}

// A certificate for the key, signed by the issuer (or by the key itself when there is none).
CertPtr NewCertificate(EVP_PKEY* key, const std::string& commonName, X509* issuer,
                       EVP_PKEY* issuerKey, const Extensions& extensions,
                       long notBeforeSeconds = -3600, long notAfterSeconds = kValiditySeconds) {
  CertPtr cert(X509_new(), X509_free);
  if (!cert || X509_set_version(cert.get(), 2) != 1 || !SetRandomSerial(cert.get()) ||
      !X509_gmtime_adj(X509_getm_notBefore(cert.get()), notBeforeSeconds) ||
      !X509_gmtime_adj(X509_getm_notAfter(cert.get()), notAfterSeconds) ||
      X509_set_pubkey(cert.get(), key) != 1) {
    return CertPtr(nullptr, X509_free);
  }
  X509_NAME* name = X509_get_subject_name(cert.get());
  const auto* cn = reinterpret_cast<const unsigned char*>(commonName.c_str());
  const auto* org = reinterpret_cast<const unsigned char*>("Orvella Tests");
  if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, org, -1, -1, 0) != 1 ||
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, cn, -1, -1, 0) != 1 ||
      X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name) != 1) {
    return CertPtr(nullptr, X509_free);
  }
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
  for (const auto& [nid, value] : extensions) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    const bool added = ext && X509_add_ext(cert.get(), ext, -1) == 1;
    X509_EXTENSION_free(ext);
    if (!added) return CertPtr(nullptr, X509_free);
  }
  if (X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) <= 0) {
    return CertPtr(nullptr, X509_free);
  }
  return cert;
}

}  // namespace

TestCa::TestCa(const std::string& commonName) {
  KeyPtr key = NewKey();
  if (!key) return;
  const Extensions extensions = {
      {NID_basic_constraints, "critical,CA:TRUE"},
      {NID_key_usage, "critical,keyCertSign,cRLSign"},
      {NID_subject_key_identifier, "hash"},
  };
  CertPtr cert = NewCertificate(key.get(), commonName, nullptr, nullptr, extensions);
  if (!cert) return;
  identity_.privateKeyPem = ToPem(key.get());
  if (!identity_.privateKeyPem.empty()) identity_.certificatePem = ToPem(cert.get());
}

bool TestCa::WriteCertificate(const std::string& path) const {
  if (!IsValid()) return false;
  std::error_code error;
  const std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) return false;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << identity_.certificatePem;
  out.close();
  return static_cast<bool>(out);
}

PemIdentity TestCa::IssueServerCertificate() const {
  return IssueServerCertificate("IP:127.0.0.1,DNS:localhost", -3600, kValiditySeconds);
}

PemIdentity TestCa::IssueServerCertificate(const std::string& subjectAltNames,
                                           long notBeforeSeconds, long notAfterSeconds) const {
  CertPtr caCert = CertFromPem(identity_.certificatePem);
  KeyPtr caKey = KeyFromPem(identity_.privateKeyPem);
  KeyPtr key = NewKey();
  if (!caCert || !caKey || !key) return {};
  const Extensions extensions = {
      {NID_basic_constraints, "critical,CA:FALSE"},
      {NID_key_usage, "critical,digitalSignature"},
      {NID_ext_key_usage, "serverAuth"},
      {NID_subject_alt_name, subjectAltNames.c_str()},
      {NID_subject_key_identifier, "hash"},
      {NID_authority_key_identifier, "keyid:always"},
  };
  CertPtr cert = NewCertificate(key.get(), "127.0.0.1", caCert.get(), caKey.get(), extensions,
                                notBeforeSeconds, notAfterSeconds);
  if (!cert) return {};
  PemIdentity identity{ToPem(cert.get()), ToPem(key.get())};
  if (identity.certificatePem.empty() || identity.privateKeyPem.empty()) return {};
  return identity;
}

std::vector<TlsFailureCase> TlsFailureCases(const TestCa& trusted) {
  const TestCa stranger("Unrelated Test CA");
  return {
      {"unknown CA", stranger.IssueServerCertificate(), "unable to get local issuer certificate"},
      {"host name mismatch",
       trusted.IssueServerCertificate("DNS:elsewhere.example", -3600, kValiditySeconds),
       "target host name '127.0.0.1'"},
      {"expired certificate",
       trusted.IssueServerCertificate("IP:127.0.0.1,DNS:localhost", -3 * 86400L, -86400L),
       "certificate has expired"},
  };
}

}  // namespace orv::test
