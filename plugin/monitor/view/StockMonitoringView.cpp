#include "plugin/monitor/view/StockMonitoringView.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcbuffer.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/tglbtn.h>
#include <wx/button.h>
#include <wx/weakref.h>
#include <wx/wrapsizer.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "platform/support/TextConv.h"
#include "platform/ui/Dispatcher.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportNotify.h"
#include "platform/ui/model/ReportRecord.h"
#include "platform/win/Clock.h"
#include "platform/win/CriticalSection.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebLogin.h"
#include "plugin/rows/FilteredStockRecord.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/OrderSender.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockOption.h"
#include "shared/StockRecords.h"

namespace {

constexpr char kSettingsSection[] = "Settings";
// The worker asks the window to repopulate the grid.
constexpr UINT kMsgRefreshGrid = WM_APP + 0x52;
// The scan hands over its progress and its finished pass.
constexpr UINT kMsgScanProgress = WM_APP + 0x53;
constexpr UINT kMsgScanPass = WM_APP + 0x54;
// The condition-search bookkeeping hands over grid changes and an alert.
constexpr UINT kMsgConditionRows = WM_APP + 0x55;
constexpr UINT kMsgConditionAlert = WM_APP + 0x56;
constexpr UINT kMsgConditionList = WM_APP + 0x57;

wxColour FromColorRef(uint32_t bgr) {
  return wxColour(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A progress bar that writes its percentage (or its caption before the first position) over
// the bar.
class CTextProgress : public wxWindow {
 public:
  CTextProgress(wxWindow* parent, int id, const wxSize& size)
      : wxWindow(parent, id, wxDefaultPosition, size, wxBORDER_SIMPLE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { Paint(); });
  }
  void SetRange(int low, int high) {
    low_ = low;
    high_ = std::max(high, low + 1);
    Refresh();
  }
  void SetPos(int pos) {
    pos_ = pos;
    started_ = true;
    Refresh();
  }
  void SetCaption(const wxString& caption) {
    caption_ = caption;
    Refresh();
  }
  wxSize DoGetBestSize() const override { return GetSize(); }

 private:
  void Paint() {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    const double ratio = std::clamp(double(pos_ - low_) / double(high_ - low_), 0.0, 1.0);
    dc.SetBrush(wxBrush(FromColorRef(0x99BBED)));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, static_cast<int>(size.x * ratio), size.y);
    const wxString text = started_ ? wxString::Format("%.0f%%", ratio * 100.0) : caption_;
    dc.SetFont(wxFontInfo(wxSize(0, std::max(10, size.y - 6))).FaceName("Arial"));
    const wxSize extent = dc.GetTextExtent(text);
    dc.DrawText(text, (size.x - extent.x) / 2, (size.y - extent.y) / 2);
  }
  int low_ = 0;
  int high_ = 100;
  int pos_ = 0;
  bool started_ = false;
  wxString caption_ = "----";
};

// A row is made from a copy of the stock: it keeps the stock's market and code, never the
// engine's record.
Stock_s RowStock(const ScanStock_s& found) {
  Stock_s copy;
  copy.market = found.market;
  copy.market_letter = found.marketLetter;
  std::wcsncpy(copy.code, found.code.c_str(), kStockCodeLen);
  copy.signal_score = found.signalScore;
  copy.signal_score_prev = found.signalScorePrev;
  copy.secondary_score = found.secondaryScore;
  copy.secondary_score_prev = found.secondaryScorePrev;
  return copy;
}

FilteredStockValues RowValues(const ScanStock_s& found) {
  FilteredStockValues values;
  values.curPrice = found.curPrice;
  values.changeRate = found.changeRate;
  return values;
}

// The height a wrapping bar needs over `width`.
int WrappedHeight(wxPanel* bar, int width) {
  if (!bar || !bar->GetSizer()) return 0;
  wxSizer* sizer = bar->GetSizer();
  sizer->SetDimension(0, 0, width, 4000);
  int bottom = 0;
  for (wxSizerItem* item : sizer->GetChildren())
    if (item->IsShown()) bottom = std::max(bottom, item->GetRect().GetBottom() + 1);
  return bottom + 2;
}

}  // namespace

CStockMonitoringView::CStockMonitoringView(CPelomarView& view, int id)
    : m_view(view), m_idText(MonitorViewIdText(id)) {
  RecomputeLimits();
}

CStockMonitoringView::~CStockMonitoringView() { DestroyView(); }

int CStockMonitoringView::UserIndex() const {
  return m_view.Engine().TimerState().viewUserIndex;
}

bool CStockMonitoringView::SignedIn() const {
  const login_info_s* login = m_view.LoginInfo();
  return login && login->nUserIdx != 0;
}

bool CStockMonitoringView::AutoTradeAllowed() const {
  CPelomarLoginEngine* login = m_view.LoginEngine();
  return login && login->WebLogin().m_autoTradeAllowed != 0;
}

bool CStockMonitoringView::HasBrokerAgent() const {
  // The agents are made anew by every login: the view asks for one when the command comes
  // instead of keeping a pointer the next login would leave dangling.
  return m_view.Engine().AgentRoles().primary != nullptr;
}

void CStockMonitoringView::RecomputeLimits() {
  orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
  const stock_option_s& options = m_view.Engine().Options();
  m_perStockLimitWon = LimitWon(options.per_stock_buy_limit);
  m_dailyLimitWon = LimitWon(options.daily_buy_limit);
}

bool CStockMonitoringView::CreateView(const wchar_t* className, DWORD style, const RECT& rect,
                                      wxWindow* parent, UINT id) {
  if (!parent || m_panel) return false;
  m_panel = new wxPanel(parent, static_cast<int>(id), wxPoint(rect.left, rect.top),
                        wxSize(rect.right - rect.left, rect.bottom - rect.top),
                        wxTAB_TRAVERSAL | wxCLIP_CHILDREN,
                        className ? wxString(className) : wxString("CStockMonitoringView"));
  m_panelRef = m_panel;
  m_panel->Show((style & WS_VISIBLE) != 0);
  OnInitialUpdate();
  return true;
}

