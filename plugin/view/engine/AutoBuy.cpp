// Automatic buying: the auto-buy worker's detection pass over the domestic auto-buy list, and
// the signal module's trade-signal call offered to the monitoring view.

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/stocklib/StockCalc.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
constexpr DWORD kAutoBuyPassPauseMs = 500;

// A series' closes with its envelope lines, computed outside the view lock.
struct SeriesWork {
  std::vector<double> close, upper, middle, lower;
  int32_t result = 0;
};

// The closes of a series (the view lock held).
SeriesWork CopyCloses(const StockSeries_s& series) {
  SeriesWork work;
  const int count = std::min<int>(series.count, static_cast<int>(series.close.size()));
  work.close.assign(series.close.begin(), series.close.begin() + std::max(count, 0));
  work.result = series.env_state;
  return work;
}

void ComputeEnvelope(SeriesWork& work, int period, double width) {
  const int count = static_cast<int>(work.close.size());
  if (count <= 0) return;
  work.upper.assign(count, 0.0);
  work.middle.assign(count, 0.0);
  work.lower.assign(count, 0.0);
  work.result = GfxCalcEnvelope_FullOutput3(work.close.data(), count, period, width,
                                            work.upper.data(), work.middle.data(),
                                            work.lower.data(), count);
}

// The envelope into the stock's series (the view lock held).
void StoreEnvelope(StockSeries_s& series, const SeriesWork& work) {
  series.env_state = work.result;
  if (work.upper.empty()) return;
  series.env_upper = work.upper;
  series.env_middle = work.middle;
  series.env_lower = work.lower;
}

SignalSeries_s SeriesView(const SeriesWork& work) {
  SignalSeries_s view;
  view.count = static_cast<int32_t>(work.close.size());
  view.close = work.close.data();
  const bool lines = !work.upper.empty();
  view.env_upper = lines ? work.upper.data() : nullptr;
  view.env_middle = lines ? work.middle.data() : nullptr;
  view.env_lower = lines ? work.lower.data() : nullptr;
  view.env_result = work.result;
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
      // The price data is copied into the pass's own analysis block under the lock (the chart
      // and quote workers write the same records); the module works on the copy.
      SeriesWork day, minute;
      SignalAnalysis_s analysis;
      std::wstring code, name;
      uint8_t autoBuy = 0;
      double price2 = 0;
      double price3 = 0;
      {
        orv::win::CSingleLock lock(&m_viewLock, TRUE);
        day = CopyCloses(stock->day);
        minute = CopyCloses(stock->minute);
        analysis.cur_price = stock->cur_price;
        analysis.open_price = stock->open_price;
        analysis.high_price = stock->high_price;
        analysis.low_price = stock->low_price;
        analysis.change_rate = stock->change_rate;
        code = stock->code;
        name = stock->name;
        autoBuy = stock->auto_buy;
        price2 = stock->second_price;
        price3 = stock->open_price;
      }
      ComputeEnvelope(day, options.env_day_period, options.env_day_width);
      ComputeEnvelope(minute, options.env_minute_period, options.env_minute_width);
      analysis.day = SeriesView(day);
      analysis.minute = SeriesView(minute);
      int signal = 0;
      double score = 0;
      double second = 0;
      const bool answered =
          m_signals.CalcBuySignal(position, code.c_str(), name.c_str(), options, analysis,
                                  analysis.cur_price, price2, price3, autoBuy, &signal, &score,
                                  &second);
      orv::win::CSingleLock lock(&m_viewLock, TRUE);
      StoreEnvelope(stock->day, day);
      StoreEnvelope(stock->minute, minute);
      if (answered) {
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
