#include "plugin/view/PelomarLoginEngine.h"

#include <vector>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebLogin.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/StockRecord.h"
#include "shared/LoginInfo.h"

namespace {
constexpr uint8_t kMarketKindCoinLogin = 5;
constexpr char kStopLossRatesKey[] = "Stock-AutoStopLossRates";
}  // namespace

std::unique_ptr<CPelomarLoginEngine> CPelomarLoginEngine::Create(CPelomarView& view) {
  if (!view.m_pRunSetting || !view.m_pLoginInfo) return nullptr;
  std::unique_ptr<CPelomarLoginEngine> login(new CPelomarLoginEngine(view));
  login->Install();
  return login;
}

CPelomarLoginEngine::CPelomarLoginEngine(CPelomarView& view)
    : m_view(view),
      m_engine(view.Engine()),
      m_web(std::make_unique<CWebLogin>(*this, *view.m_pRunSetting, *view.m_pLoginInfo)) {}

CPelomarLoginEngine::~CPelomarLoginEngine() {
  // The handlers reach the web login: they go before it does.
  m_view.SetLoginHandlers(nullptr, nullptr);
}

void CPelomarLoginEngine::Install() {
  // Every web request of the plug-in verifies TLS with the program's CA file.
  GfxSetHttpCaCertFile(WideToUtf8(m_engine.ProgramFolder() + L"Settings/cacert.pem").c_str());
  m_web->SetCurl(m_engine.UiCurl());
  CWebLogin* web = m_web.get();
  CPelomarEngine* engine = &m_engine;
  m_view.SetLoginHandlers(
      [web, engine](CPelomarView&, int kind, const wchar_t* const* t, const int* n, uint8_t flag,
                    int* outCode, wchar_t* outText) {
        const int result = CWebLogin::LoginCallback(web, kind, t[0], t[1], t[2], t[3], t[4], n[0],
                                                    n[1], n[2], n[3], flag, t[5], outCode, outText);
        // A logout asks whether to forget the stored login when the user chose automatic login.
        engine->SetAutoLoginOn(web->m_autoLogin != 0);
        return result;
      },
      [web](CPelomarView&, unsigned state, int value1, int value2, const wchar_t* text,
            void* data) {
        return CWebLogin::LoginNotifyCallback(web, state, value1, value2, text, data, nullptr,
                                              nullptr);
      });
}

int CPelomarLoginEngine::CheckServiceUser(CURL* curl, int brokerId, const char* clientName,
                                          const wchar_t* account) {
  return m_web->LoadServiceSettings(curl, brokerId, nullptr, clientName, account, nullptr, 0, 1,
                                    0);
}

void CPelomarLoginEngine::ForgetAutoLogin() { m_web->ForgetStoredLogin(); }

bool CPelomarLoginEngine::ReadSessionBounds(int* hhmm6) const {
  // SessionBounds_s order: regular start and end, morning start, evening start, morning end,
  // evening end.
  const int order[6] = {2, 3, 0, 4, 1, 5};
  for (int i = 0; i < 6; ++i) hhmm6[i] = m_schedule.Domestic(order[i]);
  return true;
}

int CPelomarLoginEngine::DeleteAllStockAgents() { return m_engine.DeleteAllStockAgents(); }

CStockAgentBase* CPelomarLoginEngine::GetStockAgent(int marketKind, int brokerId, int instance) {
  return m_engine.GetStockAgent(static_cast<uint8_t>(marketKind), static_cast<uint8_t>(brokerId),
                                instance, nullptr, nullptr);
}

void CPelomarLoginEngine::SetPrimaryAgent(CStockAgentBase* agent) {
  AgentRoles_s& roles = m_engine.AgentRoles();
  roles.primary = agent;
  roles.marketData = agent;
  roles.currentLogin = agent;
}

void CPelomarLoginEngine::ClearDefaultAgents() {
  AgentRoles_s& roles = m_engine.AgentRoles();
  roles.defaultDomestic = nullptr;
  roles.overseas = nullptr;
  roles.firstCoin = nullptr;
}

void CPelomarLoginEngine::SetDefaultAgent(int marketKind, CStockAgentBase* agent) {
  AgentRoles_s& roles = m_engine.AgentRoles();
  if (marketKind == 1) {
    roles.defaultDomestic = agent;
    roles.data = agent;
    roles.marketData = agent;
    roles.currentLogin = agent;
  } else if (marketKind == 2) {
    roles.overseas = agent;
    roles.firstOverseas = agent;
  } else if (marketKind == kMarketKindCoinLogin) {
    roles.firstCoin = agent;
  }
}

