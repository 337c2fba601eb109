// The one-time chart pass of the chart worker: day and minute candles of every stock the
// quote workers will poll (or, before any poll list exists, of the domestic holdings), with
// each stock's envelope lines for both candle kinds.

#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/win/Clock.h"
#include "plugin/view/engine/ChartQueries.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/WideText.h"
#include "shared/LoginInfo.h"

namespace {
using namespace chart_queries;
constexpr const wchar_t* kChartCaption = L"잔고종목 차트 조회";

// The envelope of one series into the stock's line arrays.
void StoreEnvelope(StockSeries_s& series, const std::deque<double>& prices, int period,
                   double percent) {
  GfxSizeStockSeries(&series);
  series.env_state = GfxCalcEnvelope_FullOutput2(prices, period, percent, series.env_upper.data(),
                                                 series.env_middle.data(), series.env_lower.data(),
                                                 static_cast<int>(series.env_upper.size()));
}
}  // namespace

CStockAgentBase* CPelomarEngine::LiveDataAgent() const {
  if (!m_roles.data) return nullptr;
  for (const auto& entry : m_agents)
    if (entry.second.get() == m_roles.data) return m_roles.data;
  return nullptr;
}

int CPelomarEngine::QueryStockListCharts(CURL* curl, uint8_t market, CStockAgentBase* agent,
                                         StockMap* list) {
  if (!agent || !list) return 0;
  // The first-coin and first-overseas roles outlive a logout: only an agent still in the map
  // is asked.
  bool live = false;
  for (const auto& entry : m_agents) live = live || entry.second.get() == agent;
  if (!live) return 0;
  std::vector<Stock_s*> stocks;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    for (const auto& entry : *list) stocks.push_back(entry.second);
  }
  CStockAgentBase* dataAgent = LiveDataAgent();
  const bool popups = (m_popupMode.load() & 7) != 0;
  const DWORD pause = agent->m_chartPause > 0 ? static_cast<DWORD>(agent->m_chartPause) : 0;
  std::string candles, json;
  std::deque<int32_t> dates;
  std::deque<double> dayPrices, minutePrices;
  int n = 0;
  for (Stock_s* stock : stocks) {
    if (!IsRunning() || agent->m_marketKind != market) break;
    if (!stock || stock->market != market) continue;
    ++n;
    candles.clear();
    json.clear();
    dates.clear();
    dayPrices.clear();
    minutePrices.clear();
    if (popups && m_window)
      m_window->ShowWaitingPopup(
          true,
          StrPrintfW(L"[%d/%d] %ls(%ls) 차트 조회중.\r\n잠시만 기다려 주세요\n", n,
                     static_cast<int>(stocks.size()), stock->name.c_str(), stock->code)
              .c_str(),
          kChartCaption, 0);
    agent->GetChartData(curl, stock, stock->code, kDayCandles, kCandleStep, kCandleCount, &candles,
                        &json, &dates, &dayPrices, 1);
    m_chartRequests.fetch_add(1);
    orv::win::Sleep(pause);
    candles.clear();
    json.clear();
    dates.clear();
    agent->GetChartData(curl, stock, stock->code, kMinuteCandles, kCandleStep, kCandleCount,
                        &candles, &json, &dates, &minutePrices, 1);
    m_chartRequests.fetch_add(1);
    orv::win::Sleep(pause);
    if (market == kMarketDomestic) {
      std::string rows, series;
      agent->GetBuyTrendData(curl, stock, stock->code, kTrendKind, kTrendDays, &rows, &series,
                             nullptr, nullptr, 1);
      m_chartRequests.fetch_add(1);
      // Short selling only the data agent offers.
      if (dataAgent) {
        dataAgent->GetShortSellingData(curl, stock, stock->code, kShortSellingDays, &rows, &series,
                                       1);
      }
    }
    StoreEnvelope(stock->day, dayPrices, m_option.env_day_period, m_option.env_day_width);
    StoreEnvelope(stock->minute, minutePrices, m_option.env_minute_period,
                  m_option.env_minute_width);
  }
  return n;
}

int CPelomarEngine::QueryHeldStockCharts(CURL* curl) {
  const bool popups = (m_popupMode.load() & 7) != 0 && m_window;
  const std::wstring user = m_loginInfo ? FieldText(m_loginInfo->szUserId) : std::wstring();
  if (popups)
    m_window->ShowWaitingPopup(
        true,
        StrPrintfW(L"%ls님, 잔고종목 차트 조회중.\r\n잠시만 기다려 주세요\n", user.c_str()).c_str(),
        kChartCaption, 0);
  bool listsEmpty;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    listsEmpty = m_quoteLists[0].empty() && m_quoteLists[1].empty() && m_quoteLists[2].empty();
  }
  int result = 0;
  if (listsEmpty) {
    // Before any poll list exists, the domestic holdings are charted.
    CStockAgentBase* agent = m_roles.defaultDomestic;
    std::vector<Stock_s*> held;
    {
      orv::win::CSingleLock lock(&m_viewLock, TRUE);
      for (const auto& entry : m_stocks.Holdings())
        if (entry.first->stock && entry.first->stock->market == kMarketDomestic)
          held.push_back(entry.first->stock);
    }
    for (Stock_s* stock : held) {
      if (!IsRunning() || !agent || agent->m_marketKind != kMarketDomestic) break;
      ++result;
      if (popups)
        m_window->ShowWaitingPopup(
            true,
            StrPrintfW(L"[%d] %ls(%ls) 차트 조회중.\r\n잠시만 기다려 주세요\n", result,
                       stock->name.c_str(), stock->code)
                .c_str(),
            kChartCaption, 0);
      const DWORD pause = agent->m_chartPause > 0 ? static_cast<DWORD>(agent->m_chartPause) : 0;
      std::string candles, json;
      std::deque<int32_t> dates;
      std::deque<double> prices;
      agent->GetChartData(curl, stock, stock->code, kDayCandles, kCandleStep, kCandleCount,
                          &candles, &json, &dates, &prices, 1);
      m_chartRequests.fetch_add(1);
      orv::win::Sleep(pause);
      agent->GetChartData(curl, stock, stock->code, kMinuteCandles, kCandleStep, kCandleCount,
                          &candles, &json, &dates, &prices, 1);
      m_chartRequests.fetch_add(1);
      orv::win::Sleep(pause);
      // Short selling only the data agent offers.
      if (CStockAgentBase* dataAgent = LiveDataAgent()) {
        dataAgent->GetShortSellingData(curl, stock, stock->code, kShortSellingDays, &candles,
                                       &json, 1);
      }
    }
  } else {
    result =
        QueryStockListCharts(curl, kMarketDomestic, m_roles.defaultDomestic, &m_quoteLists[0]) +
        QueryStockListCharts(curl, kMarketCoin, m_roles.firstCoin, &m_quoteLists[2]) +
        QueryStockListCharts(curl, kMarketOverseas, m_roles.firstOverseas, &m_quoteLists[1]);
  }
  if (popups) m_window->ShowWaitingPopup(false, nullptr, nullptr, 0);
  return result;
}
