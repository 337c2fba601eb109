// The copies the engine hands the windows, and the trading tick's hand-overs.

#include "plugin/view/engine/ViewSnapshots.h"

#include <algorithm>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/win/CriticalSection.h"
#include "plugin/view/engine/PelomarEngine.h"

using orv::win::CSingleLock;

namespace {
// Stocks of this nation byte are counted in the master list but get no all-stock row.
constexpr int8_t kNationNotListed = '3';
}  // namespace

HoldingRow_s MakeHoldingRow(const StockTrade_s& h) {
  HoldingRow_s r;
  const Stock_s* s = h.stock;
  r.key.accountNo = h.account_no;
  r.key.code = h.code;
  r.key.holdingKind = h.holding_kind;
  r.accountIndex = h.account_index;
  r.credit = h.credit;
  r.runningIndex = h.running_index;
  r.brokerId = h.broker_id;
  r.nation = s ? s->nation : 0;
  r.buyExchangeRate = h.buy_exchange_rate;
  r.hasStock = s != nullptr;
  r.market = s ? s->market : 0;
  r.marketLetter = s && s->market_letter ? static_cast<uint8_t>(s->market_letter) : '1';
  if (s) r.name = s->name;
  r.autoTrade = h.auto_trade != 0;
  r.sellRatio = h.sell_ratio;
  r.stopLossRate = h.stop_loss_rate;
  r.profitOffset = h.profit_offset;
  r.stepValue = h.step_value;
  r.sellRate = h.sell_rate;
  r.minTakeProfit = h.min_take_profit;
  r.stepWidth = h.step_width;
  r.splitAmount = h.split_amount;
  r.levelText = h.level_text;
  r.curStep = h.cur_step;
  r.sellSplitQty = h.sell_split_qty;
  r.price = CPelomarEngine::HoldingPrice(&h);
  // Without a coin price in the holding's currency the row shows the stock's price.
  if (s && !(r.price > 0)) r.price = s->cur_price;
  if (s) {
    r.changeRate = s->change_rate;
    r.strength = s->listing.strength;
    r.score = s->listing.score;
    r.dayScore = s->day_score;
    r.minuteScore = s->minute_score;
    r.inst10 = s->listing.inst10;
    r.instToday = s->listing.inst_today;
    r.foreign10 = s->listing.foreign10;
    r.foreignToday = s->listing.foreign_today;
    r.foreignUp = s->listing.foreign_up;
    r.foreignDown = s->listing.foreign_down;
  }
  r.quantity = h.quantity;
  r.avgPrice = h.avg_price;
  r.purchase = h.purchase;
  r.valuation = h.valuation;
  r.profit = h.profit;
  r.profitAmount = h.profit_amount;
  r.profitRate = h.profit_rate;
  r.tax = h.tax;
  r.commission = h.commission;
  r.loanAmount = h.loan_amount;
  r.stepThreshold = h.step_threshold;
  r.checkTime = h.check_time;
  r.entryTime = h.entry_time;
  r.exitTime = h.exit_time;
  return r;
}

StockRow_s MakeStockRow(const Stock_s& s) {
  StockRow_s r;
  r.code = s.code;
  r.name = s.name;
  r.market = s.market;
  r.marketLetter = s.market_letter;
  r.listIndex = s.list_index;
  r.interest = s.interest != 0;
  r.curPrice = s.cur_price;
  r.openPrice = s.open_price;
  r.highPrice = s.high_price;
  r.lowPrice = s.low_price;
  r.change = s.change;
  r.changeRate = s.change_rate;
  r.listing = s.listing;
  return r;
}

StockQuoteRow_s MakeStockQuote(const Stock_s& s) {
  StockQuoteRow_s q;
  q.code = s.code;
  q.curPrice = s.cur_price;
  q.openPrice = s.open_price;
  q.highPrice = s.high_price;
  q.lowPrice = s.low_price;
  q.change = s.change;
  q.changeRate = s.change_rate;
  return q;
}

namespace {
bool SameQuote(const StockQuoteRow_s& a, const StockQuoteRow_s& b) {
  return a.curPrice == b.curPrice && a.changeRate == b.changeRate && a.change == b.change &&
         a.openPrice == b.openPrice && a.highPrice == b.highPrice && a.lowPrice == b.lowPrice;
}
}  // namespace

HoldingsSnapshot_s CPelomarEngine::SnapshotHoldings() {
  HoldingsSnapshot_s snapshot;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const auto& entry : m_stocks.Holdings()) {
    StockTrade_s* h = entry.first;
    // The holdings grid shows what is held; the others leave it (their rows are hidden).
    h->in_grid = h->quantity > 0 ? 1 : 0;
    if (h->in_grid) snapshot.rows.push_back(MakeHoldingRow(*h));
  }
  for (const auto& [label, account] : m_accounts)
    if (account) snapshot.accounts.emplace_back(account->key, account->label);
  return snapshot;
}

