// The trading view's services for its dialogs and child views: switches, the current stock,
// stock selection, AI analysis, alert sounds, the grid menu's presets, dialog show and hide,
// the waiting popup, the code-update thread and the options' hand-over.

#include <wx/timer.h>

#include <cstring>

#include "platform/support/TextConv.h"
#include "plugin/view/engine/TextFormat.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/RecommendComposer.h"
#include "plugin/community/WebPages.h"
#include "plugin/community/WebText.h"
#include "platform/support/HttpForm.h"
#include "shared/AppRunSetting.h"
#include "plugin/community/WebLogin.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/StockRecord.h"
#include "shared/LoginInfo.h"

namespace {

constexpr int kSelectTimerId = 10;
constexpr int kSelectTimerMs = 100;
constexpr DWORD kCodeUpdateStopMs = 3000;

}  // namespace

void CPelomarView::SetAutoBuy(int on) {
  m_autoBuy = on;
  m_engine->SetAutoBuy(on != 0);
}

void CPelomarView::SetAccountLoginFlags(int autoLogin, int savePassword) {
  if (autoLogin >= 0) {
    if (autoLogin)
      m_loginFlags |= LOGIN_FLAG_AUTO;
    else
      m_loginFlags &= ~LOGIN_FLAG_AUTO;
  }
  if (savePassword >= 0) {
    if (savePassword)
      m_loginFlags |= LOGIN_FLAG_SAVE_PASSWORD;
    else
      m_loginFlags &= ~LOGIN_FLAG_SAVE_PASSWORD;
  }
}

int CPelomarView::SetCurStock(uint8_t market, const std::wstring& code) {
  m_curStockChanged = market != m_curStockMarket || code != m_curStockCode;
  m_curStockMarket = code.empty() ? 0 : market;
  m_curStockCode = code;
  if (code.empty()) return m_curStockChanged ? 1 : 0;
  return m_engine->RebuildQuoteLists(market, 1);
}

void CPelomarView::RequestStockSelect(int, const wchar_t* code, int) {
  m_pendingStockCode = code ? code : L"";
  if (!m_selectTimer) {
    m_selectTimer = std::make_unique<wxTimer>(this, kSelectTimerId);
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
          // The pending stock becomes the current one and its all-stock row is selected.
          const std::wstring code = m_pendingStockCode;
          if (code.empty()) return;
          orv::ui::CMyReportCtrl* grid = Grid(IDC_ALL_STOCK_GRID);
          if (!grid) return;
          for (int r = 0; r < grid->GetRowCount(); ++r) {
            auto* row = dynamic_cast<CStockRecord*>(grid->GetRowRecord(r));
            if (row && row->GetStockCode() == code) {
              SetCurStock(row->GetStockMarket(), code);
              grid->SelectRow(r);
              break;
            }
          }
        },
        kSelectTimerId);
  }
  m_selectTimer->StartOnce(kSelectTimerMs);
}

void CPelomarView::RequestAiAnalysis(uint8_t market, const std::wstring& code) {
  if (code.empty()) return;
  m_engine->RequestAiAnalysis(market, code);
}

AlertSound_s* CPelomarView::QueueAlertSound(int index, uint8_t flag) {
  std::vector<AlertSound_s>& sounds = m_engine->AlertSounds();
  if (index < 0 || index >= static_cast<int>(sounds.size())) return nullptr;
  AlertSound_s& sound = sounds[static_cast<size_t>(index)];
  if (!sound.path.empty()) sound.queued = flag;
  return &sound;
}

void CPelomarView::ShowOrderPopup(bool show, bool centre) {
  if (!m_orderPopup) return;
  if (show && centre) m_orderPopup->CenterWindow();
  m_orderPopup->ShowWindow(show);
}

void CPelomarView::ShowCafeDlg(bool show, int flag, int tab) {
  if (!m_cafeDialog) return;
  if (show)
    m_cafeDialog->ShowDialog(this, false, flag != 0, tab < 0 ? 0 : tab);
  else
    m_cafeDialog->HideDialog();
}

