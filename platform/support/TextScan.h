#pragma once
// Scanners over reply texts and small text helpers. Every copy into a caller buffer is
// bounded by the buffer size given (in bytes or wide characters); size 0 writes nothing.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

// Copies what follows the first occurrence of `key` between the next `open` and `close`
// characters: '"' '"' a quoted value (escaped quotes kept), ':' ',' a bare value (ends at the
// close character, '}', ']', a line end or the text's end; trimmed), '{' '}' an object with
// its nesting, 0 '"' a key text that ends with the value's opening quote. The buffer is emptied
// first and stays empty when the key or block is absent. Returns the number of bytes copied, or -1
// when absent.
int StrGetTextWithTextBlockA(const char* text, const char* key, char open, char close, char* out,
                             size_t outSize, int reserved = 0);
int StrGetTextWithTextBlock(const wchar_t* text, const wchar_t* key, wchar_t open, wchar_t close,
                            wchar_t* out, size_t outLen, int reserved = 0);
// The same into a string; returns false when absent.
bool StrGetTextWithTextBlockA(const char* text, const char* key, char open, char close,
                              std::string* out);

// The number (AtoN) of the block found so, or the default when the key is absent. The value is
// also stored through out when given; the work buffer (may be null) receives the text.
double StrGetNumDoubleWithTextBlockA(const char* text, const char* key, char open, char close,
                                     char* work, size_t workSize, double* out, double def,
                                     int reserved = 0);
int StrGetNumIntWithTextBlockA(const char* text, const char* key, char open, char close, int* out,
                               int def, int reserved = 0);
uint8_t StrGetNumByteWithTextBlockA(const char* text, const char* key, char open, char close,
                                    uint8_t* out, uint8_t def, int reserved = 0);

// First character after leading white space (null for null).
const char* StrGetCharStartPosA(const char* text, int r1 = 0, int r2 = 0, int r3 = 0);
// Trims white space at both ends in place; returns text.
char* StrTrimA0(char* text);
// Trims white space at the end of the first `length` bytes (all when length < 0); returns text.
char* StrTrimRightA(char* text, int length = -1);
// Removes every character of `chars` from text in place; returns the new length.
int StrReplaceCharOneOfA(char* text, const char* chars, int reserved = 0);
// The number in a text: leading white space, an optional sign, digits with ',' thousands
// separators, an optional fraction and exponent. 0 when the text starts with no number.
double AtoN(const char* text, int reserved = 0);
// Appends a code followed by the separator to a code list; returns the list's length.
size_t StrAppendCodeW(std::wstring* list, const wchar_t* code, wchar_t separator, int reserved1 = 2,
                      int reserved2 = 1);