wxWindow* CStockMonitoringView::GetWindow() { return m_panel; }

void CStockMonitoringView::OnInitialUpdate() {
  const double scale = m_view.Scale();
  m_panel->SetFont(wxFontInfo(wxSize(0, static_cast<int>(std::lround(12 * scale)))));
  RecomputeLimits();
  MonitorSettings_s settings{m_writeLog, m_mode};
  LoadMonitorSettings(UserIndex(), &settings);
  m_writeLog = settings.writeRealTimeLog;
  m_mode = settings.mode;
  BuildToolbars();
  BuildForm();
  FillCombos();

  m_gridWindow = orv::ui::GfxInitReportCtrl2(m_grid, m_panel, IDC_MONITOR_GRID,
                                             Utf8ToWide(kFilteredStockGridLayout));
  if (m_gridWindow) {
    m_grid.SetCtrlId(IDC_MONITOR_GRID);
    // Of the 54 columns the last two are hidden.
    m_grid.ShowColumn(kFilteredStockColumns - 2, false);
    m_grid.ShowColumn(kFilteredStockColumns - 1, false);
    BindConditionColumn();
    std::weak_ptr<bool> alive = m_alive;
    m_grid.SetNotifyHandler([this, alive](orv::ui::ReportNotify& nm) -> LRESULT {
      return alive.lock() ? OnGridNotify(nm) : 0;
    });
  }

  m_sink = std::make_unique<orv::ui::MessageTarget>();
  m_sink->OnMessage(kMsgRefreshGrid, [this](WPARAM, LPARAM) -> LRESULT {
    m_grid.Populate();
    m_grid.RedrawControl();
    return 0;
  });
  m_sink->OnMessage(kMsgScanProgress, [this](WPARAM, LPARAM) -> LRESULT {
    ScanProgress_s progress;
    if (m_mailbox->TakeProgress(&progress)) ShowScanProgress(progress);
    return 0;
  });
  m_sink->OnMessage(kMsgScanPass, [this](WPARAM, LPARAM) -> LRESULT {
    ScanPassResult_s pass;
    if (m_mailbox->TakePass(&pass)) ShowScanPass(pass);
    return 0;
  });
  const HWND sink = m_sink->GetSafeHwnd();
  CPelomarView* owner = &m_view;
  m_thread = std::make_unique<CMonitoringThread>(
      [owner] {
        const app_run_setting_s* run = owner->RunSetting();
        return !run || __atomic_load_n(&run->nAppRunning, __ATOMIC_RELAXED) != 0;
      },
      [sink] { orv::ui::PostMessage(sink, kMsgRefreshGrid); });
  m_thread->mode.store(m_mode);
  // The scan runs on the worker: it copies the master list under the engine's lock, calls
  // the module with no lock held and hands its copies to this window through the mailbox.
  CMonitoringThread* worker = m_thread.get();
  CPelomarEngine* engine = &m_view.Engine();
  std::shared_ptr<CScanMailbox> mailbox = m_mailbox;
  CMarketScan::Hooks hooks;
  hooks.readMaster = [engine] { return CMarketScan::CopyMaster(*engine); };
  hooks.signal = [engine](int kind, bool flag, const double (&params)[kSignalParamCount],
                          double* out) { return engine->CalcTradeSignal(kind, flag, params, out); };
  hooks.storeScores = [engine](const ScanStock_s& stock) {
    CMarketScan::StoreScores(*engine, stock);
  };
  hooks.going = [worker] { return worker->Going(); };
  hooks.pause = [worker](DWORD ms) { return worker->Pause(ms); };
  hooks.settings = [engine](double* perOrder, double* checkInterval) {
    orv::win::CSingleLock lock(&engine->ViewLock(), TRUE);
    *perOrder = engine->Options().per_order_limit;
    *checkInterval = engine->Options().split_buy_interval_ms;
  };
  hooks.progress = [mailbox, sink](const ScanProgress_s& progress) {
    mailbox->PutProgress(progress);
    orv::ui::PostMessage(sink, kMsgScanProgress);
  };
  hooks.finished = [mailbox, sink](const ScanPassResult_s& pass) {
    mailbox->PutPass(pass);
    orv::ui::PostMessage(sink, kMsgScanPass);
  };
  m_scan = std::make_unique<CMarketScan>(std::move(hooks));

  // The condition searches: stocks copied from the master list under the engine's lock, grid
  // changes handed to this window in order.
  m_sink->OnMessage(kMsgConditionRows, [this](WPARAM, LPARAM) -> LRESULT {
    ApplyConditionRows(m_rowQueue->TakeAll());
    return 0;
  });
  m_sink->OnMessage(kMsgConditionAlert, [this](WPARAM, LPARAM) -> LRESULT {
    m_view.QueueAlertSound(2, 1);
    return 0;
  });
  m_sink->OnMessage(kMsgConditionList, [this](WPARAM, LPARAM) -> LRESULT {
    for (const ConditionList_s& loaded : m_conditionLists->TakeAll()) ShowConditionList(loaded);
    return 0;
  });
  ConditionHooks_s conditionHooks;
  conditionHooks.findStock = [engine](const std::wstring& code, ScanStock_s* out) {
    orv::win::CSingleLock lock(&engine->ViewLock(), TRUE);
    const Stock_s* stock = engine->Stocks().Master().Find(code.c_str());
    if (!stock || stock->market != kMarketDomestic) return false;
    *out = CMarketScan::CopyStock(*stock);
    return true;
  };
  conditionHooks.setPrice = [engine](const std::wstring& code, double price) {
    orv::win::CSingleLock lock(&engine->ViewLock(), TRUE);
    if (Stock_s* stock = engine->Stocks().Master().Find(code.c_str())) stock->cur_price = price;
  };
  conditionHooks.config = [engine, worker] {
    ConditionConfig_s config;
    config.mode = worker->mode.load();
    orv::win::CSingleLock lock(&engine->ViewLock(), TRUE);
    const stock_option_s& options = engine->Options();
    const MonitorRules_s rules = RulesOf(options);
    config.requiredCount = RequiredConditions(rules);
    config.perStockLimitWon = LimitWon(options.per_stock_buy_limit);
    config.maxStocks = options.auto_buy_max_stocks;
    config.alert = options.expert_alert != 0;
    config.limits.riseLimit = options.auto_buy_rise_limit;
    config.limits.orderStart = options.buy_start_time;
    config.limits.orderEnd = options.buy_end_time;
    config.limits.dailyLimitWon = LimitWon(options.daily_buy_limit);
    config.limits.waitMs = options.auto_buy_delay_ms;
    config.limits.checkIntervalMs = options.split_buy_interval_ms;
    config.autoBuyOn = worker->scanRunning.load() != 0;
    config.perOrderWon = options.per_order_limit;
    config.checkIntervalMs = options.split_buy_interval_ms;
    config.riseLimit = options.auto_buy_rise_limit;
    config.dailyLimitWon = LimitWon(options.daily_buy_limit);
    for (int slot = 0; slot < kConditionBuySlots; ++slot)
      config.buyConditions[slot] = options.buy_condition[slot];
    // The sell conditions are the first two names of the chosen sell list ("name;name;").
    const std::wstring sells = options.chosen_sell_conditions;
    size_t start = 0;
    for (int slot = 0; slot < kConditionSellSlots && start < sells.size(); ++slot) {
      size_t end = sells.find(L';', start);
      if (end == std::wstring::npos) end = sells.size();
      config.sellConditions[slot] = sells.substr(start, end - start);
      start = end + 1;
    }
    return config;
  };
  conditionHooks.alert = [sink] { orv::ui::PostMessage(sink, kMsgConditionAlert); };
  conditionHooks.stockOut = [engine](const std::wstring& code) {
    engine->OnMonitorStockOut(code.c_str());
  };
  std::shared_ptr<CConditionRowQueue> rowQueue = m_rowQueue;
  conditionHooks.rows = [rowQueue, sink](const ConditionRowAction_s& action) {
    rowQueue->Put(action);
    orv::ui::PostMessage(sink, kMsgConditionRows);
  };
  // Automatic orders go out through the order worker, once each; its reply comes back on this
  // window's thread.
  conditionHooks.placeOrder = [owner](const std::wstring& code, double quantity,
                                      std::function<void(AutoOrderOutcome)> done) {
    UserOrder_s order;
    order.market = kMarketDomestic;
    order.side = 1;
    order.credit = 1;
    order.quantity = quantity;
    order.price = 0;
    return owner->PlaceOrderByCode(code, order, [done](const UserOrderReply_s& reply) {
      switch (reply.outcome) {
        case OrderOutcome::kPlaced: done(AutoOrderOutcome::kPlaced); break;
        case OrderOutcome::kRefused: done(AutoOrderOutcome::kRefused); break;
        case OrderOutcome::kUnknown: done(AutoOrderOutcome::kUnknown); break;
        default: done(AutoOrderOutcome::kNotSent); break;
      }
    });
  };
  conditionHooks.isHeld = [engine](const std::wstring& code) {
    orv::win::CSingleLock lock(&engine->ViewLock(), TRUE);
    return engine->IsHeldStock(code.c_str()) != 0;
  };
  conditionHooks.log = [engine](const std::wstring& text) {
    engine->Logs().AddLogMsg(0, 5, 0, L"", text.c_str(), 0);
  };
  m_conditions = std::make_unique<CConditionSearch>(m_log, std::move(conditionHooks));
  // The broker's condition searches arrive on the quote thread; the view's entry points are
  // safe from any thread, and the feed is removed before they go.
  CPelomarEngine::ConditionFeed_s feed;
  CConditionSearch* conditions = m_conditions.get();
  feed.list = [this](const std::wstring& list) { LoadConditionList(list, true); };
  feed.result = [conditions](const std::wstring& matches, const std::wstring& name) {
    conditions->OnConditionSearchResult(matches, name);
  };
  feed.event = [conditions](const std::wstring& code, const std::wstring& type,
                            const std::wstring& name) {
    conditions->OnRealTimeConditionEvent(code, type, name);
  };
  engine->SetConditionFeed(std::move(feed));
  CMarketScan* scan = m_scan.get();
  m_thread->SetScanPass([scan, worker] { scan->ScanMarket(worker->mode.load()); });

  m_panel->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    LayOut();
    e.Skip();
  });
  m_panel->Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    if (e.IsShown()) OnShown();
    e.Skip();
  });
  // The container may take the window down first (the host's pane at its exit): the timers
  // that would reach it stop with it.
  m_panel->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& e) {
    if (e.GetEventObject() == m_panel) {
      if (m_refreshTimer) m_refreshTimer->Stop();
      m_summaryLabel = nullptr;
      m_panel = nullptr;
    }
    e.Skip();
  });
  m_refreshTimer = std::make_unique<wxTimer>(m_panel, MONITOR_TIMER_REFRESH);
  m_panel->Bind(wxEVT_TIMER, [this](wxTimerEvent& e) { OnTimer(e.GetId()); });
  OnShown();
  LayOut();
  UpdateSummary();
  StartBuyMonitoring(true, false);
}