QuotesSnapshot_s CPelomarEngine::SnapshotQuotes() {
  QuotesSnapshot_s snapshot;
  CSingleLock lock(&m_viewLock, TRUE);
  for (const auto& entry : m_stocks.Holdings())
    if (entry.first->quantity > 0) snapshot.holdings.push_back(MakeHoldingRow(*entry.first));
  for (const auto& [code, stock] : m_stocks.Master()) {
    if (!stock || stock->nation == kNationNotListed) continue;
    StockQuoteRow_s quote = MakeStockQuote(*stock);
    auto posted = m_postedQuotes.find(quote.code);
    if (posted == m_postedQuotes.end()) {
      m_postedQuotes.emplace(quote.code, quote);
    } else {
      if (SameQuote(posted->second, quote)) continue;
      posted->second = quote;
    }
    snapshot.stocks.push_back(std::move(quote));
  }
  return snapshot;
}

double CollateralRatioOf(double assets, double loan) {
  return loan > 0 ? assets / loan * 100.0 : 0.0;
}

AccountSummarySnapshot_s CPelomarEngine::SnapshotAccountSummary() {
  AccountSummarySnapshot_s snapshot;
  AccountTotals_s& totals = snapshot.totals;
  CSingleLock lock(&m_viewLock, TRUE);
  std::map<const group_info_s*, int> held;
  for (const auto& entry : m_stocks.Holdings())
    if (entry.first->quantity > 0 && entry.first->account) ++held[entry.first->account];
  for (const auto& [label, account] : m_accounts) {
    if (!account) continue;
    const group_info_s& a = *account;
    AccountSummaryRow_s row;
    row.label = label;
    const CStockAgentBase* agent = a.agent;
    row.brokerId = agent ? agent->m_brokerId : 0;
    auto status = m_accountStatus.find(a.key);
    if (status != m_accountStatus.end()) {
      row.errors = status->second.errors;
      row.message = status->second.message;
    }
    row.checked = a.query_count > 0 && row.errors == 0 ? 1 : 0;
    auto count = held.find(account);
    row.holdings = count == held.end() ? 0 : count->second;
    row.estimatedDeposit = a.deposit;
    // What the account owes: a D+2 deposit below zero.
    row.receivable = a.cash < 0 ? -a.cash : 0;
    row.stockValuation = a.eval_total;
    row.withdrawable = a.withdrawable;
    row.d2Deposit = a.cash;
    row.estimatedAssets = a.deposit_asset;
    row.tax = a.page_tax;
    row.fees = a.page_commission;
    row.creditAmount = a.credit_amount;
    row.collateralRatio =
        a.loan_to_value > 0 ? a.loan_to_value : CollateralRatioOf(a.deposit_asset, a.credit_amount);
    row.todayBuy = a.today_buy;
    row.todaySell = a.today_sell;
    row.todayProfit = a.realized_profit;

    const bool overseas = agent && agent->m_marketKind == kMarketOverseas;
    const group_info_s* us = overseas ? &a : nullptr;
    if (!overseas) {
      totals.d2Deposit += a.cash;
      totals.estimatedAssets += a.deposit_asset;
      totals.purchase += a.total_buy;
      totals.creditLoan += a.credit_amount;
      totals.fees += a.page_commission;
      totals.taxes += a.page_tax;
      // A domestic securities agent keeps its overseas balance in its second record.
      if (agent && agent->m_marketKind != kMarketCoin) us = &agent->m_domesticRecord;
    }
    if (us) {
      totals.usPurchase += us->total_buy;
      totals.usFees += us->page_commission;
      totals.usTax += us->page_tax;
      totals.usEstimatedAssets += us->deposit_asset;
    }
    snapshot.accounts.push_back(std::move(row));
  }
  totals.collateralRatio = CollateralRatioOf(totals.estimatedAssets, totals.creditLoan);
  return snapshot;
}

void CPelomarEngine::PublishAccountSummary() {
  if (m_window)
    m_window->ShowAccountSummary(
        std::make_shared<const AccountSummarySnapshot_s>(SnapshotAccountSummary()));
}

