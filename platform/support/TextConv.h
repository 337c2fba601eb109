#pragma once
// UTF-8 <-> wide text (wchar_t is UTF-32 here). Invalid UTF-8 bytes become U+FFFD; wide
// characters outside Unicode become U+FFFD when narrowed.

#include <cstddef>
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// New wide text from UTF-8 (null for null); the caller frees it with free().
wchar_t* StrUTF8toWideChar(const char* utf8, int reserved1 = 0, int reserved2 = 0,
                           int reserved3 = 0);
// New UTF-8 text from wide text (null for null); the caller frees it with free().
char* StrWideChar2UTF8(const wchar_t* wide, int reserved = 0);
// New copy of a wide text (null for null); the caller frees it with free().
wchar_t* StrDup2W(const wchar_t* wide, int reserved = 0);

// UTF-8 copy of a wide text into out, at most outSize - 1 bytes and never splitting a
// character; returns out. Nothing is written when out is null or outSize is 0.
char* StrSafeCopyFromWCHAR_A(char* out, size_t outSize, const wchar_t* wide, int reserved = 0);
// Wide copy of UTF-8 text into out, at most outLen - 1 characters; returns out.
wchar_t* StrSafeCopyFromUTF8_W(wchar_t* out, size_t outLen, const char* utf8);
// Bounded wide copy; returns out.
wchar_t* StrSafeCopyW(wchar_t* out, size_t outLen, const wchar_t* in);
// Bounded narrow copy; returns out.
char* StrSafeCopyA(char* out, size_t outSize, const char* in);