void CStockMonitoringView::StartBuyMonitoring(bool start, bool ask) {
  if (!m_thread) return;
  const bool running = m_thread->Started();
  if (ask && !AskYesNo(running ? L"Stop Thread?\n\nStop?" : L"Start Buy Monitoring ?")) return;
  if (start && !running) {
    m_thread->Start();
    return;
  }
  // The worker is joined: nothing it reads may go before it has ended.
  m_thread->Stop();
}

void CStockMonitoringView::BuildToolbars() {
  const double scale = m_view.Scale();
  auto scaled = [scale](int w) { return static_cast<int>(std::lround(w * scale)); };
  auto bar = [this](int id) {
    auto* panel = new wxPanel(m_panel, id);
    panel->SetSizer(new wxWrapSizer(wxHORIZONTAL));
    return panel;
  };
  auto add = [](wxPanel* panel, wxWindow* control) {
    panel->GetSizer()->Add(control, 0, wxALIGN_CENTER_VERTICAL | wxALL, 1);
  };
  auto separator = [](wxPanel* panel) { panel->GetSizer()->AddSpacer(6); };
  auto combo = [&](wxPanel* panel, int id, const wchar_t* caption, const wchar_t* tip,
                   int width) {
    add(panel, new wxStaticText(panel, wxID_ANY, wxString(caption)));
    auto* choice = new wxChoice(panel, id, wxDefaultPosition, wxSize(scaled(width), -1));
    choice->SetToolTip(wxString(tip));
    add(panel, choice);
    return choice;
  };
  auto button = [&](wxPanel* panel, int id, const wchar_t* text) {
    auto* b = new wxButton(panel, id, wxString(text), wxDefaultPosition, wxDefaultSize,
                           wxBU_EXACTFIT);
    // The theme's padding would clip a short caption of an exactly fitted button.
    b->SetMinSize(wxSize(b->GetTextExtent(wxString(text)).x + scaled(18), -1));
    add(panel, b);
    return b;
  };

  m_mainBar = bar(IDR_MONITOR_MAIN_TOOLBAR);
  m_modeCombo = combo(m_mainBar, IDC_MONITOR_MODE_COMBO, L"모드", L"실시간 검색 모드", 110);
  m_autoBuy = new wxToggleButton(m_mainBar, IDC_MONITOR_AUTO_BUY, wxString(L"자동매수"),
                                 wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_autoBuy->SetMinSize(wxSize(m_autoBuy->GetTextExtent(wxString(L"자동매수")).x + scaled(18), -1));
  m_autoBuy->SetForegroundColour(FromColorRef(0x0000FF));
  add(m_mainBar, m_autoBuy);
  button(m_mainBar, IDC_MONITOR_HIDDEN, L"")->Hide();
  button(m_mainBar, IDC_MONITOR_SETTINGS, L"설정");
  separator(m_mainBar);
  auto* caption = new wxStaticText(m_mainBar, IDC_MONITOR_CAPTION, wxString("..."),
                                   wxDefaultPosition, wxSize(scaled(50), -1));
  caption->SetToolTip("...");
  add(m_mainBar, caption);
  separator(m_mainBar);
  m_moduleCombo = combo(m_mainBar, IDC_MONITOR_MODULE_COMBO, L"DLL", L"사용자 DLL 선택", 110);
  button(m_mainBar, IDC_MONITOR_REREGISTER, L"재등록");
  separator(m_mainBar);
  button(m_mainBar, IDC_MONITOR_CLEAR, L"삭제");
  separator(m_mainBar);
  auto* progress = new CTextProgress(m_mainBar, IDC_MONITOR_PROGRESS, wxSize(scaled(50), 18));
  progress->SetToolTip(wxString(L"작업진행률"));
  progress->SetRange(0, 100);
  m_progress = progress;
  add(m_mainBar, progress);

  m_limitBar = bar(IDR_MONITOR_LIMIT_TOOLBAR);
  m_stockLimitCombo =
      combo(m_limitBar, IDC_MONITOR_STOCK_LIMIT, L"종목당", L"종목당 한계 금액", 96);
  separator(m_limitBar);
  m_dailyLimitCombo = combo(m_limitBar, IDC_MONITOR_DAILY_LIMIT, L"1일", L"1일 한계 금액", 96);

  for (wxPanel* panel : {m_mainBar, m_limitBar}) {
    panel->Bind(wxEVT_BUTTON, [this](wxCommandEvent& e) {
      switch (e.GetId()) {
        case IDC_MONITOR_SETTINGS: OnShowAutoBuySettings(); break;
        case IDC_MONITOR_REREGISTER: OnReRegisterConditions(); break;
        case IDC_MONITOR_CLEAR: OnClearReceivedResults(); break;
        default: e.Skip();
      }
    });
    panel->Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
      switch (e.GetId()) {
        case IDC_MONITOR_MODE_COMBO: OnModeCombo(); break;
        case IDC_MONITOR_MODULE_COMBO: OnModuleCombo(); break;
        case IDC_MONITOR_STOCK_LIMIT:
        case IDC_MONITOR_DAILY_LIMIT: OnLimitCombo(e.GetId()); break;
        default: e.Skip();
      }
    });
  }
  m_autoBuy->Bind(wxEVT_TOGGLEBUTTON, [this](wxCommandEvent&) { OnToggleAutoBuy(); });
}

