// The per-stock entries of the holdings grid (stop-loss, minimum take-profit, split amount,
// step width): each typed value is checked against the holding's current profit before it is
// applied. The checks read a copy of the holding, ask or warn the user without the view lock
// (a balance reply may free the holding meanwhile), and apply the value to the holding found
// again by key under the lock.

#include <algorithm>
#include <cmath>

#include "platform/support/TextConv.h"
#include "platform/win/CriticalSection.h"
#include "platform/win/MessageBox.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/TextFormat.h"

using orv::win::CSingleLock;

namespace {

constexpr double kNoStopLoss = -100.0;
// A stop-loss nearer 0 than this sells on every tick: it is widened to -0.5.
constexpr double kNarrowestStopLoss = 0.5;
// The holdings grid: its edits also mark the whole options for saving.
constexpr int kHoldingsGridId = 2213;
constexpr uint8_t kOptionsChanged = 1;
constexpr uint8_t kHoldingSettingsChanged = 2;
constexpr DWORD kWarningMs = 2000;
constexpr double kMinSplitAmountWon = 10000.0;

constexpr char kStopLossQuestion[] =
    "손절률(%.1f%%)이 현재 수익률(%.1f%%)보다 높아서, \n바로 매도(Sell)될 수 있습니다.\n-------\n"
    "현재 수익 : %.1f%%\n손절 처리 : %.1f%%\n-------\n정말로 손절처리 할까요?.\n\n[예]를 누르면, "
    "손절값이 적용됩니다";

}  // namespace

COLORREF CPelomarEngine::StopLossCellColour(double rate) {
  return rate > -90 ? 15130800 : 10479609;
}

COLORREF CPelomarEngine::MinTakeProfitCellColour(double rate) {
  if (rate >= 10) return 0xffb3ff;
  if (rate >= 5) return 10070783;
  if (rate >= 0) return 14804223;
  return 0xffff00;
}

COLORREF CPelomarEngine::SplitAmountCellColour(double amount) {
  if (amount >= 10000) return 0xffffff;
  if (amount > 100) return 15785707;
  if (amount >= 10) return 10075117;
  if (amount >= 5) return 14014450;
  if (amount >= 3) return 15853268;
  return 16248052;
}

COLORREF CPelomarEngine::StepWidthCellColour(double width) {
  if (width >= 7) return 8041200;
  if (width >= 5) return 7331063;
  if (width >= 3) return 15785707;
  return 15527421;
}

COLORREF CPelomarEngine::SellRatioCellColour(double ratio) {
  if (ratio >= 100) return 0xffffff;
  if (ratio >= 90) return 15130800;
  if (ratio >= 50) return 0xffb3ff;
  return 0xffff00;
}

double CPelomarEngine::SplitOrderAmountWon() const {
  return std::max(kMinSplitAmountWon, m_option.split_sell_amount * 10000.0);
}

bool CPelomarEngine::HoldingRowOf(const HoldingKey_s& key, HoldingRow_s* out) {
  CSingleLock lock(&m_viewLock, TRUE);
  const StockTrade_s* h = FindHeldHolding(key);
  if (!h) return false;
  if (out) *out = MakeHoldingRow(*h);
  return true;
}

namespace {

// The view notes a pending save of the holdings' settings; an edit of the holdings grid also
// marks the options as changed when they were unchanged.
void NotePendingSave(stock_option_s& options, int controlId) {
  if (controlId == kHoldingsGridId) {
    if (options.changed == 0) options.changed = kOptionsChanged;
  } else if (options.changed == 0) {
    options.changed = kHoldingSettingsChanged;
  }
}

}  // namespace

CPelomarEngine::GridEdit_s CPelomarEngine::AppliedEdit(StockTrade_s* h, int controlId,
                                                       double cell, COLORREF colour) {
  NotePendingSave(m_option, controlId);
  GridEdit_s edit;
  edit.found = true;
  edit.applied = true;
  edit.cell = cell;
  edit.colour = colour;
  edit.row = MakeHoldingRow(*h);
  return edit;
}

CPelomarEngine::GridEdit_s CPelomarEngine::ValidateStopLossRate(const HoldingKey_s& key,
                                                                double value, int controlId) {
  GridEdit_s edit;
  HoldingRow_s before;
  if (!HoldingRowOf(key, &before)) return edit;
  edit.found = true;
  double rate = value;
  if (rate > 0) rate = -rate;
  if (rate == 0 || rate < kNoStopLoss) rate = kNoStopLoss;

  const double current = before.profitRate;
  if (rate >= current) {
    const std::string question = StrPrintf(kStopLossQuestion, rate, current, current, rate);
    if (orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONWARNING) != IDYES) {
      edit.cell = before.stopLossRate;
      edit.row = before;
      return edit;
    }
  } else if (std::fabs(rate) < kNarrowestStopLoss) {
    rate = -kNarrowestStopLoss;
  }

  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return GridEdit_s{};
  TakeOverStepValues(h);
  h->stop_loss_rate = rate;
  ComputeStockStairs(h, 1);
  if (controlId == kHoldingsGridId) CheckStockRules(h, HoldingPrice(h), 1, nullptr);
  return AppliedEdit(h, controlId, rate, StopLossCellColour(rate));
}