MasterListSnapshot_s CPelomarEngine::SnapshotMasterList() {
  MasterListSnapshot_s snapshot;
  CSingleLock lock(&m_viewLock, TRUE);
  m_postedQuotes.clear();
  snapshot.stocks.reserve(m_stocks.Master().size());
  for (const auto& [code, stock] : m_stocks.Master()) {
    if (!stock || stock->nation == kNationNotListed) continue;
    snapshot.stocks.push_back(MakeStockRow(*stock));
    StockQuoteRow_s quote = MakeStockQuote(*stock);
    m_postedQuotes[quote.code] = std::move(quote);
  }
  return snapshot;
}

ChartBars_s MakeChartBars(const StockSeries_s& series, bool minutes, int limit) {
  ChartBars_s bars;
  const int newest = NewestCandlePlace(series);
  if (newest < 0) return bars;
  const int n = std::min({series.count, limit, newest + 1});
  const int first = newest + 1 - n;
  auto at = [](const auto& values, int place, auto fallback) {
    return place < static_cast<int>(values.size()) ? values[place] : fallback;
  };
  // The envelope lines run from the oldest price the block was computed from: their newest
  // value belongs to the newest candle.
  int envNewest = -1;
  for (int i = static_cast<int>(series.env_middle.size()) - 1; i >= 0; --i)
    if (series.env_middle[i] > 0) {
      envNewest = i;
      break;
    }
  for (int place = first; place <= newest; ++place) {
    const double close = series.close[place];
    bars.close.push_back(close);
    const double open = at(series.open, place, 0.0);
    const double high = at(series.high, place, 0.0);
    const double low = at(series.low, place, 0.0);
    const bool candle = open > 0 && high > 0 && low > 0;
    bars.open.push_back(candle ? open : close);
    bars.high.push_back(candle ? high : close);
    bars.low.push_back(candle ? low : close);
    bars.labels.push_back(minutes ? at(series.time, place, 0) : at(series.date, place, 0));
    const int env = envNewest - (newest - place);
    const bool hasEnv = envNewest >= 0 && env >= 0 &&
                        env < static_cast<int>(series.env_lower.size()) &&
                        env < static_cast<int>(series.env_upper.size());
    bars.envLow.push_back(hasEnv ? series.env_lower[env] : 0.0);
    bars.envMid.push_back(hasEnv ? series.env_middle[env] : 0.0);
    bars.envHigh.push_back(hasEnv ? series.env_upper[env] : 0.0);
  }
  return bars;
}

bool CPelomarEngine::SnapshotStockChart(uint8_t market, const wchar_t* code,
                                        StockChartSnapshot_s* out) {
  *out = StockChartSnapshot_s();
  if (!code || !*code) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  const Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  if (!stock) return false;
  out->market = stock->market;
  out->code = stock->code;
  out->name = stock->name;
  out->day = MakeChartBars(stock->day, false);
  out->minute = MakeChartBars(stock->minute, true);
  return true;
}

void CPelomarEngine::PublishStockChart(uint8_t market, const wchar_t* code) {
  if (!m_window) return;
  auto chart = std::make_shared<StockChartSnapshot_s>();
  if (!SnapshotStockChart(market, code, chart.get())) chart.reset();
  m_window->ShowStockChart(std::move(chart));
}

void CPelomarEngine::PublishHoldings() {
  if (m_window) m_window->ShowHoldings(std::make_shared<const HoldingsSnapshot_s>(SnapshotHoldings()));
}

void CPelomarEngine::PublishQuotes() {
  if (m_window) m_window->ShowQuotes(std::make_shared<const QuotesSnapshot_s>(SnapshotQuotes()));
}

void CPelomarEngine::PublishMasterList() {
  if (m_window)
    m_window->ShowMasterList(std::make_shared<const MasterListSnapshot_s>(SnapshotMasterList()));
}

bool CPelomarEngine::SetStockAutoTrade(uint8_t market, const wchar_t* code, bool on) {
  if (!code || !*code) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  if (!stock) return false;
  stock->listing.auto_trade = on ? 1 : 0;
  if (StockTrade_s* holding = stock->holding) {
    holding->auto_trade = on ? 1 : 0;
    holding->order_count = 0;
    holding->step_orders = 0;
  }
  return true;
}

bool CPelomarEngine::ResetStairsOfStock(uint8_t market, const wchar_t* code) {
  if (!code || !*code) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  const Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  if (!stock) return false;
  for (auto& entry : m_stocks.Holdings())
    if (entry.first->stock == stock) ResetStockStairs(entry.first);
  return true;
}

int CPelomarEngine::AddMyStockByCode(uint8_t market, const wchar_t* code, int mode,
                                     uint8_t source, bool refresh) {
  if (!code || !*code) return 0;
  CSingleLock lock(&m_viewLock, TRUE);
  Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  return stock ? m_stocks.AddMyStock(stock, mode, source, refresh) : 0;
}