void CStockMonitoringView::BuildForm() {
  m_form = new wxPanel(m_panel, wxID_ANY);
  auto* sizer = new wxWrapSizer(wxHORIZONTAL);
  m_form->SetSizer(sizer);
  auto add = [sizer](wxWindow* w) { sizer->Add(w, 0, wxALIGN_CENTER_VERTICAL | wxALL, 1); };
  auto* conditionMode = new wxRadioButton(m_form, IDC_MONITOR_MODE_CONDITION,
                                          wxString(L"HTS 검색식"), wxDefaultPosition,
                                          wxDefaultSize, wxRB_GROUP);
  conditionMode->SetForegroundColour(FromColorRef(0xFF0000));
  add(conditionMode);
  auto* cafeMode = new wxRadioButton(m_form, IDC_MONITOR_MODE_CAFE, wxString(L"카페 추천"));
  cafeMode->SetForegroundColour(FromColorRef(0x0000FF));
  add(cafeMode);
  // A group always has one button on: in the other modes a hidden one is, so neither mode
  // button claims a mode the view is not in.
  auto* otherMode = new wxRadioButton(m_form, wxID_ANY, wxString());
  otherMode->Hide();
  if (m_mode == kMonitorModeConditionWatch)
    conditionMode->SetValue(true);
  else if (m_mode == kMonitorModeCafe)
    cafeMode->SetValue(true);
  else
    otherMode->SetValue(true);
  m_writeLogCheck = new wxCheckBox(m_form, IDC_MONITOR_WRITE_LOG, wxString(L"실시간 로그"));
  add(m_writeLogCheck);
  m_optionCheck = new wxCheckBox(m_form, IDC_MONITOR_OPTION, wxString(L"옵션"));
  add(m_optionCheck);
  add(new wxStaticText(m_form, IDC_MONITOR_CONDITION_LABEL, wxString(L"조건식")));
  m_conditionCombo = new wxChoice(m_form, IDC_MONITOR_CONDITION_COMBO, wxDefaultPosition,
                                  wxSize(static_cast<int>(std::lround(110 * m_view.Scale())), -1));
  add(m_conditionCombo);
  m_elapsed = new wxStaticText(m_form, IDC_MONITOR_ELAPSED, wxString("0.0s/0"));
  add(m_elapsed);
  m_summaryLabel = new wxStaticText(m_form, IDC_MONITOR_SUMMARY, wxString());
  add(m_summaryLabel);

  m_status = new wxStaticText(m_panel, IDC_MONITOR_STATUS, wxString(), wxDefaultPosition,
                              wxDefaultSize, wxST_NO_AUTORESIZE);

  m_form->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent& e) { OnModeButton(e.GetId()); });
  m_form->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) {
    if (e.GetId() == IDC_MONITOR_WRITE_LOG) OnToggleRealTimeLog();
    if (e.GetId() == IDC_MONITOR_OPTION) OnOptionCheck();
  });
  m_form->Bind(wxEVT_CHOICE, [this](wxCommandEvent& e) {
    if (e.GetId() == IDC_MONITOR_CONDITION_COMBO) OnConditionCombo();
  });
}

