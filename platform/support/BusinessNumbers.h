#pragma once
// Number texts of business records: the digits of a text, and telephone and business
// registration numbers written the way they are read in Korea.

#include <cstddef>
#include <string>
#include <string_view>

// The digits of the text, in order, with every `extra` character kept too (0: digits only).
std::wstring StrGetNumberOnly(std::wstring_view text, wchar_t extra = 0);

// A telephone number with dashes: "02-123-4567", "02-1234-5678", "031-123-4567",
// "010-1234-5678", "1588-1234". Separators already in the text (dashes, blanks, dots,
// brackets) are ignored. With `extra` set, the text may hold several numbers separated by that
// character; each is formatted and they are joined with it again. False (out untouched) when a
// number has no such form, the text has no digit, or the result is longer than `maxChars`
// (0: no limit).
bool GfxFormatTelNumber(std::wstring_view text, wchar_t extra, std::wstring* out,
                        size_t maxChars = 0);

// A business registration number as "123-45-67890" (ten digits). With `extra` set, that
// character may lead the text and is kept in front (the "#" of a number still to be checked).
// False (out untouched) for any other count of digits or a result longer than `maxChars`.
bool GfxFormatBizRegNumber(std::wstring_view text, wchar_t extra, std::wstring* out,
                           size_t maxChars = 0);