void CPelomarView::ShowCafeRecommendDlg(bool show, uint8_t market, const std::wstring& code,
                                        int kind, int tab) {
  if (!m_cafeDialog) return;
  if (!show) {
    m_cafeDialog->HideDialog();
    return;
  }
  if (!code.empty()) m_cafeDialog->SetRecommendItem(market, code, kind);
  // A negative tab keeps the page the dialog shows.
  m_cafeDialog->ShowDialog(this, false, true, tab);
}

void CPelomarView::ShowStockMonDlg(bool show) {
  if (!m_stockBoard) return;
  if (show)
    m_stockBoard->ShowDialog(this, false, true, 0);
  else
    m_stockBoard->HideDialog();
}

void CPelomarView::ShowAccountDialog(bool show) {
  if (!m_accountDialog) return;
  if (show)
    m_accountDialog->ShowDialog(this, false, false, 0);
  else
    m_accountDialog->HideDialog();
}

void CPelomarView::RequestAccountRefresh() { m_engine->SetWorkEvent(EngineWorker::kAccount); }

void CPelomarView::ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary) {
  m_accountSummary = summary;
  if (m_orderPanel) {
    m_orderPanel->ShowAccountSummary(summary, 1);
    m_orderPanel->SetServerMode(ServerFlags(), nullptr);
  }
  if (m_accountDialog && summary) {
    std::wstring options;
    for (size_t i = 0; i < summary->accounts.size(); ++i)
      options += std::to_wstring(i + 1) + L":" + summary->accounts[i].label + L";";
    m_accountDialog->SetAccountListText(options, L"");
  }
}

int CPelomarView::SetAccountPassword(const std::wstring& account, const std::wstring& password,
                                     const std::wstring&, int, int autoLogin, int savePassword) {
  if (password.empty()) return 0;
  if (m_engine->SetAccountPassword(account.c_str(), password.c_str(), autoLogin, savePassword) ==
      0)
    return 0;
  SetAccountLoginFlags(autoLogin, savePassword);
  return 1;
}

int CPelomarView::SetPasswordForAllAccounts(const std::wstring& password, const std::wstring&,
                                            int) {
  return m_engine->SetPasswordForAllAccounts(password.c_str());
}

std::wstring CPelomarView::SignedInUserId() const {
  if (!m_pLoginInfo || m_pLoginInfo->nUserIdx <= 0) return std::wstring();
  if (m_loginEngine && !m_loginEngine->WebLogin().m_userId.empty())
    return m_loginEngine->WebLogin().m_userId;
  return m_pLoginInfo->szUserId;
}

uint32_t CPelomarView::ServerFlags() const {
  return m_loginEngine ? m_loginEngine->WebLogin().m_loginFlags : m_loginFlags;
}

void CPelomarView::ShowStockCfgDlg(bool show, bool reload) {
  if (!m_settingsDialog) return;
  stock_option_s& options = m_engine->Options();
  m_settingsDialog->SetOptions(&options, m_engine->OptionsDb());
  m_settingsDialog->SetOwnerWnd(this, false);
  m_settingsDialog->FillSelectorConstraints(&m_engine->Accounts(), 0);
  if (reload) {
    m_engine->LoadStockOption();
    ApplyStockOptions(true);
    options.split_sell_amount_won =
        options.split_sell_amount > 0 ? options.split_sell_amount * 10000.0
                                      : static_cast<double>(options.split_sell_amount);
  }
  // The dialog offers 10 to 20 seconds between split orders.
  if (options.split_sell_interval < 5) options.split_sell_interval = 10;
  if (options.split_sell_interval > 20) options.split_sell_interval = 20;
  options.buy_condition_sets = options.sell_condition_sets = 0;
  if (show)
    m_settingsDialog->ShowDialog(this, false, true, 0);
  else
    m_settingsDialog->HideDialog();
}