void CStockMonitoringView::FillCombos() {
  const bool allowed = AutoTradeAllowed();
  auto fill = [this](wxChoice* choice, const wchar_t* text, int64_t selected) {
    orv::ui::COptionList& list = m_options[choice->GetId()];
    list.Parse(std::wstring_view(text));
    choice->Clear();
    for (const auto& entry : list.Entries()) choice->Append(wxString(entry.label));
    choice->SetSelection(list.IndexOfValue(selected));
  };
  fill(m_modeCombo, allowed ? kMonitorModesAllowed : kMonitorModesWatchOnly, m_mode);
  int perStock = 0, daily = 0;
  {
    orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
    perStock = m_view.Engine().Options().per_stock_buy_limit;
    daily = m_view.Engine().Options().daily_buy_limit;
  }
  fill(m_stockLimitCombo, kPerStockLimitOptions, perStock);
  fill(m_dailyLimitCombo, kDailyLimitOptions, daily);
  m_stockLimitCombo->Enable(allowed);
  m_dailyLimitCombo->Enable(allowed);

  // The signal modules of the program's "PlugIn" folder, the current one selected.
  CSignalModules& modules = m_view.Engine().SignalModules();
  const std::wstring list = modules.ModuleList();
  const std::wstring current = modules.ModuleName();
  m_moduleCombo->Clear();
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    const std::wstring name = list.substr(start, end - start);
    if (!name.empty()) {
      const int at = m_moduleCombo->Append(wxString(name));
      if (name == current) m_moduleCombo->SetSelection(at);
    }
    start = end + 1;
  }
}

void CStockMonitoringView::OnShown() {
  int perStock = 0, daily = 0, option = 0;
  {
    orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
    const stock_option_s& options = m_view.Engine().Options();
    perStock = options.per_stock_buy_limit;
    daily = options.daily_buy_limit;
    option = options.monitor_option;
  }
  m_stockLimitCombo->SetSelection(m_options[IDC_MONITOR_STOCK_LIMIT].IndexOfValue(perStock));
  m_dailyLimitCombo->SetSelection(m_options[IDC_MONITOR_DAILY_LIMIT].IndexOfValue(daily));
  // The box says whether rows are being written: it shows on only while the file is open
  // (the switch opens it; the configuration's flag alone does not).
  m_writeLogCheck->SetValue(m_log.IsOpen());
  m_optionCheck->SetValue(option != 0);
}

void CStockMonitoringView::LayOut() {
  if (!m_panel) return;
  const wxSize size = m_panel->GetClientSize();
  const int width = std::max(size.x, 1);
  int y = 0;
  for (wxPanel* bar : {m_mainBar, m_limitBar, m_form}) {
    const int height = WrappedHeight(bar, width);
    bar->SetSize(0, y, width, height);
    bar->Layout();
    y += height;
  }
  const int statusHeight = static_cast<int>(std::lround(18 * m_view.Scale()));
  m_status->SetSize(0, y, width, statusHeight);
  y += statusHeight;
  if (m_gridWindow) m_gridWindow->GetWindow()->SetSize(0, y, width, std::max(size.y - y, 0));
}

void CStockMonitoringView::UpdateSummary() {
  MonitorRules_s rules;
  {
    orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
    rules = RulesOf(m_view.Engine().Options());
  }
  MonitorSummaryState_s state;
  state.mode = m_mode;
  state.scanRunning = ScanRunning();
  state.resultCount = m_resultCount;
  state.moduleName = m_view.Engine().SignalModules().ModuleName();
  m_summary = ComposeMonitorSummary(state, rules);
  if (m_summaryLabel) {
    m_summaryLabel->SetLabel(wxString(m_summary));
    LayOut();
  }
}

void CStockMonitoringView::ShowScanProgress(const ScanProgress_s& progress) {
  if (auto* bar = dynamic_cast<CTextProgress*>(m_progress)) {
    bar->SetRange(0, progress.total);
    bar->SetPos(progress.scanned);
  }
  if (progress.text == m_lastProgress) return;
  m_lastProgress = progress.text;
  if (m_status) {
    m_status->SetLabel(wxString(progress.text));
    m_status->Refresh();
  }
}

