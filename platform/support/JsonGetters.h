#pragma once
// Single-field getters over parsed RapidJSON objects. A missing member, a member of another
// type or a number sent as a string never stops a reader: each getter answers a default, a
// null or an empty buffer. Numeric getters test, in order: a number that fits a 32-bit signed
// integer; any other number; a string (its decimal text); anything else (the default).
// Values that do not fit the result type answer the default.

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>

// Heap copy (free()) of a non-empty string member, or null; *outLen = its byte count (0 first).
char* JsonGetString(const rapidjson::Value& obj, const char* name, unsigned* outLen);
// Heap wide copy (free()) of a string member, or null when missing or not a string (outLen then
// untouched). n = wide characters including the terminator; the block holds n + 1 zeroed
// characters; *outLen = n. The empty string gives an empty text and n = 1.
wchar_t* JsonGetWString(const rapidjson::Value& obj, const char* name, int* outLen);
const rapidjson::Value* JsonGetArray(const rapidjson::Value& obj, const char* name);
const rapidjson::Value* JsonGetObject(const rapidjson::Value& obj, const char* name);
// 1 for true, 0 for false, else the default.
uint8_t JsonGetBool(const rapidjson::Value& obj, const char* name, uint8_t def);
// The member's text inside the document, or null.
const char* JsonGetStringPtr(const rapidjson::Value& obj, const char* name);
double JsonGetDouble(const rapidjson::Value& obj, const char* name, double def);
int64_t JsonGetInt64(const rapidjson::Value& obj, const char* name, int64_t def);
int JsonGetInt(const rapidjson::Value& obj, const char* name, int def);
// Empties buf (when given and size > 0) and copies a string member's bytes, at most size - 1
// and terminated. Size 0 copies nothing.
void JsonCopyString(const rapidjson::Value& obj, const char* name, char* buf, size_t size);
// Empties buf (when given and length > 0) and copies a string member as wide text within
// `length` characters including the terminator: converted from UTF-8, or, with the narrow
// flag, each byte widened on its own.
void JsonCopyWString(const rapidjson::Value& obj, const char* name, wchar_t* buf, size_t length,
                     uint8_t narrowFlag);
