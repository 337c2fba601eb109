#pragma once
// A result packet that crosses between the host and its plug-ins: the asker puts a key in it,
// the answerer fills the result. Every text is a heap text owned by the packet and released
// with the C run-time free, so either side may free what the other allocated.

#include <cstdint>
#include <cstdlib>

struct ZiroResultPkt_s {
  // The key the question is about (for menu child titles: the menu code).
  wchar_t* pszKey;
  // The answer: a list of lines, each ended by a line feed; null when there is none.
  wchar_t* pszResult;
  // How many lines the answer holds, and the answerer's result code.
  int32_t nCount;
  int32_t nResult;
};

// Empties a packet that holds nothing yet.
inline void ZIRO_RESULT_PKT_NULL(ZiroResultPkt_s* pkt) {
  if (pkt == nullptr) return;
  pkt->pszKey = nullptr;
  pkt->pszResult = nullptr;
  pkt->nCount = 0;
  pkt->nResult = 0;
}

// Frees the answer and keeps the key, so the packet can be asked again.
inline void ZIRO_RESULT_PKT_FREE2(ZiroResultPkt_s* pkt) {
  if (pkt == nullptr) return;
  std::free(pkt->pszResult);
  pkt->pszResult = nullptr;
  pkt->nCount = 0;
  pkt->nResult = 0;
}

// Frees everything the packet holds.
inline void ZIRO_RESULT_PKT_FREE(ZiroResultPkt_s* pkt) {
  if (pkt == nullptr) return;
  ZIRO_RESULT_PKT_FREE2(pkt);
  std::free(pkt->pszKey);
  pkt->pszKey = nullptr;
}