CPelomarEngine::GridEdit_s CPelomarEngine::ValidateMinTakeProfit(const HoldingKey_s& key,
                                                                 double value, int controlId) {
  GridEdit_s edit;
  HoldingRow_s before;
  if (!HoldingRowOf(key, &before)) return edit;
  edit.found = true;
  const double current = before.profitRate;
  const double d = value - current;
  const bool popups = (m_popupMode.load() & 7) != 0 && m_window;
  auto warn = [&](const std::string& text) {
    if (popups) m_window->ShowWaitingPopup(true, Utf8ToWide(text).c_str(), L"WARNING", kWarningMs);
  };
  auto refuse = [&](const std::string& text) {
    warn(text);
    edit.cell = before.minTakeProfit;
    edit.row = before;
    return edit;
  };
  if (value < 0 && d <= 1.0)
    return refuse(StrPrintf("현이익(%.1f%%) 1 %% 보다 낮은 값(%.1f%%)은 설정할 수 없습니다.\n\n",
                            current, value));
  if (value < 1.0) {
    if (d < 1.0)
      return refuse(
          StrPrintf("현이익(%.1f%%) 낮은 값(%.1f%%)은 설정할 수 없습니다.\n\n", current, value));
    warn(StrPrintf("현이익(%.1f%%)과 (%.1f%%)차이나는 값(%.1f%%)으로 설정 했습니다.\n\n", current,
                   d, value));
  }

  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return GridEdit_s{};
  TakeOverStepValues(h);
  h->min_take_profit = value;
  BuildStockLadder(h, 0);
  ComputeStockStairs(h, 0);
  CheckStockRules(h, HoldingPrice(h), 1, nullptr);
  return AppliedEdit(h, controlId, value, MinTakeProfitCellColour(value));
}

CPelomarEngine::GridEdit_s CPelomarEngine::ValidateSplitAmount(const HoldingKey_s& key,
                                                               double amount, int controlId) {
  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return GridEdit_s{};
  TakeOverStepValues(h);
  const double won = std::max(amount, SplitOrderAmountWon());
  h->split_amount = won;
  // Overseas and coin holdings are sized in dollars at the configured rate.
  const double rate = m_option.exchange_rate;
  const bool domestic = !h->stock || h->stock->market == kMarketDomestic;
  const double sized = domestic || !(rate > 1.0) ? won : won / rate;
  CalcSplitSellQty(h, HoldingPrice(h), sized);
  return AppliedEdit(h, controlId, won, SplitAmountCellColour(won));
}

CPelomarEngine::GridEdit_s CPelomarEngine::ValidateStepWidth(const HoldingKey_s& key,
                                                             double width, int controlId) {
  const double option = m_option.step_width;
  double w = width < 1.0 ? std::fabs(option) : width;
  if (w > 100) w = 100;
  if (width < 1.0 && option < 1.0) w = 1.0;

  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return GridEdit_s{};
  TakeOverStepValues(h);
  h->step_width = w;
  BuildStockLadder(h, 0);
  return AppliedEdit(h, controlId, w, StepWidthCellColour(w));
}

bool CPelomarEngine::SetStockComment(uint8_t market, const wchar_t* code,
                                     const std::wstring& comment) {
  if (!code || !*code) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  if (!stock) return false;
  stock->listing.comment = comment;
  return true;
}

bool CPelomarEngine::SetStockAlarm(uint8_t market, const wchar_t* code, const double* rate,
                                   const int* kind) {
  if (!code || !*code) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  Stock_s* stock = m_stocks.FindStockByCode(market, code, nullptr, true, nullptr);
  if (!stock) return false;
  // The rate is kept as a single-precision number, as the alarm table stores it.
  if (rate) stock->listing.alarm_rate = static_cast<float>(*rate);
  if (kind) stock->listing.alarm_kind = *kind;
  return true;
}

bool CPelomarEngine::SetHoldingSellRatioByKey(const HoldingKey_s& key, double ratio,
                                              HoldingRow_s* out) {
  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return false;
  TakeOverStepValues(h);
  SetHoldingSellRatio(h, HoldingPrice(h), ratio);
  if (out) *out = MakeHoldingRow(*h);
  return true;
}

bool CPelomarEngine::SetHoldingAvgPrice(const HoldingKey_s& key, double price, HoldingRow_s* out) {
  if (!(price > 0)) return false;
  CSingleLock lock(&m_viewLock, TRUE);
  StockTrade_s* h = FindHeldHolding(key);
  if (!h) return false;
  h->avg_price = price;
  h->buy_price = price;
  CheckStockRules(h, HoldingPrice(h), 1, nullptr);
  if (out) *out = MakeHoldingRow(*h);
  return true;
}