void CPelomarView::ShowStockChartDlg(uint8_t market, const std::wstring& code) {
  if (!m_chartDialog) return;
  m_chartDialog->SetStock(market, code);
  // The engine hands the stock's bars over through the dispatcher; the dialog draws them then.
  if (m_engine) m_engine->PublishStockChart(market, code.c_str());
  m_chartDialog->ShowDialog(this, false, false, 0);
}

void CPelomarView::ShowStairWatchDlg(const HoldingKey_s& key) {
  if (!m_stairWatchDialog || !m_engine) return;
  HoldingRow_s holding;
  if (!m_engine->SnapshotHeldHolding(key, &holding)) {
    orv::win::MessageBox(WideToUtf8(L"보유 중인 종목이 아닙니다."), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  m_stairWatchDialog->SetHolding(holding);
  m_stairWatchDialog->SetStockCount(m_engine->HeldHoldingCount());
  m_stairWatchDialog->ShowDialog(this, false, false, 0);
}

bool CPelomarView::ApplyStairRules(const HoldingKey_s& key, const AutoStopLossRates_s& rates) {
  HoldingRow_s holding;
  if (!m_engine || !m_engine->ApplyStairRulesToHolding(key, rates, &holding)) return false;
  orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID);
  CRurezOzadoResultRecord* row = m_holdingsRows ? m_holdingsRows->RowOf(key) : nullptr;
  if (grid && row) {
    row->SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, false);
    row->SetItemTextColor(CRurezOzadoResultRecord::kColAutoTrade, kAutoTradeOffColour);
    row->SetNumberValue(CRurezOzadoResultRecord::kColMinProfit, holding.minTakeProfit);
    SetStopLossCell(*row, holding.stopLossRate);
    row->SetNumberValue(CRurezOzadoResultRecord::kColStepInterval, holding.stepWidth);
    grid->NoteRecordChanged(row);
    grid->RedrawControl();
  }
  return true;
}

bool CPelomarView::StartHoldingAutoTrade(const HoldingKey_s& key) {
  if (!m_engine || !m_engine->SetHoldingAutoTrade(key, true)) return false;
  orv::ui::CMyReportCtrl* grid = Grid(IDC_MY_STOCK_GRID);
  CRurezOzadoResultRecord* row = m_holdingsRows ? m_holdingsRows->RowOf(key) : nullptr;
  if (grid && row) {
    row->SetCheckValue(CRurezOzadoResultRecord::kColAutoTrade, true);
    row->SetItemTextColor(CRurezOzadoResultRecord::kColAutoTrade, kAutoTradeOnColour);
    grid->NoteRecordChanged(row);
    grid->RedrawControl();
  }
  return true;
}

void CPelomarView::ShowWaitingPopup(bool show, const wchar_t* message, const wchar_t* caption,
                                    DWORD) {
  if (!show) {
    HideWaitingWnd();
    return;
  }
  ShowWaitingWnd(caption ? caption : L"", message ? message : L"");
}

