#include "plugin/monitor/core/MarketScan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/win/Clock.h"
#include "platform/win/CriticalSection.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"

bool IsScannedMarket(char marketLetter) { return marketLetter == '1' || marketLetter == '2'; }

bool CompareFoundStocks(const ScanStock_s& a, const ScanStock_s& b) {
  if (a.signalScore != b.signalScore) return a.signalScore > b.signalScore;
  return a.secondaryScore > b.secondaryScore;
}

std::wstring ScanProgressText(int scanned, int total, int resultCode, const std::wstring& name,
                              const std::wstring& code) {
  wchar_t text[256];
  std::swprintf(text, std::size(text), L"%d/%d:%d: %ls/%ls", scanned, total, resultCode,
                name.c_str(), code.c_str());
  return text;
}

std::wstring ScanElapsedText(DWORD durationMs, int passCount) {
  wchar_t text[64];
  std::swprintf(text, std::size(text), L"%.1fs/%d", durationMs / 1000.0, passCount);
  return text;
}

CMarketScan::CMarketScan(Hooks hooks) : m_hooks(std::move(hooks)) {}

ScanPassResult_s CMarketScan::ScanMarket(int mode, int resultCount) {
  auto now = [this] { return m_hooks.tick ? m_hooks.tick() : orv::win::GetTickCount(); };
  auto going = [this] { return !m_hooks.going || m_hooks.going(); };
  const DWORD start = now();
  ScanPassResult_s pass;
  if (!going()) return pass;
  if (mode == kScanMode) {
    std::vector<ScanStock_s> stocks = m_hooks.readMaster ? m_hooks.readMaster()
                                                         : std::vector<ScanStock_s>();
    pass.total = static_cast<int>(std::count_if(
        stocks.begin(), stocks.end(), [](const ScanStock_s& s) { return IsScannedMarket(s.marketLetter); }));
    double perOrder = 0, checkInterval = 0;
    if (m_hooks.settings) m_hooks.settings(&perOrder, &checkInterval);
    bool stopped = false;
    for (ScanStock_s& stock : stocks) {
      if (!going()) {
        stopped = true;
        break;
      }
      if (!IsScannedMarket(stock.marketLetter)) continue;
      ++pass.scanned;
      const DWORD tick = now();
      SYSTEMTIME time;
      orv::win::GetLocalTime(&time);
      auto last = m_lastCheck.find(stock.code);
      const DWORD elapsed = last == m_lastCheck.end() ? 0 : tick - last->second;
      m_lastCheck[stock.code] = tick;
      if (std::fabs(stock.signalScorePrev - stock.signalScore) > 0.000001)
        stock.signalScorePrev = stock.signalScore;
      if (std::fabs(stock.secondaryScorePrev - stock.secondaryScore) > 0.000001)
        stock.secondaryScorePrev = stock.secondaryScore;

      double params[kSignalParamCount]{};
      params[kScanParamFlagByte] = stock.flagByte;
      params[kScanParamChangeRate] = stock.changeRate;
      params[kScanParamCurPrice] = stock.curPrice;
      params[kScanParamOpen] = stock.openPrice;
      params[kScanParamHigh] = stock.highPrice;
      params[kScanParamLow] = stock.lowPrice;
      params[kScanParamDayCount] = stock.dayCount;
      params[kScanParamDayClose] = stock.dayClose;
      params[kScanParamMinuteCount] = stock.minuteCount;
      params[kScanParamMinuteClose] = stock.minuteClose;
      params[kScanParamPerOrder] = perOrder;
      params[kScanParamCheckInterval] = checkInterval;
      params[kScanParamElapsed] = elapsed;
      params[kScanParamSixty] = 60;
      params[kScanParamResultCount] = resultCount;
      params[kScanParamTime] = time.wHour * 10000 + time.wMinute * 100 + time.wSecond +
                               time.wMilliseconds / 1000.0;
      params[kScanParamScorePrev] = stock.signalScorePrev;
      params[kScanParamSecondaryPrev] = stock.secondaryScorePrev;

      // No lock of the engine is held here: the module may take its time.
      double score = 0;
      const int answer = m_hooks.signal ? m_hooks.signal(mode, stock.flagByte != 0, params, &score)
                                        : -1;
      pass.durationMs = now() - tick;
      stock.resultCode = answer;
      // A module flags a stock by a positive answer with a positive score; without a module
      // (-1) nothing is found.
      if (answer > 0) stock.signalScore = score;
      if (m_hooks.storeScores) m_hooks.storeScores(stock);
      if (answer > 0 && score > 0) pass.found.push_back(stock);

      if (m_hooks.progress)
        m_hooks.progress({pass.scanned, pass.total,
                          ScanProgressText(pass.scanned, pass.total, answer, stock.name,
                                           stock.code)});
      if (m_hooks.pause && !m_hooks.pause(kStockPauseMs)) {
        stopped = true;
        break;
      }
    }
    pass.complete = !stopped;
    std::stable_sort(pass.found.begin(), pass.found.end(), CompareFoundStocks);
  }
  if (pass.scanned > 0) ++m_passCount;
  pass.passCount = m_passCount;
  pass.durationMs = now() - start;
  pass.elapsedText = ScanElapsedText(pass.durationMs, m_passCount);
  if (m_hooks.finished) m_hooks.finished(pass);
  return pass;
}

