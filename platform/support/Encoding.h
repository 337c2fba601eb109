#pragma once
// MD5 and base64 over OpenSSL.

#include <cstddef>
#include <string>
#include <string_view>

// 32 lowercase hexadecimal characters of the MD5 of the text (null is empty) into out (at
// least 33 bytes; nothing written when outSize < 33). Returns out.
char* MD5EncodeText(const char* text, char* out, size_t outSize);
std::string Md5Hex(std::string_view data);
// Lowercase hexadecimal digest of data by OpenSSL digest name ("MD5", "SHA512", ...); empty
// for an unknown name.
std::string DigestHex(std::string_view data, const char* digestName);

// Standard base64 with padding.
std::string base64_encode(std::string_view data);
// Decodes standard base64 (white space skipped); false on bad input (out emptied).
bool base64_decode(std::string_view text, std::string* out);
// Decodes into a new heap block (free()); null on bad input. *outLen gets the length.
unsigned char* base64_decode_alloc(const char* text, size_t* outLen);
// base64url without padding (JWT segments).
std::string Base64UrlEncode(std::string_view data);
