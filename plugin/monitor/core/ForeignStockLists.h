#pragma once
// Exchange-wide stock lists from a web portal's stock API: the NASDAQ market, the Dow Jones
// index's constituents and the KOSPI and KOSDAQ markets, as rows of six texts for the board's
// list grid. The replies are not parsed as JSON: the texts are scanned for fixed key patterns.
// The API's hosts come from the "Settings" section ("ForeignListApiUrl", "ForeignListMobileUrl":
// base URLs ending in '/'), defaulting to the portal's public hosts.

#include <curl/curl.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// A reply body: heap text (malloc, NUL-terminated) and its length; the caller frees `data`.
struct HttpBuffer {
  char* data = nullptr;
  size_t size = 0;
};

// GET of url on the handle (reset first): redirects followed, every encoding accepted, 20 s in
// all, the portal's browser user agent, "Accept: application/json" and the mobile site as
// Referer. True with the body in `out` on a transfer without error, status 200 and a non-empty
// body; otherwise false with `out` freed and emptied. With `running`, the transfer ends as soon
// as it answers false.
using KeepRunning = std::function<bool()>;
bool HttpGetJson(CURL* curl, const char* url, HttpBuffer* out,
                 const KeepRunning* running = nullptr);

// The values of "key":"..." in json, in order, each copied (escapes as they stand, truncated to
// entrySize - 1 bytes) into entries + i * entrySize. Stops at `maximum` values, at the end of
// the text or at a value that never ends. Returns the number of values.
int ScanJsonStrings(const char* json, const char* key, char* entries, size_t entrySize,
                    int maximum);

// The number after "totalCount" and its ':' (up to 31 digits), or 0.
long ParseTotalCount(const char* json);

// Cuts the symbol at its first '.': the part before into base, the dot and the rest into
// suffix (both truncated to their buffers, always terminated).
void SplitSymbol(const char* symbol, char* base, size_t baseSize, char* suffix, size_t suffixSize);

// One row of the list grid.
struct ForeignStockRow_s {
  std::wstring market;    // "NASDAQ", "DOW", "KOSPI", "KOSDAQ"
  std::wstring code;      // the full symbol
  std::wstring symbol;    // the code before its first '.'
  std::wstring name;
  std::wstring exchange;  // exchange name
  std::wstring nation;    // nation code ("USA", "KOR")
};

// The grid's column captions and widths, in order.
struct ForeignListColumn {
  const wchar_t* caption;
  int width;
};
extern const ForeignListColumn kForeignListColumns[6];

class CForeignStockLists {
 public:
  // Where the lists come from: the API's base URL and the mobile host's (both ending in '/').
  CForeignStockLists(std::string apiBase, std::string mobileBase);
  // The hosts from the "Settings" section, else the portal's public ones.
  static CForeignStockLists FromSettings();

  // Loads the four lists in order into the rows (emptied first); a list whose request fails
  // ends there, the lists already loaded stay. `running` answering false ends the loading.
  // Returns the number of rows.
  int LoadForeignStockLists(KeepRunning running = nullptr);
  const std::vector<ForeignStockRow_s>& Rows() const { return rows_; }

  // One exchange's pages ("stock/exchange/<code>/marketValue"); the rows added.
  int LoadExchangeList(CURL* curl, const wchar_t* label, const char* exchangeCode,
                       const wchar_t* exchangeName, const wchar_t* nationCode);
  // The Dow Jones constituents, from the mobile host, else the API host; the rows added.
  int LoadDowConstituents(CURL* curl);

  // The reader of one reply: a row per pair of its codes and names (the shorter list decides,
  // a whole page of 100 at most); with `dowExchange` the exchange follows the code's suffix.
  // Returns the rows added.
  int AddPageRows(const char* json, const char* codeKey, const char* nameKey,
                  const wchar_t* label, const wchar_t* exchangeName, const wchar_t* nationCode,
                  bool dowExchange);

 private:
  void AddForeignStockRow(const wchar_t* label, const char* code, const char* name,
                          const wchar_t* exchangeName, const wchar_t* nationCode);

  std::string apiBase_;
  std::string mobileBase_;
  KeepRunning running_;
  std::vector<ForeignStockRow_s> rows_;
};
