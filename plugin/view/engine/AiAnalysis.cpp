// The AI worker's analysis of one stock: the data it gathers through the broker agents, the
// chat request to the service the user set, the upload of the answer and its hand-over to the
// order dialog's analysis page.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/support/TextConv.h"
#include "plugin/community/AiAnalysis.h"
#include "plugin/view/engine/ChartQueries.h"
#include "plugin/view/engine/PelomarEngine.h"

namespace {
using namespace chart_queries;
constexpr long kChatTimeoutMs = 35000;
constexpr int kCoinPageKind = 5;
constexpr DWORD kAiLogKind = 4;
constexpr UINT kBoxError = 0x10;  // MB_ICONERROR
constexpr UINT kBoxForeground = 0x10000;  // MB_SETFOREGROUND
}  // namespace

std::wstring CPelomarEngine::AiAnswer() const {
  std::lock_guard<std::mutex> lock(m_aiMutex);
  return m_aiAnswer;
}

int CPelomarEngine::RunAiAnalysis(CURL* curl) {
  if (!curl || m_aiBusy.load() != 0) return 0;
  uint8_t market = 0;
  std::wstring code;
  {
    std::lock_guard<std::mutex> lock(m_aiMutex);
    market = m_aiMarket;
    code = m_aiCode;
  }
  if (code.empty()) return 0;
  Stock_s* stock = nullptr;
  {
    orv::win::CSingleLock lock(&m_viewLock, TRUE);
    stock = m_stocks.FindMasterStock(market, code.c_str());
  }
  if (!stock) return 0;
  m_aiBusy.store(1);
  {
    std::lock_guard<std::mutex> lock(m_aiMutex);
    m_aiAnswer.clear();
  }
  const std::wstring name = stock->name;
  const std::wstring stockCode = stock->code;
  auto finish = [&](const std::wstring& answer, const std::string& prices,
                    const std::string& investors, const std::string& shorts) {
    auto page = std::make_shared<AiAnalysisSnapshot_s>();
    page->kind = market == kMarketCoin || market == kMarketCoinBtc ? kCoinPageKind : market;
    page->code = stockCode;
    page->name = name;
    page->answer = answer;
    page->priceSeries = prices;
    page->investorSeries = InvestorSeriesForPage(investors);
    page->shortSeries = shorts;
    if (m_window) {
      m_window->ShowAiAnalysis(std::move(page));
      m_window->ShowWaitingPopup(false, nullptr, nullptr, 0);
    }
    m_aiBusy.store(0);
    return 0;
  };

  // The default agent, or the first one of the stock's market.
  CStockAgentBase* agent = m_roles.defaultDomestic;
  if (agent && agent->m_marketKind != stock->market) agent = FindStockAgentByMarket(stock->market);
  if (!agent) {
    LogAppKind(kAiLogKind, L"AI 분석: " + name + L"(" + stockCode +
                               L") 시세를 조회할 증권사 연결이 없습니다.");
    return finish(L"", "", "", "");
  }
  if (m_window)
    m_window->ShowWaitingPopup(true, L"종목 분석용 데이터 조회중\r\n잠시만 기다려 주세요\n",
                               L"종목 분석용 데이터 조회중", 0);

  std::string dayCsv, dayJson, minuteCsv, minuteJson, investorCsv, investorJson, shortCsv,
      shortJson;
  std::deque<int32_t> dayDates, minuteDates;
  std::deque<double> dayCloses, minuteCloses;
  agent->GetChartData(curl, stock, stockCode.c_str(), kDayCandles, kCandleStep, kCandleCount,
                      &dayCsv, &dayJson, &dayDates, &dayCloses, 1);
  agent->GetChartData(curl, stock, stockCode.c_str(), kMinuteCandles, kCandleStep, kCandleCount,
                      &minuteCsv, &minuteJson, &minuteDates, &minuteCloses, 1);
  agent->GetBuyTrendData(curl, stock, stockCode.c_str(), kTrendKind, kTrendDays, &investorCsv,
                         &investorJson, nullptr, nullptr, 1);
  // Short selling only the data agent offers.
  if (CStockAgentBase* data = LiveDataAgent())
    data->GetShortSellingData(curl, stock, stockCode.c_str(), kShortSellingDays, &shortCsv,
                              &shortJson, 1);

  std::string envelopeCsv;
  if (!dayCloses.empty()) {
    std::vector<EnvelopePoint> points(dayCloses.size());
    GfxCalcEnvelope_FullOutput(dayCloses, m_option.env_day_period, m_option.env_day_width,
                               points.data(), static_cast<int>(points.size()));
    envelopeCsv = GfxConvertEnvelopeToText(points.data(), dayDates, static_cast<int>(points.size()));
  }

  if (m_window)
    m_window->ShowWaitingPopup(true, L"생성형 AI를 통한 종목 분석중\r\n잠시만 기다려 주세요\n",
                               L"생성형 AI를 통한 종목 분석중", 0);
  const std::string body =
      BuildAiChatRequest(stock->market, stockCode, name, dayCsv, envelopeCsv, investorCsv, shortCsv);
  AiChatEndpoint_s endpoint;
  endpoint.url = WideToUtf8(m_option.ai_url);
  endpoint.key = WideToUtf8(m_option.ai_key);
  // Without an address or key nothing can be asked: the user is told where to set them.
  if (endpoint.url.empty() || endpoint.key.empty()) {
    LogAppKind(kAiLogKind, L"AI 분석: 생성형 AI 분석 주소(URL) 또는 SECRET-KEY가 설정되지 않았습니다.");
    if (m_window) {
      m_window->ShowWaitingPopup(false, nullptr, nullptr, 0);
      // The box is the user-interface thread's: the worker does not wait for its answer, so a
      // stop never waits on an open box.
      IEngineWindow* window = m_window;
      window->RunOnUiThread([window] {
        window->ShowMessageBox(L"생성형 AI 분석 주소(URL)와 SECRET-KEY를 설정에서 입력해 주세요.",
                               L"ERROR", kBoxError | kBoxForeground);
      });
    }
    return finish(L"", dayJson, investorJson, shortJson);
  }
  AiChatReply_s read;
  if (!body.empty()) {
    const AiChatResult_s sent = SendAiChatRequest(curl, endpoint, body, kChatTimeoutMs, AbortFlag());
    read = ReadAiChatReply(sent.reply.data(), sent.reply.size());
    if (!sent.error.empty() || !read.hasContent) {
      std::string why = sent.error.empty() ? "no answer in the reply" : sent.error;
      if (!read.error.empty()) why += " (" + read.error + ")";
      LogAppKind(kAiLogKind, L"AI 분석: " + name + L"(" + stockCode + L") 답변을 받지 못했습니다: " +
                                 Utf8ToWide(why));
      read.hasContent = false;
    }
  }
  std::wstring answer;
  if (read.hasContent && !body.empty()) {
    answer = Utf8ToWide(read.content);
    const int total = m_aiTokensTotal.fetch_add(read.usedTokens) + read.usedTokens;
    {
      std::lock_guard<std::mutex> lock(m_aiMutex);
      m_aiAnswer = answer;
    }
    if (m_window)
      m_window->UploadAiComment(curl, stock, answer, dayCsv, envelopeCsv, investorCsv, shortCsv,
                                shortCsv.empty() ? 0 : 1, read.usedTokens, total);
  }
  return finish(answer, dayJson, investorJson, shortJson);
}
