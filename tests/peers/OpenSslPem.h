#pragma once
// PEM text to and from OpenSSL's certificate and key objects, owned by smart pointers.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace orv::test {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;

// Null when the text holds no certificate (key).
CertPtr CertFromPem(const std::string& pem);
KeyPtr KeyFromPem(const std::string& pem);

// Empty on failure.
std::string ToPem(X509* cert);
std::string ToPem(EVP_PKEY* key);

}  // namespace orv::test
