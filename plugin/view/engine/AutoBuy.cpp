// Automatic buying: the auto-buy worker's detection pass over the domestic auto-buy list, and
// the signal module's trade-signal call offered to the monitoring view.

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/stocklib/StockCalc.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr DWORD kAutoBuyPassPauseMs = 500;

// The envelope of one series into the stock's line arrays; answers the calculation's result.
int32_t ComputeEnvelope(StockSeries_s& series, int period, double width) {
  const int count = std::min<int>(series.count, static_cast<int>(series.close.size()));
  if (count <= 0) return series.env_state;
  if (static_cast<int>(series.env_upper.size()) < count) {
    series.env_upper.assign(count, 0.0);
    series.env_middle.assign(count, 0.0);
    series.env_lower.assign(count, 0.0);
  }
  series.env_state =
      GfxCalcEnvelope_FullOutput3(series.close.data(), count, period, width,
                                  series.env_upper.data(), series.env_middle.data(),
                                  series.env_lower.data(), count);
  return series.env_state;
}

SignalSeries_s SeriesView(const StockSeries_s& series) {
  SignalSeries_s view;
  view.count = std::min<int>(series.count, static_cast<int>(series.close.size()));
  view.close = series.close.data();
  const bool lines = static_cast<int>(series.env_upper.size()) >= view.count;
  view.env_upper = lines ? series.env_upper.data() : nullptr;
  view.env_middle = lines ? series.env_middle.data() : nullptr;
  view.env_lower = lines ? series.env_lower.data() : nullptr;
  view.env_result = series.env_state;
  return view;
}
}  // namespace

SignalOptions_s CPelomarEngine::SignalOptions() const {
  SignalOptions_s options;
  options.env_day_period = m_option.env_day_period;
  options.env_day_width = m_option.env_day_width;
  options.env_minute_period = m_option.env_minute_period;
  options.env_minute_width = m_option.env_minute_width;
  options.min_detect_gap_ms = m_option.min_order_gap_ms;
  return options;
}

void CPelomarEngine::RunAutoBuyWorker(CURL* curl) {
  while (IsRunning() && AutoBuyOn()) {
    RunAutoBuyPass(curl, m_stocks.Watch(0));
    PauseWorker(kAutoBuyPassPauseMs);
  }
}

int CPelomarEngine::RunAutoBuyPass(CURL* /*curl*/, StockViewMap& list) {
  // The list changes on the user-interface thread: the pass works on a copy taken under the
  // lock. The records themselves live in the master list, which outlives the workers.
  std::vector<Stock_s*> stocks;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    for (const auto& entry : list) stocks.push_back(entry.second);
  }
  const SignalOptions_s options = SignalOptions();
  struct Candidate {
    Stock_s* stock;
    double score;
  };
  std::vector<Candidate> candidates;
  int position = 0;
  for (Stock_s* stock : stocks) {
    if (!IsRunning() || !AutoBuyOn()) break;
    if (!stock || stock->name.empty()) continue;
    if (m_signals.HasBuySignal()) {
      stock->day.env_state =
          ComputeEnvelope(stock->day, options.env_day_period, options.env_day_width);
      stock->minute.env_state =
          ComputeEnvelope(stock->minute, options.env_minute_period, options.env_minute_width);
      SignalAnalysis_s analysis;
      analysis.day = SeriesView(stock->day);
      analysis.minute = SeriesView(stock->minute);
      analysis.cur_price = stock->cur_price;
      analysis.open_price = stock->open_price;
      analysis.high_price = stock->high_price;
      analysis.low_price = stock->low_price;
      analysis.change_rate = stock->change_rate;
      int signal = 0;
      double score = 0;
      double second = 0;
      if (m_signals.CalcBuySignal(position, stock->code, stock->name.c_str(), options, analysis,
                                  stock->cur_price, stock->second_price, stock->open_price,
                                  stock->auto_buy, &signal, &score, &second)) {
        stock->signal_score = score;
        stock->secondary_score = second;
        if (signal == 1) candidates.push_back({stock, score});
      }
    }
    ++position;
    orv::win::Sleep(1);
  }
  // The best-scored candidates are registered first.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  int registered = 0;
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  const uint64_t now = NowTick64();
  const uint64_t gap = options.min_detect_gap_ms > 0 ? options.min_detect_gap_ms : 0;
  for (const Candidate& candidate : candidates) {
    Stock_s* stock = candidate.stock;
    if (!stock->auto_buy) continue;
    if (stock->last_auto_buy_tick != 0 && now - stock->last_auto_buy_tick < gap) continue;
    if (m_autoBuyRegistry.find(stock->code) == m_autoBuyRegistry.end()) continue;
    wchar_t line[400];
    std::swprintf(line, sizeof line / sizeof line[0],
                  L"▶ [자동매수 검출-등록] : %ls/%ls (가격:%.2f) [점수:%.2f, M:%.2f]", stock->code,
                  stock->name.c_str(), stock->cur_price, stock->signal_score,
                  stock->secondary_score);
    LogApp(line);
    stock->last_auto_buy_tick = now;
    ++registered;
  }
  return registered;
}

int CPelomarEngine::SetAutoBuyStock(uint8_t market, const wchar_t* code, bool on) {
  orv::win::CSingleLock lock(&m_viewLock, TRUE);
  Stock_s* stock = m_stocks.FindMasterStock(market, code);
  if (!stock) return 0;
  stock->auto_buy = on ? 1 : 0;
  if (on) {
    if (market == kMarketDomestic) m_stocks.InsertStockIntoList(&m_stocks.Watch(0), stock);
    m_autoBuyRegistry.emplace(stock->code, stock);
    MarkQuoteListsChanged();
  } else {
    m_autoBuyRegistry.erase(stock->code);
  }
  return 1;
}

int CPelomarEngine::CalcTradeSignal(int kind, bool flag, const double (&params)[kSignalParamCount],
                                    double* outResult) {
  return m_signals.CalcTradeSignal(kind, flag, SignalOptions(), params, outResult);
}
