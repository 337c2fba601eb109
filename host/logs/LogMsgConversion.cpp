#include "host/logs/LogMsgConversion.h"

#include <cstdlib>
#include <cwchar>

#include "host/logs/LogHub.h"

namespace orv::host {

namespace {

wchar_t* Duplicate(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return nullptr;
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

bool CopyLogHubEntry(const LogHubEntry& entry, log_msg_data_s* out) {
  if (out == nullptr) return false;
  FreeLogMsgData(out);
  out->nLevel = entry.level;
  out->nNumber2 = entry.number2;
  out->nStatus = entry.number3;
  out->nCode = entry.number4;
  out->byFlags[0] = entry.flag1;
  out->byFlags[1] = entry.flag2;
  out->byFlags[2] = entry.flag3;
  out->tmTime = entry.time;
  out->pszText = Duplicate(entry.text);
  if (entry.source) out->pszSource = Duplicate(*entry.source);
  if (out->pszText == nullptr || (entry.source && out->pszSource == nullptr)) {
    FreeLogMsgData(out);
    return false;
  }
  return true;
}

void FreeLogMsgData(log_msg_data_s* data) {
  if (data == nullptr) return;
  std::free(data->pszSource);
  std::free(data->pszText);
  data->pszSource = nullptr;
  data->pszText = nullptr;
}

}  // namespace orv::host
