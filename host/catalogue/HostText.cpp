#include "host/catalogue/HostText.h"

#include <cstdlib>
#include <cstring>

namespace orv::host {

void CopyToBuffer(wchar_t* buffer, size_t capacity, const std::wstring& text) {
  if (buffer == nullptr || capacity == 0) return;
  const size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  text.copy(buffer, n);
  buffer[n] = L'\0';
}

wchar_t* HeapCopy(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  return copy;
}

}  // namespace orv::host
