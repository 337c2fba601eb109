#include "plugin/view/engine/StockLists.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>

#include "platform/support/TextConv.h"

namespace {

bool EqualsIgnoreCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == L'\0' || std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return b[i] == L'\0';
}

// Keeps the candidate with the smallest nation; an equal one does not replace the earlier.
void OfferFallback(Stock_s* stock, Stock_s** fallback) {
  if (!*fallback || stock->nation < (*fallback)->nation) *fallback = stock;
}

// Puts the found stock's text into an out value that was cleared first.
void CopyOut(std::wstring* out, const Stock_s* stock, bool code) {
  if (out && stock) *out = code ? std::wstring(stock->code) : stock->name;
}

}  // namespace

CStockLists::CStockLists(orv::win::CCriticalSection& viewLock, IStockListView* view)
    : m_viewLock(viewLock), m_view(view) {}

CStockLists::~CStockLists() = default;

void CStockLists::SetPriceFilter(double lower, double upper) {
  m_filterLower = lower;
  m_filterUpper = upper;
}

std::wstring CStockLists::StripMarketPrefix(uint8_t market, const wchar_t* code) {
  if (!code) return std::wstring();
  if (market == kMarketDomestic && (code[0] == L'A' || code[0] == L'B')) return code + 1;
  return code;
}

Stock_s* CStockLists::FindStockByCode(uint8_t market, const wchar_t* code, std::wstring* outName,
                                      bool scan, const wchar_t* altCode) {
  if (!code || !*code) return nullptr;
  if (outName) outName->clear();
  Stock_s* stock = m_master.Find(code);
  if (!stock && altCode && *altCode) stock = m_master.Find(altCode);
  if (!stock && scan) {
    for (const auto& entry : m_master) {
      if (entry.second->market == market && EqualsIgnoreCase(entry.first, code)) {
        stock = entry.second;
        break;
      }
    }
  }
  CopyOut(outName, stock, false);
  return stock;
}

Stock_s* CStockLists::FindMasterStock(uint8_t market, const wchar_t* code) {
  if (!code) return nullptr;
  return m_master.Find(StripMarketPrefix(market, code).c_str());
}

Stock_s* CStockLists::FindMasterStockA(uint8_t market, const char* code) {
  if (!code || !*code) return nullptr;
  return FindMasterStock(market, Utf8ToWide(code).c_str());
}

Stock_s* CStockLists::FindStockByName(const wchar_t* name, std::wstring* outCode,
                                      int preferredNation) {
  if (outCode) outCode->clear();
  if (!name || !*name) return nullptr;
  const size_t nameLength = std::wcslen(name);
  const bool anyNation = preferredNation < 1;
  Stock_s* prefixMatch = nullptr;
  Stock_s* fallback = nullptr;
  for (const auto& entry : m_master) {
    Stock_s* stock = entry.second;
    const bool nationFits = anyNation || preferredNation == stock->nation;
    if (EqualsIgnoreCase(stock->name, name)) {
      if (nationFits) {
        CopyOut(outCode, stock, true);
        return stock;
      }
      OfferFallback(stock, &fallback);
    } else if (stock->name.compare(0, nameLength, name) == 0) {
      if (nationFits) {
        prefixMatch = stock;
      } else {
        OfferFallback(stock, &fallback);
      }
    }
  }
  Stock_s* result = prefixMatch ? prefixMatch : fallback;
  CopyOut(outCode, result, true);
  return result;
}

Stock_s* CStockLists::SearchStockByName(uint8_t marketFilter, const wchar_t* text,
                                        int8_t preferredNation) {
  if (!text || !*text) return nullptr;
  Stock_s* lastExact = nullptr;
  Stock_s* substringMatch = nullptr;
  Stock_s* fallback = nullptr;
  for (const auto& entry : m_master) {
    Stock_s* stock = entry.second;
    if (stock->name.empty() || (marketFilter != 0 && stock->market != marketFilter)) continue;
    const bool nationFits = stock->nation == preferredNation;
    if (EqualsIgnoreCase(stock->name, text)) {
      if (nationFits) return stock;
      lastExact = stock;
      OfferFallback(stock, &fallback);
    } else if (stock->name.find(text) != std::wstring::npos) {
      if (nationFits) {
        substringMatch = stock;
      } else {
        OfferFallback(stock, &fallback);
      }
    }
  }
  if (lastExact) return lastExact;
  return substringMatch ? substringMatch : fallback;
}

StockViewMap* CStockLists::MyListOf(uint8_t market) {
  switch (market) {
    case kMarketDomestic:
      return &m_myLists[kMyDomestic];
    case kMarketOverseas:
      return &m_myLists[kMyOverseas];
    case kMarketCoin:
    case kMarketCoinBtc:
      return &m_myLists[kMyCoin];
    default:
      return nullptr;
  }
}

