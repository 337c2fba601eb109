#include "shared/StockRecords.h"

#include <cwchar>
#include <cwctype>

bool cmp_str::operator()(const std::wstring& a, const wchar_t* b) const {
  return a.compare(b ? b : L"") < 0;
}

bool cmp_str::operator()(const wchar_t* a, const std::wstring& b) const {
  return b.compare(a ? a : L"") > 0;
}

bool cmp_trade_data_obj::operator()(const StockTrade_s* a, const StockTrade_s* b) const {
  if (a->broker_id != b->broker_id) return a->broker_id < b->broker_id;
  if (a->account_no != b->account_no) return a->account_no < b->account_no;
  if (a->holding_kind != b->holding_kind) return a->holding_kind < b->holding_kind;
  if (a->loan_date != b->loan_date) return a->loan_date < b->loan_date;
  if (a->kind2 != b->kind2) return a->kind2 < b->kind2;
  return std::wcscmp(a->code, b->code) < 0;
}

bool cmp_str_group_info::operator()(const std::wstring& a, const std::wstring& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const wint_t ca = std::towlower(static_cast<wint_t>(a[i]));
    const wint_t cb = std::towlower(static_cast<wint_t>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

Stock_s* StockMap::Find(const wchar_t* code) const {
  if (!code) return nullptr;
  auto it = find(std::wstring(code));
  return it == end() ? nullptr : it->second;
}

OwningStockMap::~OwningStockMap() { GfxStockDataListFree2(this, 0, 1, 0); }

OwningHoldingMap::~OwningHoldingMap() { GfxStockTradeDataMap3Free(this, 0); }

Stock_s* GfxAllocStockPointerVars(Stock_s* stock, uint8_t market) {
  if (!stock) return nullptr;
  stock->market = market;
  stock->slot_prices.assign(kPriceSlotCount, 0.0);
  // The chart series stay empty until a chart of the stock is stored (GfxSizeStockSeries):
  // most listed stocks never get one.
  stock->day = StockSeries_s();
  stock->minute = StockSeries_s();
  return stock;
}

void GfxSizeStockSeries(StockSeries_s* series) {
  if (!series) return;
  if (series->close.empty()) series->close.assign(kStockSeriesLen, 0.0);
  if (series->env_upper.size() < static_cast<size_t>(kStockSeriesLen)) {
    series->env_upper.assign(kStockSeriesLen, 0.0);
    series->env_middle.assign(kStockSeriesLen, 0.0);
    series->env_lower.assign(kStockSeriesLen, 0.0);
  }
}

Stock_s* GfxNewStock(uint8_t market) { return GfxAllocStockPointerVars(new Stock_s(), market); }

void GfxStockDataFree(Stock_s* stock) {
  if (!stock) return;
  if (stock->holding && stock->holding->stock == stock) stock->holding->stock = nullptr;
  delete stock;
}

int GfxStockDataListFree2(StockMap* map, int, int freeRecords, int) {
  if (!map) return 0;
  const int n = static_cast<int>(map->size());
  if (map->OwnsRecords() && freeRecords) {
    for (auto& entry : *map) GfxStockDataFree(entry.second);
  }
  map->clear();
  return n;
}

int GfxStockDataListFree3(std::vector<Stock_s*>* list, int) {
  if (!list) return 0;
  const int n = static_cast<int>(list->size());
  list->clear();
  return n;
}

void GfxStockTradeDataFree(StockTrade_s* holding) {
  if (!holding) return;
  if (holding->stock && holding->stock->holding == holding) holding->stock->holding = nullptr;
  delete holding;
}

int GfxStockTradeDataMap3Free(HoldingMap* map, int) {
  if (!map) return 0;
  const int n = static_cast<int>(map->size());
  if (map->OwnsRecords()) {
    for (auto& entry : *map) GfxStockTradeDataFree(entry.first);
  }
  map->clear();
  return n;
}

int GfxGroupInfoMapClear(GroupInfoMap* map, int) {
  if (!map) return 0;
  const int n = static_cast<int>(map->size());
  map->clear();
  return n;
}

void GfxNormalizeStockCode(const wchar_t* code, uint8_t market, wchar_t* out, size_t outLen) {
  if (!out || outLen == 0) return;
  out[0] = 0;
  if (!code) return;
  if (market == kMarketDomestic && code[0] == L'A') ++code;
  size_t i = 0;
  for (; i + 1 < outLen && code[i]; ++i) out[i] = code[i];
  out[i] = 0;
}

Stock_s* GfxAddStockToMap(OwningStockMap* map, const wchar_t* code, uint8_t market,
                          uint8_t priceSlot, int32_t listIndex, bool* added) {
  if (added) *added = false;
  if (!map || !code) return nullptr;
  wchar_t key[kStockCodeLen + 1];
  GfxNormalizeStockCode(code, market, key, kStockCodeLen + 1);
  if (!key[0]) return nullptr;
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  if (Stock_s* found = map->Find(key)) {
    found->slot_flags[slot] = 1;
    return found;
  }
  Stock_s* stock = GfxNewStock(market);
  std::wcscpy(stock->code, key);
  stock->slot_flags[slot] = 1;
  stock->list_index = listIndex > 0 ? listIndex : static_cast<int32_t>(map->size()) + 1;
  map->emplace(std::wstring(key), stock);
  if (added) *added = true;
  return stock;
}

int GfxUpdateStockPrice(Stock_s* stock, uint8_t priceSlot, const StockQuote_s& quote,
                        const SYSTEMTIME& now) {
  if (!stock) return 0;
  if (stock->slot_prices.size() < kPriceSlotCount) stock->slot_prices.resize(kPriceSlotCount, 0.0);
  const uint8_t slot = priceSlot < kPriceSlotCount ? priceSlot : 0;
  int changed = 0;
  if (quote.cur_price != stock->slot_prices[slot]) {
    stock->changed = 1;
    stock->price_step = quote.cur_price - stock->slot_prices[slot];
    stock->rate_step = quote.change_rate - stock->change_rate;
    stock->slot_prices[slot] = quote.cur_price;
    stock->cur_price = quote.cur_price;
    changed = 1;
  }
  stock->high_price = quote.high_price;
  stock->low_price = quote.low_price;
  stock->open_price = quote.open_price;
  stock->change = quote.change;
  stock->change_rate = quote.change_rate;
  stock->update_time = now;
  stock->update_value = 0;
  return changed;
}

StockTrade_s* GfxGetStockTradeDataByCode2(const HoldingMap* map, int brokerId, int accountNo,
                                          const Stock_s* stock, const wchar_t* code,
                                          int holdingKind, int) {
  if (!map || (!stock && !code)) return nullptr;
  for (const auto& entry : *map) {
    StockTrade_s* h = entry.first;
    if (brokerId > 0 && h->broker_id != brokerId) continue;
    if (accountNo > 0 && h->account_no != accountNo) continue;
    if (holdingKind > 0 && h->holding_kind != holdingKind) continue;
    if (stock ? h->stock == stock : std::wcscmp(h->code, code) == 0) return h;
  }
  return nullptr;
}
