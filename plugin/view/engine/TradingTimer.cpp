// The trading tick (timer 1) and the timing report (timer 2): market and session from the
// local clock, the 30-second wake of the account and cafe-list workers, the worker results
// handed to the grids, the token check and the host's status panes. User-interface thread
// only, and it never waits on the network: a due token is renewed on the account worker.

#include <chrono>
#include <cwchar>

#include "platform/win/Clock.h"
#include "plugin/community/CafeService.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"

namespace {
constexpr DWORD kWakeIntervalMs = 30000;
constexpr int kHostStatusKind = 3;
constexpr int kSessionPane = 11;
constexpr int kTimingPane = 12;
constexpr int kMarketPane = 13;
constexpr DWORD kRenewPopupMs = 5000;
// How long a token renewal waits for a quote pass in flight to end before logging in again.
constexpr DWORD kQuotePassDrainMs = 3000;
constexpr DWORD kDrainStepMs = 10;

const wchar_t* NationText(int nation) {
  switch (nation) {
    case 1:
      return L"국내 주식";
    case 2:
      return L"미국 주식";
    case 3:
      return L"유럽 주식";
    default:
      return L"";
  }
}
}  // namespace

uint64_t CPelomarEngine::NowTick64() const {
  if (m_tick64) return m_tick64();
  // The steady millisecond clock the agents stamp their token expiry with.
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

SessionBounds_s CPelomarEngine::EffectiveSessionBounds() const {
  SessionBounds_s scheduled;
  if (m_window && m_window->ReadSessionBounds(scheduled.hhmm.data())) return scheduled;
  return ShiftSessionBounds(m_timer.bounds, m_timer.domesticDelay);
}

bool CPelomarEngine::OnTradingTick() {
  SYSTEMTIME local;
  orv::win::GetLocalTime(&local);
  const DWORD now = orv::win::GetTickCount();
  const int hhmm = local.wHour * 100 + local.wMinute;
  m_currentHhmm.store(hhmm);
  m_currentMarket.store(CurrentMarketFor(local.wHour, m_timer.overseasAutoSwitch != 0));

  bool changed = false;
  const int state = SessionStateFor(hhmm, EffectiveSessionBounds());
  if (m_sessionState.exchange(state) != state) {
    ResetAllStockStairs();
    changed = true;
  }

  const int user = m_loginInfo ? m_loginInfo->nUserIdx : 0;
  if (m_signedInUser.exchange(user) != user) changed = true;
  const bool signedIn = user > 0;
  if (signedIn && m_timer.viewUserIndex >= 1 && m_timer.tickGuard == 0 &&
      ThirtySecondBlock(now))
    changed = true;

  if (m_quotesApplied.exchange(0) == 1) PublishQuotes();
  if (m_accountSummaryDue.exchange(0) == 1) {
    PublishAccountSummary();
    changed = true;
  }
  if (m_gridRebuildRequest.load() != 0 && m_window) {
    m_gridRebuildRequest.store(0);
    PublishMasterList();
    changed = true;
  }
  if (signedIn && CheckTokens(now)) changed = true;
  return changed;
}

bool CPelomarEngine::ThirtySecondBlock(DWORD now) {
  bool changed = false;
  m_timer.tickGuard = 1;
  if (m_timer.shownNation != m_timer.reportedNation) {
    m_timer.reportedNation = m_timer.shownNation;
    if (m_window)
      m_window->NotifyHostValues(kHostStatusKind, kMarketPane, m_timer.shownNation,
                                 m_timer.shownNation, NationText(m_timer.shownNation), L"");
  }
  m_timer.sinceAccountQuery = orv::win::TickElapsed(m_lastAccountQueryTick.load(), now);
  m_timer.sinceCafeListRequest = orv::win::TickElapsed(m_lastCafeListTick.load(), now);
  if (m_gridUpdatePending.load() != 0 && m_window) m_window->PostViewMessage(WM_GRID_UPDATE, 0, 0);
  if (m_accountRefresh.load() != 0) {
    // The refresh takes this tick; the account query waits for the next one.
    m_accountRefresh.store(0);
    PublishHoldings();
    changed = true;
  } else if (m_timer.sinceAccountQuery >= kWakeIntervalMs) {
    m_lastAccountQueryTick.store(now);
    SetWorkEvent(EngineWorker::kAccount);
  }
  // The cafe downloads want the master list: the recommended stocks are looked up in it.
  if (m_timer.sinceCafeListRequest >= kWakeIntervalMs && MasterStockCount() > 0) {
    m_lastCafeListTick.store(now);
    m_cafe->Wake();
  }
  m_timer.tickGuard = 0;
  return changed;
}

void CPelomarEngine::WaitForQuotePasses(DWORD limitMs) {
  for (DWORD waited = 0; m_quotePassesInFlight.load() != 0 && waited < limitMs;
       waited += kDrainStepMs)
    orv::win::Sleep(kDrainStepMs);
}

bool CPelomarEngine::CheckTokens(DWORD) {
  bool changed = false;
  int64_t smallest = 0;
  const int due = RenewBrokerLogins(nullptr, &smallest, 0, 0);
  m_timer.smallestTokenTime = smallest;
  const int64_t seconds = smallest > 0 ? smallest / 1000 : m_timer.sinceAccountQuery / 1000;

  if (due > 0 && m_quotePolling.load() != 0 && m_chartPass.load() == kChartPassDone) {
    m_quotePolling.store(0);
    if (m_window)
      m_window->ShowWaitingPopup(true, L"다시 로그인중.\r\n잠시만 기다려 주세요\n", L"재 로그인중",
                                 kRenewPopupMs);
    // The logins go out on the account worker; polling stays off (so no second request is
    // made) until it has renewed them.
    m_tokenRenewal.store(1);
    SetWorkEvent(EngineWorker::kAccount);
    changed = true;
  }

  if (seconds != m_timer.shownSessionSeconds) {
    m_timer.shownSessionSeconds = seconds;
    wchar_t format[64];
    std::swprintf(format, sizeof format / sizeof format[0], L"세션[%.0f]: ",
                  m_timer.sinceAccountQuery / 1000.0);
    m_timer.sessionFormat = std::wstring(format) + L"%s";
    m_timer.sessionText = format + FormatSecondsAsTimeText(seconds);
    if (m_window)
      m_window->NotifyHostValues(kHostStatusKind, kSessionPane, static_cast<double>(smallest),
                                 static_cast<double>(smallest), m_timer.sessionText.c_str(), L"");
  }
  return changed;
}

void CPelomarEngine::RenewDueLogins(CURL* curl) {
  // A quote pass still sending with an old token ends first.
  WaitForQuotePasses(kQuotePassDrainMs);
  RenewBrokerLogins(curl, nullptr, 1, 1);
  m_quotePolling.store(1);
  if (m_window) m_window->ShowWaitingPopup(false, nullptr, nullptr, 0);
}

void CPelomarEngine::ReportTimings() {
  wchar_t text[100];
  const uint32_t apply = m_quoteApplyMs.load();
  const uint32_t grid = m_gridRefreshMs.load();
  std::swprintf(text, sizeof text / sizeof text[0], L"%%계산:%d/%d, R:%d",
                static_cast<int>(m_ruleCheckMs.load()), static_cast<int>(apply),
                static_cast<int>(grid));
  m_timer.statusText = text;
  if (m_window) m_window->NotifyHostValues(kHostStatusKind, kTimingPane, apply, grid, text, L"");
}
