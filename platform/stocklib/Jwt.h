#pragma once
// HS256 request tokens for the exchange agents.

#include <cstdint>
#include <string>

// Header {"alg":"HS256","typ":"JWT"}; claims, in order:
//   "<claimName>": key;
//   "nonce": a random UUID when uuidNonce is set, else the nonce text (a JSON number instead
//            of a string when nonceAsNumber is set);
//   "timestamp": the nonce number, when timestampClaim is set;
//   "query_hash": hex SHA-512 of the query and "query_hash_alg": "SHA512", when signingOption
//            is non-zero and the query is not empty.
// Signature: HMAC-SHA256 with the secret over "<header>.<claims>" (base64url, no padding).
// Returns a heap text (free()) or null when the claim name, key or secret is null or empty.
char* jwt_credential_hs256(const char* claimName, const char* key, const char* query,
                           const char* nonceText, uint64_t nonce, const char* secret,
                           int signingOption, int uuidNonce, int timestampClaim, int nonceAsNumber);

// HMAC-SHA256 of data with key (raw 32 bytes).
std::string HmacSha256(const std::string& key, const std::string& data);