int CPelomarView::StartCodeUpdateThread(bool ask) {
  const bool running = m_engine->CodeUpdateRunning();
  if (ask) {
    const std::string question =
        running ? "Stop Thread?\n\nStop?" : WideToUtf8(L"종목 코드를 업데이트 할까요 ?");
    if (orv::win::MessageBox(question, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  }
  if (running) {
    m_engine->StopCodeUpdateThread(kCodeUpdateStopMs);
    return 2;
  }
  return m_engine->StartCodeUpdateThread() ? 1 : 0;
}

void CPelomarView::ApplyStockOptions(bool refreshCombo) {
  const stock_option_s& options = m_engine->Options();
  m_sellOneByOne = options.sell_one_by_one;
  m_splitOrderBase = options.split_sell_amount;
  m_splitOrderWon = static_cast<int>(options.split_sell_amount_won);
  m_splitInterval = options.split_sell_interval;
  m_splitIntervalMs = options.split_sell_interval * 1000;
  if (refreshCombo) UpdateUiModeVisibility(nullptr, true);
}

// ---------------------------------------------------------------------------------------
// Orders of the order dialogs: lookups copy under the view lock; orders go out from the
// engine's order worker and their replies come back here through the dispatcher.

CPelomarView::OrderStock_s CPelomarView::FindOrderStock(int market, const std::wstring& text) {
  OrderStock_s out;
  if (text.empty()) return out;
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  CStockLists& lists = m_engine->Stocks();
  const uint8_t kind = static_cast<uint8_t>(market > 0 ? market : 1);
  Stock_s* stock = lists.FindStockByCode(kind, text.c_str(), nullptr, true, nullptr);
  if (!stock) {
    Stock_s* named = lists.FindStockByName(text.c_str(), nullptr, 0);
    if (named && named->market == kind) stock = named;
  }
  if (!stock) return out;
  out.found = true;
  out.market = stock->market;
  out.code = stock->code;
  out.name = stock->name;
  out.price = stock->cur_price;
  return out;
}

RecStock_s CPelomarView::FindRecommendStock(int market, const std::wstring& text) {
  RecStock_s out;
  if (text.empty()) return out;
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  CStockLists& lists = m_engine->Stocks();
  const uint8_t kind = static_cast<uint8_t>(market > 0 ? market : 1);
  const Stock_s* stock = lists.FindStockByCode(kind, text.c_str(), nullptr, true, nullptr);
  if (!stock) stock = lists.FindStockByName(text.c_str(), nullptr, 0);
  if (!stock) return out;
  out.found = true;
  out.market = stock->market;
  out.marketLetter = stock->market_letter;
  out.nation = stock->nation;
  out.nationCode.assign(stock->nation_code, strnlen(stock->nation_code, sizeof stock->nation_code));
  out.code = stock->code;
  out.name = stock->name;
  out.curPrice = stock->cur_price;
  out.changeRate = stock->change_rate;
  return out;
}

double CPelomarView::StockPriceOf(int market, const std::wstring& code) {
  if (code.empty()) return 0;
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  Stock_s* stock = m_engine->Stocks().FindStockByCode(static_cast<uint8_t>(market), code.c_str(),
                                                      nullptr, false, nullptr);
  return stock ? stock->cur_price : 0;
}

std::vector<std::wstring> CPelomarView::AccountLabels() {
  std::vector<std::wstring> labels;
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  for (const auto& entry : m_engine->Accounts())
    if (entry.second) labels.push_back(entry.first);
  return labels;
}

bool CPelomarView::HasAccount(const std::wstring& label) {
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  return m_engine->FindAccount(label.c_str()) != nullptr;
}

int CPelomarView::PlaceOrderForStock(const OrderStock_s& stock, UserOrder_s order,
                                     std::function<void(const UserOrderReply_s&)> done) {
  if (!stock.found || stock.code.empty()) return -1;
  COrderSender* sender = m_engine->OrderSender();
  if (!sender) return -1;
  order.market = stock.market;
  order.code = stock.code;
  return sender->Send(order, std::move(done)) ? 0 : -1;
}

bool CPelomarView::PlaceOrderByCode(const std::wstring& code, UserOrder_s order,
                                    std::function<void(const UserOrderReply_s&)> done) {
  OrderStock_s stock;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    CStockLists& lists = m_engine->Stocks();
    Stock_s* found = lists.FindStockByCode(static_cast<uint8_t>(order.market), code.c_str(),
                                           nullptr, true, nullptr);
    for (uint8_t market : {kMarketDomestic, kMarketOverseas, kMarketThird, kMarketCoin,
                           kMarketCoinBtc}) {
      if (found) break;
      found = lists.FindStockByCode(market, code.c_str(), nullptr, true, nullptr);
    }
    if (!found) return false;
    stock.found = true;
    stock.market = found->market;
    stock.code = found->code;
    stock.name = found->name;
    stock.price = found->cur_price;
  }
  return PlaceOrderForStock(stock, std::move(order), std::move(done)) == 0;
}

void CPelomarView::OpenOrderPopup(int side, uint8_t market, const wchar_t* code, double quantity,
                                  double) {
  const OrderStock_s stock = FindOrderStock(market, code ? code : L"");
  if (!stock.found) {
    orv::win::MessageBox("종목을 선택해 주세요", "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  SetCurStock(stock.market, stock.code);
  if (!m_orderPopup) return;
  m_orderPopup->SetOrderForm(stock.market, L"", stock.code, side, quantity, 1, 0, 1);
  ShowOrderPopup(true, false);
}

int CPelomarView::PresetOrderPanel(int side, uint8_t market, const wchar_t* code,
                                   double quantity, double price) {
  // The panel shows only in the host's account pane: while that pane is closed (or the host
  // gave none) the order dialog takes the stock instead, so the user sees what to order.
  wxWindow* pane = m_containerGiven[1] ? m_containers[1] : nullptr;
  if (!m_orderPanel || !pane || !pane->IsShownOnScreen()) {
    OpenOrderPopup(side, market, code, quantity, price);
    return 0;
  }
  const OrderStock_s stock = FindOrderStock(market, code ? code : L"");
  OrderFormPreset_s preset;
  preset.stockFound = stock.found;
  preset.market = stock.market;
  preset.stockCode = stock.code;
  preset.stockName = stock.name;
  preset.stockPrice = stock.price;
  preset.side = side;
  preset.code = stock.found ? stock.code : std::wstring(code ? code : L"");
  preset.name = stock.name;
  preset.quantity = quantity;
  preset.price = price;
  return m_orderPanel->SetOrderForm(preset);
}

bool CPelomarView::PriceSimulationRunning() const {
  return m_engine->m_simulationRunning.load() != 0;
}

void CPelomarView::StopPriceSimulation() { m_engine->m_simulationRunning.store(0); }

double CPelomarView::SplitBuyAmountWon() const {
  return m_engine->Options().split_buy_amount_won;
}

bool CPelomarView::CreditBuyAllowed() const { return m_engine->Options().credit_buy != 0; }

void CPelomarView::StockPageUrls(int market, const std::wstring& code, std::wstring* portal,
                                 std::wstring* comments) {
  if (portal) portal->clear();
  if (comments) comments->clear();
  if (!m_webPages) return;
  if (comments) m_webPages->MakeAiCommentUrl(comments);
  if (!portal) return;
  std::string url, urlNoSuffix, suffix;
  orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
  Stock_s* stock = m_engine->Stocks().FindStockByCode(static_cast<uint8_t>(market), code.c_str(),
                                                      nullptr, false, nullptr);
  if (stock) m_webPages->MakeStockPageUrls(stock, &url, &urlNoSuffix, &suffix, portal);
}

void CPelomarView::OpenOrderHelpPage() {
  if (!m_pRunSetting) return;
  const app_run_setting_s& run = *m_pRunSetting;
  const std::string script = MakeScriptUrl(run, L"bbs/list");
  if (script.empty()) return;
  const std::string url = StrPrintf(
      "%s?co=%d&agc=%d&ct=10&bcd=%s&gdp=%d&deployer=%d&apk=%s&uidx=%d&b2b=stock&tk=%s",
      script.c_str(), run.nCompanyNo, m_agencyIndex, "manual", run.nGdp, run.nDeployer,
      StrUrlEncodeA(WideToUtf8(run.szWebApiKey)).c_str(), m_pLoginInfo ? m_pLoginInfo->nUserIdx : 0,
      m_pLoginInfo ? StrUrlEncodeA(m_pLoginInfo->szToken).c_str() : "");
  SendNotifyMsgToMainFrame(16, 0, 0.0, 0.0, L"도움말", Utf8ToWide(url).c_str());
}

int CPelomarView::AiAnalysesLeft() const { return m_pLoginInfo ? m_pLoginInfo->nGptRemain : 0; }