void CPelomarLoginEngine::SetOverseasMode() {
  m_engine.TimerState().overseasAutoSwitch = 1;
  m_engine.TimerState().shownNation = 2;
}

int CPelomarLoginEngine::LoginBrokerAgents(CURL* curl, int loginSwitch) {
  return m_engine.LoginBrokerAgents(curl, loginSwitch);
}

stock_option_s& CPelomarLoginEngine::Options() { return m_engine.Options(); }

sqlite3* CPelomarLoginEngine::PluginDb() { return m_engine.OptionsDb(); }

void CPelomarLoginEngine::SetMasterCodeEvent() {
  // The tick starts the 30-second account wake only for a user the view knows.
  m_engine.TimerState().viewUserIndex = m_view.m_pLoginInfo ? m_view.m_pLoginInfo->nUserIdx : 0;
  m_engine.m_quotePolling.store(1);
  m_engine.RestartQuoteWebSockets(m_engine.AgentRoles().primary);
  m_engine.SetWorkEvent(EngineWorker::kMasterCode);
}

void CPelomarLoginEngine::ClearBalanceQueryArea() { m_engine.m_accountRefresh.store(0); }

int CPelomarLoginEngine::ApplyAutoStopLossRates() {
  const int userIdx = m_view.m_pLoginInfo ? m_view.m_pLoginInfo->nUserIdx : 0;
  orv::ui::CMyReportCtrl* grid = m_view.Grid(IDC_MY_STOCK_GRID);
  if (userIdx == 0 || !grid) return 0;
  const std::wstring text = AutoStopLossRatesInForce(Utf8ToWide(m_web->m_stopLossRates));
  // The engine applies the table under its lock and hands back copies of the holdings it
  // changed; their rows show the new levels with automatic trading off.
  std::vector<HoldingRow_s> changed;
  const int applied = m_engine.ApplyAutoStopLossRates(ParseAutoStopLossRates(text), &changed);
  if (CHoldingsGrid* rows = m_view.HoldingsRows()) {
    for (const HoldingRow_s& holding : changed) {
      CRurezOzadoResultRecord* row = rows->RowOf(holding.key);
      if (!row) continue;
      row->SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, false);
      row->SetNumberValue(CRurezOzadoResultRecord::kColMinProfit, holding.minTakeProfit);
      SetStopLossCell(*row, holding.stopLossRate);
      row->SetNumberValue(CRurezOzadoResultRecord::kColStepInterval, holding.stepWidth);
      grid->NoteRecordChanged(row);
    }
  }
  // The table in force is kept for the user (under the key the login reads it from).
  m_web->m_stopLossRates = WideToUtf8(text);
  REG_WRITE_TEXT_VALUE_UIDX("Settings", kStopLossRatesKey, m_web->m_agencyIdx, userIdx,
                            m_web->m_stopLossRates);
  grid->RedrawControl();
  return applied;
}

int CPelomarLoginEngine::DoRefresh() {
  // Logged in: the trading items of the toolbar and grid are shown.
  m_view.UpdateUiModeVisibility(nullptr, true);
  return m_view.RefreshWindow(0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0);
}

void CPelomarLoginEngine::ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t* caption,
                                           DWORD timeoutMs) {
  if (IEngineWindow* window = m_engine.Window())
    window->ShowWaitingPopup(show, text, caption, timeoutMs);
}

void CPelomarLoginEngine::SetNoticeText(const wchar_t* text) { m_view.SetPanelNotice(text); }

void CPelomarLoginEngine::SetAccountLabels(const wchar_t* stateText) {
  if (CPelomarOrderWindow* panel = m_view.OrderPanel())
    panel->SetAccountLabels(nullptr, stateText ? stateText : L"", 0, 0);
}

void CPelomarLoginEngine::RefreshCafe() {}

intptr_t CPelomarLoginEngine::SendNotifyMsgToMainFrame(int kind, int code, double val1, double val2,
                                                       const wchar_t* text1, const wchar_t* text2,
                                                       int slot) {
  return m_view.SendNotifyMsgToMainFrame(kind, code, val1, val2, text1, text2, nullptr, 0, 0,
                                         &m_view, &CPelomarView::LoginNotifyCallback, slot);
}

int CPelomarLoginEngine::RunMainFrameFunction(int fn, int num1, int num2, const wchar_t* text1,
                                              const wchar_t* text2, const wchar_t* text3,
                                              wchar_t* buf, uint32_t flags, int num3) {
  return m_view.RunMainFrameFunction(fn, num1, num2, text1, text2, text3, buf, nullptr, flags, num3,
                                     m_web.get(), &CWebLogin::LoginCallback,
                                     &CWebLogin::LoginNotifyCallback);
}
