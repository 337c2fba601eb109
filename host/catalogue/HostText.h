#pragma once
// Text conversions the host's catalogue code uses: the catalogue stores UTF-8, the host's
// records hold wide text.

#include <cstddef>
#include <string>

#include "platform/support/TextConv.h"

namespace orv::host {

using ::Utf8ToWide;
using ::WideToUtf8;

// Copies text into a fixed wide buffer of capacity characters, cut to fit with the
// terminating zero kept. Nothing happens when the buffer is null or has no room.
void CopyToBuffer(wchar_t* buffer, size_t capacity, const std::wstring& text);

template <size_t N>
void CopyToField(wchar_t (&field)[N], const std::wstring& text) {
  CopyToBuffer(field, N, text);
}

template <size_t N>
void CopyToField(char (&field)[N], const std::string& text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  text.copy(field, n);
  field[n] = '\0';
}

// A heap copy for records whose texts are freed with the C run-time free.
wchar_t* HeapCopy(const std::wstring& text);

}  // namespace orv::host