ScanStock_s CMarketScan::CopyStock(const Stock_s& stock) {
  ScanStock_s s;
  s.market = stock.market;
  s.marketLetter = stock.market_letter;
  s.code = stock.code;
  s.name = stock.name;
  s.flagByte = stock.flag_byte;
  s.curPrice = stock.cur_price;
  s.openPrice = stock.open_price;
  s.highPrice = stock.high_price;
  s.lowPrice = stock.low_price;
  s.changeRate = stock.change_rate;
  s.dayCount = stock.day.count;
  s.minuteCount = stock.minute.count;
  const int day = NewestCandlePlace(stock.day);
  if (day >= 0) s.dayClose = stock.day.close[day];
  const int minute = NewestCandlePlace(stock.minute);
  if (minute >= 0) s.minuteClose = stock.minute.close[minute];
  s.signalScore = stock.signal_score;
  s.signalScorePrev = stock.signal_score_prev;
  s.secondaryScore = stock.secondary_score;
  s.secondaryScorePrev = stock.secondary_score_prev;
  return s;
}

std::vector<ScanStock_s> CMarketScan::CopyMaster(CPelomarEngine& engine) {
  std::vector<ScanStock_s> out;
  orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
  const OwningStockMap& master = engine.Stocks().Master();
  out.reserve(master.size());
  for (const auto& [code, stock] : master)
    if (stock) out.push_back(CopyStock(*stock));
  return out;
}

void CMarketScan::StoreScores(CPelomarEngine& engine, const ScanStock_s& s) {
  orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
  Stock_s* stock = engine.Stocks().Master().Find(s.code.c_str());
  if (!stock) return;
  stock->signal_score = s.signalScore;
  stock->signal_score_prev = s.signalScorePrev;
  stock->secondary_score_prev = s.secondaryScorePrev;
}

void CScanMailbox::PutProgress(ScanProgress_s progress) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_progress = std::move(progress);
  m_hasProgress = true;
}

bool CScanMailbox::TakeProgress(ScanProgress_s* out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_hasProgress) return false;
  *out = std::move(m_progress);
  m_hasProgress = false;
  return true;
}

void CScanMailbox::PutPass(ScanPassResult_s pass) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_pass = std::move(pass);
  m_hasPass = true;
}

bool CScanMailbox::TakePass(ScanPassResult_s* out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_hasPass) return false;
  *out = std::move(m_pass);
  m_hasPass = false;
  return true;
}