void CStockMonitoringView::ShowScanPass(const ScanPassResult_s& pass) {
  // The received stocks let go of their rows before the grid frees them.
  DetachAllRows();
  m_grid.ResetContent(false);
  const double scale = m_view.Scale();
  int number = 0;
  for (const ScanStock_s& found : pass.found) {
    Stock_s copy = RowStock(found);
    FilteredStockValues values = RowValues(found);
    m_grid.AddRecord(std::make_unique<CFilteredStockRecord>(
        scale, ++number, 0, 0, kFilteredRowOrderButton, found.flagByte, found.marketLetter,
        found.code, found.name, L"", L"", 0, L"", 0, false, false, &copy, values));
  }
  m_lastScanned = pass.scanned;
  m_grid.Populate();
  m_grid.RedrawControl();
  if (m_elapsed) m_elapsed->SetLabel(wxString(pass.elapsedText));
}

void CStockMonitoringView::DetachAllRows() {
  // A received stock names its row only while the row is in the grid.
  m_received.clear();
  if (m_thread) m_thread->gridDirty.store(1);
}

void CStockMonitoringView::ShowStockStatus(const std::wstring& code, const std::wstring& name) {
  wchar_t text[256];
  std::swprintf(text, std::size(text), L"%d:%ls[%ls]", m_lastScanned, name.c_str(), code.c_str());
  if (m_status) {
    m_status->SetLabel(wxString(text));
    m_status->Refresh();
  }
}

void CStockMonitoringView::ApplyConditionRows(const std::vector<ConditionRowAction_s>& actions) {
  if (actions.empty()) return;
  const double scale = m_view.Scale();
  for (const ConditionRowAction_s& action : actions) {
    // A received stock names the row it was given while that row is in the grid; a scan row
    // of the same code is never the condition's.
    auto known = m_received.find(action.code);
    orv::ui::CMyReportRecordBase* row = known == m_received.end() ? nullptr : known->second;
    switch (action.kind) {
      case ConditionRowAction_s::kAdd:
      case ConditionRowAction_s::kUpdate:
        if (row) {
          row->SetOptionsValue(CFilteredStockRecord::kItemCondition, action.conditionIndex);
          row->SetNumberValue(16, action.conditionCount);
          m_grid.NoteRecordChanged(row);
        } else if (action.kind == ConditionRowAction_s::kAdd) {
          Stock_s copy = RowStock(action.stock);
          FilteredStockValues values = RowValues(action.stock);
          values.maxQty = action.maxQty;
          values.indicator2 = action.conditionCount;
          m_received[action.code] = m_grid.AddRecord(std::make_unique<CFilteredStockRecord>(
              scale, m_grid.GetRecordCount() + 1, 0, action.conditionIndex,
              kFilteredRowOrderButton, action.stock.flagByte, action.stock.marketLetter,
              action.stock.code, action.stock.name, L"", action.timeText,
              action.conditionCount, action.keyText, action.entryCount, false, false, &copy,
              values));
          m_modeChanged = 1;
          ShowStockStatus(action.stock.code, action.stock.name);
        }
        break;
      case ConditionRowAction_s::kRemove:
        if (row) {
          m_received.erase(known);
          m_grid.RemoveRecord(row);
        }
        break;
      case ConditionRowAction_s::kExited:
        if (row) {
          static constexpr int kExitItems[kExitValueCount] = {34, 37, 40, 43, 46};
          for (int i = 0; i < kExitValueCount; ++i)
            row->SetNumberValue(kExitItems[i], action.exitValues[i]);
          m_grid.NoteRecordChanged(row);
        }
        break;
      case ConditionRowAction_s::kEmpty:
        DetachAllRows();
        m_grid.ResetContent(false);
        break;
    }
  }
  m_grid.Populate();
  m_grid.RedrawControl();
}

void CStockMonitoringView::LoadConditionList(const std::wstring& list, bool reset) {
  if (!m_conditions) return;
  ConditionList_s loaded;
  loaded.reset = reset;
  loaded.entries = m_conditions->LoadConditionList(list, reset);
  m_conditionLists->Put(std::move(loaded));
  if (m_sink) orv::ui::PostMessage(m_sink->GetSafeHwnd(), kMsgConditionList);
}

void CStockMonitoringView::BindConditionColumn() {
  m_conditionColumn = m_grid.GetColumnEditOptions(CFilteredStockRecord::kItemCondition);
  if (!m_conditionColumn) return;
  // The names are shown, not typed: no free text and no drop-down button.
  m_conditionColumn->allowEdit = false;
  m_conditionColumn->comboButton = false;
}

void CStockMonitoringView::ShowConditionList(const ConditionList_s& loaded) {
  if (!m_conditionColumn) BindConditionColumn();
  if (loaded.reset) {
    m_lastCondition = -1;
    if (m_conditionColumn) m_conditionColumn->constraints.Clear();
    if (m_conditionCombo) m_conditionCombo->Clear();
  }
  for (const auto& [index, name] : loaded.entries) {
    if (m_conditionColumn && !m_conditionColumn->constraints.FindLabel(index))
      m_conditionColumn->constraints.Add(index, name);
    if (m_conditionCombo && m_conditionCombo->FindString(wxString(name)) == wxNOT_FOUND)
      m_conditionCombo->Append(wxString(name));
  }
  m_grid.Populate();
  m_grid.RedrawControl();
  LayOut();
}

std::wstring CStockMonitoringView::StatusText() const {
  return m_status ? m_status->GetLabel().ToStdWstring() : std::wstring();
}

std::wstring CStockMonitoringView::ElapsedText() const {
  return m_elapsed ? m_elapsed->GetLabel().ToStdWstring() : std::wstring();
}

