#include "platform/stocklib/StockUrls.h"

#include <mutex>

namespace {
std::mutex g_urlMutex;
std::string g_urls[4];
}  // namespace

void GfxStockSetUrls(const char* url1, const char* url2, const char* url3, const char* url4) {
  std::lock_guard<std::mutex> lock(g_urlMutex);
  const char* urls[4] = {url1, url2, url3, url4};
  for (int i = 0; i < 4; ++i) g_urls[i] = urls[i] ? urls[i] : "";
}

std::string GfxStockGetUrl(int index) {
  std::lock_guard<std::mutex> lock(g_urlMutex);
  return index >= 0 && index < 4 ? g_urls[index] : std::string();
}