Stock_s* CStockLists::FindMyStock(uint8_t market, const wchar_t* code, bool remove, bool refresh) {
  StockViewMap* list = MyListOf(market);
  if (!list || !code) return nullptr;
  const std::wstring key = StripMarketPrefix(market, code);
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  auto it = list->find(key);
  if (it == list->end()) return nullptr;
  if (!remove) return it->second;
  it->second->own_state1 = 0;
  it->second->own_state2 = 0;
  list->erase(it);
  lock.Unlock();
  if (refresh && m_view) m_view->RedrawMyStockGrid();
  return nullptr;
}

int CStockLists::AddMyStock(Stock_s* stock, int mode, uint8_t source, bool refresh) {
  if (!stock) return 0;
  stock->source = source;
  if (mode != 1) return 0;
  StockViewMap* list = MyListOf(stock->market);
  if (!list) return 0;
  if (FindMyStock(stock->market, stock->code, false, false)) return 2;
  if (stock->cur_price > 0) {
    stock->preset_price1 = stock->cur_price * 0.9;
    stock->preset_price2 = stock->cur_price * 0.95;
    if (stock->preset_qty <= 0) stock->preset_qty = m_perStockBudget / (stock->cur_price * 0.95);
  } else {
    stock->preset_price1 = 0;
    stock->preset_price2 = 0;
  }
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    list->emplace(stock->code, stock);
  }
  if (refresh && m_view) m_view->RedrawMyStockGrid();
  return 1;
}

Stock_s* CStockLists::AddOrRemoveMyStock(uint8_t market, const wchar_t* code, int mode,
                                         uint8_t source, bool refresh) {
  Stock_s* stock = FindMasterStock(market, code);
  if (!stock) return nullptr;
  if (mode != 0) {
    AddMyStock(stock, mode, source, refresh);
  } else {
    FindMyStock(market, code, true, refresh);
  }
  return stock;
}

int CStockLists::IsMyStockListChanged(wchar_t separator) const {
  std::wstring text;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    for (const auto& entry : m_myLists[kMyDomestic]) {
      text += entry.first;
      text += separator;
      if (text.size() >= kMaxMyListText) {
        text.resize(kMaxMyListText);
        break;
      }
    }
  }
  return text != m_savedMyStockText ? 1 : 0;
}

StockTrade_s* CStockLists::FindHoldingByCode(uint8_t market, int brokerId, int accountNo,
                                             Stock_s* stock, const wchar_t* code, int holdingKind) {
  const std::wstring key = StripMarketPrefix(market, code);
  if (!stock) stock = m_master.Find(key.c_str());
  return GfxGetStockTradeDataByCode2(&m_holdings, brokerId, accountNo, stock, key.c_str(),
                                     holdingKind);
}

int CStockLists::SetStockInterest(const wchar_t* code, int value, Stock_s* stock) {
  if (!stock && code) stock = m_master.Find(code);
  if (stock) {
    stock->interest = value;
    if (m_view) m_view->SetRowInterest(stock, value);
  }
  if (m_view) m_view->MarkStockGridRedraw();
  return 0;
}

Stock_s* CStockLists::AddMasterStock(uint8_t market, const wchar_t* code, const wchar_t* name,
                                     int8_t nation, int32_t kind, uint8_t flagByte,
                                     int32_t intValue, double curPrice, double secondPrice,
                                     int64_t count) {
  if (!code || !*code) return nullptr;
  const std::wstring key(code, std::min(std::wcslen(code), static_cast<size_t>(kStockCodeLen)));
  if (Stock_s* existing = m_master.Find(key.c_str())) return existing;
  Stock_s* stock = GfxNewStock(market);
  stock->market = market;
  stock->nation = nation;
  stock->kind = kind;
  stock->flag_byte = flagByte;
  stock->int_value = intValue;
  stock->cur_price = curPrice;
  stock->second_price = secondPrice;
  stock->count64 = count;
  stock->option_rate = 3.0;
  stock->option_value = m_newStockOptionValue;
  stock->interest = 0;
  stock->interest_next = 0;
  stock->status = 1;
  StrSafeCopyW(stock->code, std::size(stock->code), key.c_str());
  stock->name = name ? name : L"";
  m_master.emplace(stock->code, stock);
  return stock;
}

int CStockLists::InsertStockIntoList(StockMap* list, Stock_s* stock) {
  if (!list || !stock || list->OwnsRecords()) return 0;
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  return list->emplace(stock->code, stock).second ? 1 : 0;
}

int CStockLists::PriceInFilterRange(double price) const {
  if (!(m_filterLower > 0)) return -1;
  if (!(price > 0) || price < m_filterLower) return 0;
  if (m_filterUpper > 0) return price <= m_filterUpper ? 1 : 0;
  return 1;
}