void CStockMonitoringView::SetAutoBuyCheck(bool on) {
  if (m_autoBuy) m_autoBuy->SetValue(on);
}

void CStockMonitoringView::ShowError(const std::wstring& text) {
  orv::win::MessageBox(WideToUtf8(text), "ERROR", MB_OK | MB_ICONERROR);
}

bool CStockMonitoringView::AskYesNo(const std::wstring& text) {
  return orv::win::MessageBox(WideToUtf8(text), "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CStockMonitoringView::OnToggleAutoBuy() {
  const bool on = m_autoBuy->GetValue();
  int state = 0;
  if (on) {
    MonitorRules_s rules;
    {
      orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
      stock_option_s& options = m_view.Engine().Options();
      if (options.auto_buy_max_stocks < 1) {
        options.auto_buy_max_stocks = 1;
        options.changed = 1;
      }
      rules = RulesOf(options);
    }
    AutoBuySwitchInput_s input;
    input.mode = m_mode;
    input.knownConditions = m_conditions ? m_conditions->KnownConditions() : 0;
    wchar_t summary[512] = {};
    input.ownStockCount = m_view.Engine().GetMyStockCount(summary, std::size(summary));
    input.ownSummary = summary;
    if (CPelomarLoginEngine* login = m_view.LoginEngine())
      input.userName = login->WebLogin().m_userName;
    if (input.userName.empty() && m_view.LoginInfo())
      input.userName = m_view.LoginInfo()->szUserName;
    input.customerNumber = m_view.LoginInfo() ? m_view.LoginInfo()->nUserIdx : 0;
    const AutoBuySwitchCheck_s check = CheckAutoBuySwitch(input, rules);
    if (!check.ok) {
      SetAutoBuyCheck(false);
      if (m_mode == kMonitorModeCafe) m_view.ShowCafeRecommendDlg(true, 0, L"", 1, -1);
      ShowError(check.text);
    } else if (AskYesNo(check.text)) {
      state = 1;
      m_thread->scanRunning.store(1);
      m_thread->SetScanEvent();
    } else {
      SetAutoBuyCheck(false);
    }
  }
  m_thread->scanRunning.store(state);
  m_status->SetForegroundColour(FromColorRef(0xFFFFFF));
  m_status->SetBackgroundColour(FromColorRef(0xFF0000));
  m_status->Refresh();
  UpdateSummary();
}

void CStockMonitoringView::ClearReceived() {
  // The maps name stocks by code; the records stay with the engine's lists, the rows go with
  // the grid.
  if (m_conditions) m_conditions->Clear();
  // Rows detached before the grid drops them.
  DetachAllRows();
  m_grid.ResetContent(false);
  m_grid.Populate();
  m_cleared = 1;
}

void CStockMonitoringView::OnClearReceivedResults() {
  if (!HasBrokerAgent()) return;
  if (!AskYesNo(L"현재까지 수신된 검색 결과를 삭제할까요?\n삭제된 목록은 재검출될때 목록에 다시 "
                L"표시됩니다\n\n현재 수신된 종목을 매수하지 않으려면, 꼭 삭제를 권장합니다.\n\n"
                L"검출 종목을 삭제할까요?"))
    return;
  ClearReceived();
}

void CStockMonitoringView::OnReRegisterConditions() {
  if (!HasBrokerAgent()) return;
  if (!AskYesNo(L"검색식을 다시 설정할까요?\n모든 조건검색식 종목 수신이 중지후, 다시 "
                L"시작됩니다.\n(최대 1분이 소요될 수 있습니다)\n\n서버에 다시 설정할까요?(권장)"))
    return;
  ClearReceived();
  m_view.Engine().RestartConditionSearches();
  if (!m_refreshTimer->IsRunning()) m_refreshTimer->Start(1000);
}

void CStockMonitoringView::OnToggleRealTimeLog() {
  int result = 0;
  if (m_writeLogCheck->GetValue()) {
    SYSTEMTIME today;
    orv::win::GetLocalTime(&today);
    const std::string path =
        CRealTimeSearchLog::DailyPath(m_view.Engine().Logs().GetLogFolder(), today);
    m_log.SetPath(path);
    const std::wstring question =
        L"실시간 조건검색식에 IN/OUT되는 모든 종목을 파일에 기록할까요?\n\n조건검색식 검증용으로 "
        L"사용하시면, 편리합니다.\n------------------------\n경로 : " +
        Utf8ToWide(path) +
        L"\n------------------------\n\n(※ CSV 파일은 엑셀에서 편하게 분석 가능합니다)\n\n"
        L"실시간 조건 종목을 파일에 기록할까요?";
    if (AskYesNo(question))
      result = 1;
    else
      m_writeLogCheck->SetValue(false);
  }
  std::string error;
  if (m_log.SetRealTimeLog(result != 0, nullptr, nullptr, &error) < 0) {
    // Logging is not on: the box, the flag and the configuration say so.
    result = 0;
    m_writeLogCheck->SetValue(false);
    ShowError(L"실시간 검색 로그 파일을 열 수 없습니다.\n경로 : " + Utf8ToWide(m_log.Path()) +
              L"\n(" + Utf8ToWide(error) + L")");
  }
  {
    orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
    stock_option_s& options = m_view.Engine().Options();
    options.write_log_file = static_cast<uint8_t>(result);
    options.changed = 1;
  }
  m_writeLog = result;
}

void CStockMonitoringView::OnShowAutoBuySettings() {
  if (!SignedIn()) {
    ShowError(L"로그인을 먼저 해주세요");
    return;
  }
  if (m_mode >= kMonitorModeConditionWatch && m_mode <= kMonitorModeStockWatch)
    m_view.ShowStockCfgDlg(true, false);
  else
    m_view.ShowStockMonDlg(true);
}

void CStockMonitoringView::OnOptionCheck() {
  orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
  stock_option_s& options = m_view.Engine().Options();
  options.monitor_option = m_optionCheck->GetValue() ? 1 : 0;
  options.changed = 1;
}

void CStockMonitoringView::OnModeButton(int id) {
  const bool cafe = id == IDC_MONITOR_MODE_CAFE;
  m_mode = cafe ? kMonitorModeCafe : kMonitorModeConditionWatch;
  m_modeChanged = 1;
  if (m_thread) m_thread->mode.store(m_mode);
  m_view.ShowCafeRecommendDlg(cafe, 0, L"", 1, -1);
}

void CStockMonitoringView::OnModeCombo() {
  const int at = m_modeCombo->GetSelection();
  const orv::ui::COptionList& list = m_options[IDC_MONITOR_MODE_COMBO];
  if (at < 0 || static_cast<size_t>(at) >= list.Size()) return;
  m_mode = static_cast<int>(list.At(at).value);
  m_modeChanged = 1;
  if (m_thread) m_thread->mode.store(m_mode);
  UpdateSummary();
}

void CStockMonitoringView::OnModuleCombo() {
  const wxString name = m_moduleCombo->GetStringSelection();
  if (name.empty()) return;
  m_view.SelectSignalModule(name.ToStdWstring().c_str());
  UpdateSummary();
}

void CStockMonitoringView::OnLimitCombo(int id) {
  wxChoice* combo = id == IDC_MONITOR_STOCK_LIMIT ? m_stockLimitCombo : m_dailyLimitCombo;
  const orv::ui::COptionList& list = m_options[id];
  const int at = combo->GetSelection();
  if (at < 0 || static_cast<size_t>(at) >= list.Size()) return;
  const int value = static_cast<int>(list.At(at).value);
  {
    orv::win::CSingleLock lock(&m_view.Engine().ViewLock(), TRUE);
    stock_option_s& options = m_view.Engine().Options();
    if (id == IDC_MONITOR_STOCK_LIMIT)
      options.per_stock_buy_limit = value;
    else
      options.daily_buy_limit = value;
    options.changed = 1;
  }
  RecomputeLimits();
  orv::win::WriteProfileInt(kSettingsSection,
                            id == IDC_MONITOR_STOCK_LIMIT ? kKeyAutoBuyMoneyItem
                                                          : kKeyAutoBuyMoneyTotalQuota,
                            value);
  UpdateSummary();
}

void CStockMonitoringView::OnConditionCombo() {
  const int at = m_conditionCombo->GetSelection();
  m_lastCondition = at;
  if (at != 1 && at != 2) return;
  orv::win::WriteProfileString(kSettingsSection,
                               at == 1 ? kKeyLastConditionName : kKeyLastConditionName2,
                               m_conditionCombo->GetStringSelection().ToStdString(wxConvUTF8));
}

bool CStockMonitoringView::OnTimer(int id) {
  switch (id) {
    case MONITOR_TIMER_REFRESH:
      if (m_gate.Open(orv::win::GetTickCount())) m_refreshTimer->Stop();
      UpdateSummary();
      return true;
    default:
      return false;
  }
}

LRESULT CStockMonitoringView::OnGridNotify(orv::ui::ReportNotify& nm) {
  if (nm.code == orv::ui::NM_RCLICK) {
    m_lastClickedGrid = IDC_MONITOR_GRID;
    return 0;
  }
  orv::ui::CMyReportRecordBase* row = nm.record;
  if (!row) return 0;
  const std::wstring code = row->GetTextValue(CFilteredStockRecord::kItemCode);
  const std::wstring letter = row->GetTextValue(CFilteredStockRecord::kItemMarket);
  const wchar_t marketLetter = letter.empty() ? L'1' : letter[0];
  const uint8_t market = std::wstring(L"ADHN").find(marketLetter) != std::wstring::npos ? 2
                         : (marketLetter == L'b' || marketLetter == L'B')           ? 9
                                                                                     : 1;
  if (nm.code == orv::ui::REPORT_NM_CHECKED && nm.column == CFilteredStockRecord::kItemWatch) {
    const std::wstring name = row->GetTextValue(CFilteredStockRecord::kItemName);
    if (m_view.Engine().GetMyStockCount() >= kMonitorWatchLimit) {
      ShowError(WatchLimitText());
    } else if (AskYesNo(WatchAddQuestion(name, code))) {
      if (m_view.Engine().AddMyStockByCode(market, code.c_str(), 1, 0, true) > 0)
        m_view.ShowCafeDlg(true, 1, 1);
      else
        ShowError(L"추가하지 못했습니다");
    }
    return 1;
  }
  if (nm.code == orv::ui::REPORT_NM_ITEMBUTTONCLICK && nm.column == CFilteredStockRecord::kItemName) {
    if (nm.buttonId >= 0) {
      // A buy at the row's current price.
      m_view.OpenOrderPopup(1, market, code.c_str(), 0,
                            row->GetNumberValue(CFilteredStockRecord::kItemCurPrice));
    } else {
      m_view.RequestStockSelect(0, code.c_str(), 0);
    }
    return 1;
  }
  return 0;
}

void CStockMonitoringView::DestroyView() {
  if (m_destroyed) return;
  m_destroyed = true;
  *m_alive = false;
  MonitorSettings_s settings{m_writeLog, m_mode};
  SaveMonitorSettings(UserIndex(), settings);
  // The worker reads the view's flags and posts to its grid: it ends before they go.
  if (m_thread) m_thread->Stop();
  if (m_refreshTimer) m_refreshTimer->Stop();
  m_view.Engine().SetConditionFeed({});
  m_received.clear();
  m_conditions.reset();
  m_log.Close();
  m_sink.reset();
  m_thread.reset();
  m_scan.reset();
  m_refreshTimer.reset();
  if (m_panelRef) m_panelRef->Destroy();
  m_panel = nullptr;
}

void InstallMonitoringViewMaker(PelomarChildMakers& makers) {
  makers.monitoringView = [](CPelomarView& view) {
    return std::make_unique<CStockMonitoringView>(view, 9999);
  };
}
