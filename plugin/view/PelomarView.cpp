#include "plugin/view/PelomarView.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/notebook.h>
#include <wx/timer.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/ui/Dispatcher.h"
#include "platform/ui/IdleWalk.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebPages.h"
#include "plugin/community/WebReports.h"
#include "plugin/monitor/core/ForeignStockLists.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/ViewToolbar.h"
#include "plugin/view/WebEngineBridge.h"
#include "plugin/view/engine/TextFormat.h"
#include "plugin/view/engine/TradingOptions.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/RuntimeClass.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"

const wchar_t kAllStockGridLayout[] =
    L":#5;IDX:?30;순서:30;국가:?gc35;마켓:c35;NXT:?30;업종:?;주의:35;자동:?30;종목코드:60;종목명:"
    L"150;"
    L"만기일:?;신용가능:30;감시:30;수신:30;섹터:80;코멘트:100;종목상태:?80;증거금율:?30;PER:?30;"
    L"PBR:?30;"
    L"관리종목:30;알람:?30;알람율:?43;알람형태:?c60;MA5:?>50;MA10:?>50;MA20:?>50;MA30:?>50;VOL5:?>"
    L"50;"
    L"예측:?>50;예측2:?>50;예측3:?>50;예측4:?>50;예측5:?>50;시초가:>60;최고:>60;최저:>60;"
    L"시초가대비:?>43;"
    L"저가대비:?>43;고가대비:?>43;매매점수:53;외인상승:53;등락률:>43;등락:>43;전일가:?>60;현재가:>"
    L"60;"
    L"거래량:>60;예상체결가:>60;예상체결수량:>60;순매수잔량:>60;순매도잔량:>60;매수비율:>60;"
    L"매도비율:>60;"
    L"강도:40;점수:40;RSI:?40;RSI.분:?40;RSI.분2:?40;STO.F:?50;STO.F.분:?50;STO.F.분2:?50;MFI:?40;"
    L"MFI.분:?40;MFI.분2:?40;CCI:?40;CCI.분:?40;CCI.분2:?40;MACD:?40;MACD.분:?40;MACD.분2:?40;P."
    L"SAR:?40;"
    L"P.SAR.분:?40;P.SAR.분2:?40;추이:>103;그림:>80;감도(전):>60;감도:>60";

const wchar_t kMyStockGridLayout[] =
    L":#16;No:-28;증권사:?g100;계좌:40;구분:?35;국가:?gc35;마켓:c30;NXT:?30;풋/"
    L"콜:?30;신용구분:20;코드:50;"
    L"종목명:150;코멘트:?90;자동매매:40;SMS:?32;재매수:?45;분리계좌:?40;청산매도:?40;매도비중:c75;"
    L"손절기준:>95;최저이익:>95;간격:>85;첫계단 보정:?45;분할률/금액:100;매수/매도 "
    L"기준구간:100;대출일:d60;"
    L"만기일:?60;융자:-20;수신:-30;계단:-30;계단2:-30;계단매도:-50;체크시간:t60;IN-TIME:t60;OUT-"
    L"TIME:t60;"
    L"주문수:?t40;보전수익금:?60;튕김:?60;디버그:?;점수D:>40;점수M:>40;현재가:>60;등락:>43;강도:?>"
    L"43;"
    L"점수:?>40;김.프:?>40;BTC마켓:?>50;B.등락:?>40;매수평단:>60;매수환율:?>60;수익률:>50;보전수익:"
    L">60;"
    L"돌파점:>50;주문량:>45;보유수:>35;매입금액:>70;신용금액:>70;신용율:>40;평가금액:>70;평가손익:>"
    L"70;"
    L"세금:>70;수수료:>70;기관10일:>60;기관.오늘:>60;외인10일:>60;외인.오늘:>60;외인상승:?>50;"
    L"외인하락:?>50;"
    L"분할량:>55;분할금액:>65;매도금지량:>75;재매수량:>75;재매수한도:>75;";

namespace {

// The host's "Settings" file, under the company key of the run settings.
constexpr const char* kHostSettingsFileName = "Orvella.ini";

// Tasks that other threads hand to the UI thread.
constexpr UINT WM_PELOMAR_RUN_TASKS = WM_USER + 0x1E0;

constexpr int kDayColumnCount = 60;
constexpr int kAllStockDayItemFirst = 78;
constexpr int kMyStockDayItemFirst = 72;
constexpr int kMaxLoginInput = 64;
constexpr int kDeleteLogsDays = -5;

constexpr wchar_t kLoginNoticeFormat[] =
    L"가입된 계정으로 먼저 로그인 하셔야 합니다.\n사용자는 관리자에 의해 등록됩니다.\n\n"
    L"자세한 사항은 고객사 홈페이지 참고 부탁드립니다.\n홈페이지 ";
constexpr wchar_t kBrokerLoginHelpFormat[] =
    L"\n-------\n증권사 : DB금융투자\n-------\n1. Open-API 모듈을 설치했는지 확인해 주세요.\n"
    L"2. 아이디/암호를 확인 부탁드립니다.\n3. OPEN-API 신청을 하셨는지 확인 부탁드립니다.\n"
    L"4. 현재 PC의 아이피(IP)는 ";

std::wstring WithSlash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'/') folder += L'/';
  return folder;
}

// The date `days` days from `time`, at the same time of day.
SYSTEMTIME ShiftDays(const SYSTEMTIME& time, int days) {
  SYSTEMTIME shifted = time;
  int year = 0, month = 0, day = 0;
  CivilFromDays(DaysFromCivil(time.wYear, time.wMonth, time.wDay) + days, &year, &month, &day);
  shifted.wYear = static_cast<WORD>(year);
  shifted.wMonth = static_cast<WORD>(month);
  shifted.wDay = static_cast<WORD>(day);
  shifted.wDayOfWeek = static_cast<WORD>(((DaysFromCivil(year, month, day) % 7) + 11) %
                                         7);  // 1970-01-01 was a Thursday
  return shifted;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The UI-thread mailbox: messages posted by the engine, and tasks other threads hand over.

class CPelomarView::MessageSink : public orv::ui::MessageTarget {
 public:
  explicit MessageSink(CPelomarView& view) : view_(view) {
    OnMessage(WM_PELOMAR_RUN_TASKS, [this](WPARAM, LPARAM) {
      RunTasks();
      return LRESULT{0};
    });
  }
  // Runs the task on the UI thread: at once there, else later in posting order. A `quiet` task
  // changes nothing an idle pass looks at (it appends a log line); a delivery of only such
  // tasks is followed by no pass.
  void RunOnUi(std::function<void()> task, bool quiet = false) {
    if (orv::ui::IsUiThread()) {
      task();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks_.push_back(Task{std::move(task), quiet});
    }
    orv::ui::PostMessage(GetSafeHwnd(), WM_PELOMAR_RUN_TASKS);
  }

 protected:
  LRESULT DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    return view_.WindowProc(msg, wParam, lParam);
  }

 private:
  struct Task {
    std::function<void()> run;
    bool quiet;
  };

  void RunTasks() {
    std::deque<Task> tasks;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks.swap(tasks_);
    }
    bool quiet = true;
    for (auto& task : tasks) {
      task.run();
      quiet = quiet && task.quiet;
    }
    if (quiet) orv::ui::ProgramIdleGate().Unchanged();
  }

  CPelomarView& view_;
  std::mutex mutex_;
  std::deque<Task> tasks_;
};

// ---------------------------------------------------------------------------------------
// The engine's way to the window side.

class CPelomarView::EngineWindow : public IEngineWindow {
 public:
  explicit EngineWindow(CPelomarView& view) : view_(view) {}

  int AddLogMsgToPane(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                      const wchar_t* msg, BYTE flag) override {
    if (orv::ui::IsUiThread())
      return view_.CDbViewBase::AddLogMsg(ctrlId, kind, value, title, msg, flag);
    std::wstring titleCopy = title ? title : L"";
    std::wstring msgCopy = msg ? msg : L"";
    view_.m_messageSink->RunOnUi(
        [this, ctrlId, kind, value, titleCopy, msgCopy, flag] {
          view_.CDbViewBase::AddLogMsg(ctrlId, kind, value, titleCopy.c_str(), msgCopy.c_str(),
                                       flag);
        },
        true);
    return 0;
  }
  // The language the host shows its texts in: the view's, else the run settings' code.
  int InterfaceLanguage() const override {
    if (view_.m_languageId >= 1) return view_.m_languageId;
    const app_run_setting_s* run = view_.m_pRunSetting;
    return run && run->nLanguageCode >= 1 ? run->nLanguageCode : 0;
  }
  void RedrawMyStockGrid() override { RequestRedraw(); }
  // Rows carry the interest value once the grid rows exist; the record already holds it.
  void SetRowInterest(Stock_s*, int) override { RequestRedraw(); }
  void MarkStockGridRedraw() override { RequestRedraw(); }

  void PostViewMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    orv::ui::PostMessage(view_.m_messageSink->GetSafeHwnd(), msg, wParam, lParam);
  }
  void ShowWaitingPopup(bool show, const wchar_t* text, const wchar_t* caption,
                        DWORD timeoutMs) override {
    std::wstring textCopy = text ? text : L"";
    std::wstring captionCopy = caption ? caption : L"";
    view_.m_messageSink->RunOnUi([this, show, textCopy, captionCopy] {
      if (show)
        view_.ShowWaitingWnd(captionCopy.c_str(), textCopy.c_str());
      else
        view_.HideWaitingWnd();
    });
  }
  int ShowMessageBox(const wchar_t* text, const wchar_t* caption, UINT style) override {
    const std::string textUtf8 = WideToUtf8(text ? text : L"");
    const std::string captionUtf8 = WideToUtf8(caption ? caption : L"");
    int answer = 0;
    orv::ui::RunOnUiThreadAndWait(
        [&] { answer = orv::win::MessageBox(textUtf8, captionUtf8, style); });
    return answer;
  }
  void NotifyHost(int kind, int code, const wchar_t* text1, const wchar_t* text2) override {
    NotifyHostValues(kind, code, 0.0, 0.0, text1, text2);
  }
  void NotifyHostValues(int kind, int code, double value1, double value2, const wchar_t* text1,
                        const wchar_t* text2) override {
    std::wstring t1 = text1 ? text1 : L"";
    std::wstring t2 = text2 ? text2 : L"";
    view_.m_messageSink->RunOnUi([this, kind, code, value1, value2, t1, t2] {
      view_.SendNotifyMsgToMainFrame(kind, code, value1, value2, t1.c_str(), t2.c_str());
    });
  }
  void RefreshRows() override {
    view_.m_messageSink->RunOnUi([this] {
      for (int id : {IDC_ALL_STOCK_GRID, IDC_MY_STOCK_GRID, IDC_ORDER_HISTORY_GRID})
        if (auto* grid = view_.Grid(id)) grid->RedrawControl();
    });
  }
  void AddOrderHistoryRow(const OrderHistoryRow_s& row) override {
    view_.m_messageSink->RunOnUi([this, row] { view_.AddOrderHistoryRow(row); });
  }
  void RunOnUiThread(std::function<void()> task) override {
    view_.m_messageSink->RunOnUi(std::move(task));
  }

  // The tick's hand-overs: the copies reach the view through its dispatcher, in order. The
  // grids exist once the window parts are made; before that there is nothing to refresh.
  void ShowHoldings(std::shared_ptr<const HoldingsSnapshot_s> holdings) override {
    view_.m_messageSink->RunOnUi([this, holdings] {
      if (view_.m_commandBar && holdings) view_.ShowHoldings(*holdings);
      // The board's account column follows the accounts the balance query brought.
      if (view_.m_stockBoard) view_.m_stockBoard->SetAccountGroups(&view_.m_engine->Accounts(), 1);
    });
  }
  void ShowAccountSummary(std::shared_ptr<const AccountSummarySnapshot_s> summary) override {
    view_.m_messageSink->RunOnUi([this, summary] {
      if (summary) view_.ShowAccountSummary(summary);
    });
  }
  void ShowQuotes(std::shared_ptr<const QuotesSnapshot_s> quotes) override {
    view_.m_messageSink->RunOnUi([this, quotes] {
      if (view_.m_commandBar && quotes) view_.ShowQuotes(*quotes);
    });
  }
  void ShowMasterList(std::shared_ptr<const MasterListSnapshot_s> master) override {
    view_.m_messageSink->RunOnUi([this, master] {
      if (view_.m_commandBar && master) view_.ShowMasterList(master);
      // The board reloads its rows from the new master list.
      if (view_.m_stockBoard) view_.m_stockBoard->ReloadBuyItems();
    });
  }
  void ShowStockChart(std::shared_ptr<const StockChartSnapshot_s> chart) override {
    view_.m_messageSink->RunOnUi([this, chart] {
      if (!view_.m_chartDialog) return;
      view_.m_chartDialog->SetChartData(chart);
      view_.m_chartDialog->LoadChartData();
    });
  }
  // Runs on the master-code worker; the rows reach the board on the user-interface thread.
  void LoadForeignStockLists(const std::function<bool()>& running) override {
    CForeignStockLists lists = CForeignStockLists::FromSettings();
    lists.LoadForeignStockLists(running);
    auto rows = std::make_shared<const std::vector<ForeignStockRow_s>>(lists.Rows());
    view_.m_messageSink->RunOnUi([this, rows] {
      if (view_.m_stockBoard) view_.m_stockBoard->ShowForeignStockList(rows);
    });
  }
  void LayOutTabPanes() override {
    view_.LayoutChildWindows();
    view_.ShowHostPanes();
  }
  // A logout empties the holdings and all-stock rows: what they showed is gone.
  void ClearViewAfterLogout() override {
    view_.ClearStockRows();
    view_.m_accountSummary.reset();
    if (view_.m_orderPanel) view_.m_orderPanel->ResetAccountInfo(0);
  }

  // The services of the web login and its reports; both are made at the initial update,
  // before the workers start, and freed after they stop.
  bool CheckServiceUser(CURL* curl, int brokerId, const char* clientName, const wchar_t* account,
                        int* userIndex) override {
    CPelomarLoginEngine* login = view_.m_loginEngine.get();
    if (!login) return false;
    *userIndex = login->CheckServiceUser(curl, brokerId, clientName, account);
    return true;
  }
  void UploadMoneyLog(CURL* curl, const std::wstring& lines, int lineCount) override {
    if (CWebReports* reports = view_.m_webReports.get())
      reports->UploadMoneyLog(curl, lines, lineCount);
  }
  int UploadAiComment(CURL* curl, const Stock_s* stock, const std::wstring& answer,
                      const std::string& priceData, const std::string& envelopeData,
                      const std::string& investorData, const std::string& shortData,
                      uint8_t shortOn, int usedTokens, int usedTokensTotal) override {
    CWebReports* reports = view_.m_webReports.get();
    return reports ? reports->UploadAiComment(curl, stock, answer, priceData, envelopeData,
                                              investorData, shortData, shortOn, usedTokens,
                                              usedTokensTotal)
                   : 0;
  }
  // The analysis page belongs to the order dialog; a later analysis replaces the page.
  void ShowAiAnalysis(std::shared_ptr<const AiAnalysisSnapshot_s> analysis) override {
    view_.m_messageSink->RunOnUi([this, analysis] {
      if (!view_.m_orderPopup || !analysis) return;
      view_.m_orderPopup->ShowAnalysisPage(analysis->kind, analysis->code, analysis->name,
                                           analysis->answer, analysis->priceSeries,
                                           analysis->investorSeries, analysis->shortSeries);
    });
  }
  void ForgetAutoLogin() override {
    if (CPelomarLoginEngine* login = view_.m_loginEngine.get()) login->ForgetAutoLogin();
  }
  bool ReadSessionBounds(int* hhmm6) const override {
    const CPelomarLoginEngine* login = view_.m_loginEngine.get();
    return login && login->ReadSessionBounds(hhmm6);
  }

 private:
  // One WM_USER+0x1FB at a time reaches the view.
  void RequestRedraw() {
    if (view_.m_engine) view_.PostGridRedraw();
  }

  CPelomarView& view_;
};

// ---------------------------------------------------------------------------------------
// Construction and teardown

namespace {
const CRuntimeClass kPelomarViewClass{"CPelomarView",
                                      []() -> CDbBaseNormalView* { return new CPelomarView; }};
}  // namespace

const CRuntimeClass* CPelomarView::GetThisClass() { return &kPelomarViewClass; }

CPelomarView::CPelomarView()
    : m_engineWindow(std::make_unique<EngineWindow>(*this)),
      m_engine(std::make_unique<CPelomarEngine>(m_engineWindow.get())),
      m_messageSink(std::make_unique<MessageSink>(*this)),
      m_queryFrom(),
      m_queryTo(),
      m_myGridLayout(kMyStockGridLayout) {
  m_hooks.setAutoTradeAll = [this](int gridId, int state, int ask, int scope) {
    SetAutoTradeAll(gridId, state, ask, scope);
  };
  m_hooks.applyMinProfitPreset = [this](int command, int scope) {
    ApplyMinProfitPreset(command, scope);
  };
  m_hooks.requestStockSelect = [this](const wchar_t* code, int how) {
    RequestStockSelect(0, code, how);
  };
  m_hooks.setOrderForm = [this](int side, uint8_t market, const wchar_t* code, double quantity,
                                double price) {
    PresetOrderPanel(side, market, code, quantity, price);
  };
}

CPelomarView::~CPelomarView() {
  // A view deleted with its parent never went through Destroy: save and stop here.
  OnDestroy();
  for (auto& timer : m_timers)
    if (timer) timer->Stop();
  if (m_logoutTimer) m_logoutTimer->Stop();
  m_engine->StopWorkerThreads();
  m_engine->CloseEvents();
  ReleaseViewData();
}

void CPelomarView::ReleaseViewData() {
  if (!m_released) {
    m_released = true;
    for (auto& timer : m_timers)
      if (timer) timer->Stop();
  }
  // The rows read their holdings and stocks as they go: free them before the records.
  ClearStockRows();
  m_engine->ReleaseEngineData();
  m_stairWatchDialog.reset();
  // The cafe downloads' results still on their way must not reach the freed grids.
  m_engine->Cafe().SetDialogFiller(nullptr);
  m_cafeDialog.reset();
  m_stockBoard.reset();
  m_orderPanel.reset();
  m_orderPopup.reset();
  m_accountDialog.reset();
  m_settingsDialog.reset();
  m_chartDialog.reset();
  m_tickListDialog.reset();
  m_monitoringView.reset();
  m_cafeDataView.reset();
}

bool CPelomarView::Destroy() {
  OnDestroy();
  for (auto& timer : m_timers)
    if (timer) timer->Stop();
  // The workers use the data: they end before it is freed.
  m_engine->StopWorkerThreads();
  ReleaseViewData();
  return CDbBaseNormalView::Destroy();
}

void CPelomarView::OnDestroy() {
  if (m_destroyHandled) return;
  m_destroyHandled = true;
  m_engine->SaveChangedStockOption();
  SaveUiSettings();
}

// ---------------------------------------------------------------------------------------
// Creation and the first initial update

int CPelomarView::OnCreate(SharedWnds_s* creationBlock) {
  if (CDbBaseNormalView::OnCreate(creationBlock) == -1) return -1;
  // The plug-in has its own copy of the settings code: it opens the host's file itself.
  if (!orv::win::AppRegistry().IsOpen() && m_pRunSetting && m_pRunSetting->szCompanyKey[0])
    orv::win::AppRegistry().Open(WideToUtf8(m_pRunSetting->szCompanyKey), kHostSettingsFileName);
  LoadUiSettings();
  return 0;
}

LRESULT CPelomarView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITIALUPDATE:
      OnInitialUpdate();
      return 0;
    case WM_CODE_UPDATE_ENDED:
      m_engine->JoinCodeUpdateThread();
      return 0;
    default: {
      LRESULT result = 0;
      if (OnViewMessage(message, wParam, lParam, &result)) return result;
      return CDbBaseNormalView::WindowProc(message, wParam, lParam);
    }
  }
}

void CPelomarView::OnInitialUpdate() {
  ++m_initialUpdates;
  if (m_viewState & VIEW_STATE_INITIALIZED) return;  // later updates only refresh
  m_viewState |= VIEW_STATE_INITIALIZED;

  SetQueryPeriod();
  SetSharedWnds(m_pSharedWnds);  // the block's records and connections, taken again
  if (m_agencyIndex < 1 && m_pRunSetting) m_agencyIndex = m_pRunSetting->nAgencyIdx;
  PrepareFolders();
  LoadTradingOptions();
  PrepareRunSettings();
  OpenDailyLogs();
  SelectStoredSignalModule();

  m_checkFont = std::make_unique<wxFont>(wxFontInfo(11).FaceName("Arial"));
  TakeContainers();
  CreateCafeDataView();
  CreateTabsAndGrids();
  CreateMonitoringView();
  CreateChildDialogs();
  if (m_pRunSetting) m_languageId = m_pRunSetting->byLanguage;
  RefreshUITextByLanguageId(m_languageId);
  DragAcceptFiles(true);

  m_engine->CreateEvents();
  m_loginEngine = CPelomarLoginEngine::Create(*this);
  PrepareLoginTexts();
  CreateCheckBoxes();
  CreateStairWatchDialog();
  LayOut();

  std::wstring credential = m_credentialText;
  credential.resize(std::max<size_t>(credential.size() + 1, 512));
  RunMainFrameFunction(MAINFRAME_FN_SETUP_LOGIN, m_pRunSetting ? m_pRunSetting->nLoginDlgValue : 0,
                       kMaxLoginInput, L"로그인", m_loginNotice.c_str(), L"시크릿 키",
                       credential.data(), nullptr, m_loginDialogFlags,
                       m_pRunSetting ? m_pRunSetting->nAgencyIdx : 0, this, &LoginCallback,
                       &LoginNotifyCallback);

  m_engine->SetLoginInfo(m_pLoginInfo);
  m_engine->StartWorkerThreads();
  StartTimers();
}

void CPelomarView::SetQueryPeriod() {
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  m_queryTo = now;
  m_queryFrom = ShiftDays(now, -30);
}

void CPelomarView::PrepareFolders() {
  std::wstring programFolder;
  if (m_pFolders) programFolder = WithSlash(m_pFolders->szExeFolder);
  m_engine->SetProgramFolder(programFolder);
  // The web server's requests trust the same CA file as the broker agents.
  GfxSetHttpCaCertFile(WideToUtf8(m_engine->ResolveCaCertPath()).c_str());

  // Daily logs live in "<data folder>Log/"; the data folder is made when missing.
  std::wstring dataFolder;
  if (m_pRunSetting) {
    dataFolder = m_pRunSetting->szDataFolder;
    if (dataFolder.empty()) dataFolder = m_pRunSetting->szUserDataFolder;
  }
  if (dataFolder.empty()) dataFolder = programFolder;
  dataFolder = WithSlash(dataFolder);
  if (!dataFolder.empty()) m_engine->Logs().SetLogFolder(dataFolder);
  if (m_pRunSetting) StrSafeCopyW(m_pRunSetting->szDataFolder, RUN_PATH_LEN, dataFolder.c_str());
}

void CPelomarView::LoadTradingOptions() {
  // The plug-in's own connection to the host's catalogue.
  std::wstring catalogue;
  if (m_pRunSetting && m_pRunSetting->szSettingsFolder[0])
    catalogue = WithSlash(m_pRunSetting->szSettingsFolder) + L"app-settings.db";
  else
    catalogue = m_engine->ProgramFolder() + L"Settings/app-settings.db";
  // The order table lives beside the catalogue, in the host's "data.db".
  const std::wstring folder = catalogue.substr(0, catalogue.rfind(L'/') + 1);
  std::string problem;
  if (m_engine->OpenDataDb(WideToUtf8(folder + L"data.db"), &problem) != 1) {
    // Orders are recorded there: the user must know at once, not from a log line.
    const std::wstring msg = L"주문 DB를 열 수 없습니다: " + folder + L"data.db\n(" +
                             Utf8ToWide(problem) + L")\n\n주문 내역이 기록되지 않습니다.";
    AddLogMsg(m_nCtrlId, 4, 0, nullptr, msg.c_str(), 0);
    orv::win::MessageBox(WideToUtf8(msg), "ERROR", MB_OK | MB_ICONERROR);
  }
  if (m_engine->OpenOptionsDb(WideToUtf8(catalogue)) == 1) {
    m_engine->LoadStockOption();
  } else {
    std::wstring msg = L"설정 DB를 열 수 없습니다: " + catalogue;
    AddLogMsg(m_nCtrlId, 4, 0, nullptr, msg.c_str(), 0);
  }
  stock_option_s& options = m_engine->Options();
  ApplyCurrencyRates(&options.exchange_rate, &options.exchange_rate2,
                     m_pRunSetting ? m_pRunSetting->dCurrencyRate : 0,
                     m_pRunSetting ? m_pRunSetting->dCurrencyRate2 : 0);
  m_sellOneByOne = options.sell_one_by_one;
}

void CPelomarView::PrepareRunSettings() {
  if (!m_pRunSetting) return;
  m_pRunSetting->chMarker1 = L'@';
  m_pRunSetting->chMarker2 = L'@';
  StrSafeCopyW(m_pRunSetting->szModuleKind, RUN_SHORT_LEN, L"주식");
  m_brokerLoginHelp = kBrokerLoginHelpFormat + Utf8ToWide(m_pRunSetting->szIp) + L"입니다";
  std::snprintf(m_pRunSetting->szBuild, sizeof m_pRunSetting->szBuild, "%s %s", __DATE__, __TIME__);
}

void CPelomarView::OpenDailyLogs() {
  CDailyLogs& logs = m_engine->Logs();
  std::wstring cutOff;
  const int deleted = logs.DeleteOldLogs(&cutOff, kDeleteLogsDays);
  logs.OpenAppLog();
  const std::wstring msg = cutOff + L"일 이전 로그 " + std::to_wstring(deleted) + L"개 삭제";
  AddLogMsg(m_nCtrlId, 4, 0, nullptr, msg.c_str(), 0);
  logs.OpenTradingLog();
}

void CPelomarView::TakeContainers() {
  if (!m_pSharedWnds) {
    m_containers.fill(this);
    return;
  }
  m_moduleIndex = static_cast<int>(m_pSharedWnds->nModuleIndex);
  m_controlId = static_cast<int>(m_pSharedWnds->nCtrlId);
  m_windowId = static_cast<int>(m_pSharedWnds->nWndId);
  wxWindow* given[3] = {m_pSharedWnds->pWorkspaceWnd, m_pSharedWnds->pPropertiesWnd,
                        m_pSharedWnds->pMonitoringWnd};
  for (int i = 0; i < 3; ++i) {
    m_containerGiven[i] = given[i] != nullptr;
    m_containers[i] = given[i] ? given[i] : this;
  }
}

bool CPelomarView::CreateChildView(CPelomarChildView& view, int container, const wchar_t* className,
                                   const RECT& rect, UINT id) {
  view.SetSharedWnds(m_pSharedWnds);
  return view.CreateView(className, WS_CHILD | WS_VISIBLE, rect, m_containers[container], id);
}

void CPelomarView::CreateCafeDataView() {
  m_cafeDataView = MakeChild(ChildMakers().cafeDataView, *this);
  const RECT rect{0, 0, 208, 154};
  if (!CreateChildView(*m_cafeDataView, 0, L"CClientDataView", rect, IDC_CAFE_DATA_VIEW))
    m_cafeDataView.reset();
}

void CPelomarView::CreateMonitoringView() {
  m_monitoringView = MakeChild(ChildMakers().monitoringView, *this);
  const RECT rect{0, 0, 208, 154};
  if (!CreateChildView(*m_monitoringView, 2, L"CStockMonitoringView", rect, IDC_MONITORING_VIEW))
    m_monitoringView.reset();
}

void CPelomarView::CreateTabsAndGrids() {
  m_tabs = new wxNotebook(this, IDC_PELOMAR_TAB, wxPoint(0, 0), wxSize(208, 154));
  auto addDayColumns = [](orv::ui::CMyReportCtrl& grid, int firstItem) {
    for (int i = 0; i < kDayColumnCount; ++i)
      grid.AddColumn(firstItem + i, std::to_wstring(i + 1), L">60");
  };

  m_allStockGrid = std::make_unique<orv::ui::CMyReportCtrl>();
  if (auto* w = orv::ui::GfxInitReportCtrl2(*m_allStockGrid, m_tabs, IDC_ALL_STOCK_GRID,
                                            kAllStockGridLayout)) {
    addDayColumns(*m_allStockGrid, kAllStockDayItemFirst);
    m_allStockGrid->FreezeColumns(13);
    m_tabs->AddPage(w->GetWindow(), wxString(L"전종목 시세"));
  }

  m_myStockGrid = std::make_unique<orv::ui::CMyReportCtrl>();
  if (auto* w =
          orv::ui::GfxInitReportCtrl2(*m_myStockGrid, m_tabs, IDC_MY_STOCK_GRID, m_myGridLayout)) {
    m_myStockGrid->FreezeColumns(14);
    addDayColumns(*m_myStockGrid, kMyStockDayItemFirst);
    m_tabs->AddPage(w->GetWindow(), wxString(L"보유종목.감시"));
  }

  m_orderHistoryGrid = std::make_unique<orv::ui::CMyReportCtrl>();
  if (auto* w = orv::ui::GfxInitReportCtrl2(*m_orderHistoryGrid, m_tabs, IDC_ORDER_HISTORY_GRID,
                                            m_myGridLayout)) {
    m_orderHistoryGrid->FreezeColumns(28);
    if (auto* column = m_orderHistoryGrid->GetColumn(32)) column->spec.title = L"주문시각";
    m_orderHistoryGrid->ShowColumn(32, true);
    m_tabs->AddPage(w->GetWindow(), wxString(L"주문 내역"));
  }
  if (m_tabs->GetPageCount() > 1) m_tabs->SetSelection(1);
}

HWND CPelomarView::ViewHandle() const { return m_messageSink->GetSafeHwnd(); }

orv::ui::CMyReportCtrl* CPelomarView::Grid(int id) {
  switch (id) {
    case IDC_ALL_STOCK_GRID:
      return m_allStockGrid.get();
    case IDC_MY_STOCK_GRID:
      return m_myStockGrid.get();
    case IDC_ORDER_HISTORY_GRID:
      return m_orderHistoryGrid.get();
    default:
      return nullptr;
  }
}

void CPelomarView::CreateChildDialogs() {
  PelomarChildMakers& makers = ChildMakers();
  GroupInfoMap* accounts = &m_engine->Accounts();
  const int splitAmount = m_engine->Options().split_sell_amount;
  // Each dialog is made once; one whose window cannot be made is dropped.
  auto create = [this](auto& dialog, auto& maker, int templateId, wxWindow* parent = nullptr) {
    if (dialog) return false;
    dialog = MakeChild(maker, *this);
    if (!dialog->CreateFromTemplate(templateId, parent ? parent : this)) {
      dialog.reset();
      return false;
    }
    dialog->SetOwnerWnd(this, false);
    return true;
  };
  // The side panel sits in the host's account-information pane ("계좌 정보") when the host
  // gave one, else in the view.
  if (create(m_orderPanel, makers.orderPanel, 3175, m_containers[1])) {
    // Without the host's pane it stays hidden: the view lays out no place for it.
    m_orderPanel->ShowWindow(m_containerGiven[1]);
    m_orderPanel->SetSplitOrderBaseMoney(splitAmount);
    m_orderPanel->SetServerMode(0, L"체크중");
    m_orderPanel->SetAccountList(accounts, nullptr, nullptr, 0, m_pLoginInfo);
    m_orderPanel->SetServerMode(ServerFlags(), nullptr);
  }
  if (create(m_orderPopup, makers.orderPopup, 3173)) {
    m_orderPopup->SetSplitOrderBaseMoney(splitAmount);
    m_orderPopup->SetServerMode(0, L"");
    m_orderPopup->SetAccountList(accounts, nullptr, nullptr, 0, m_pLoginInfo);
  }
  if (create(m_accountDialog, makers.accountDialog, 2284))
    m_accountDialog->SetAccountList(accounts, nullptr, nullptr);
  if (create(m_settingsDialog, makers.settingsDialog, 3170)) m_settingsDialog->HideDialog();
  if (create(m_chartDialog, makers.chartDialog, 3177)) m_chartDialog->HideDialog();
  if (create(m_tickListDialog, makers.tickListDialog, 3176)) m_tickListDialog->HideDialog();
  if (create(m_cafeDialog, makers.cafeDialog, 2254)) m_cafeDialog->CenterWindow();
  if (m_cafeDialog) {
    // The cafe downloads fill the dialog's grids from now on.
    m_cafeDialog->Grids().SetScreenScale(Scale());
    m_engine->Cafe().SetDialogFiller(&m_cafeDialog->CafeFiller());
  }
  if (create(m_stockBoard, makers.stockBoard, 2254)) m_stockBoard->CenterWindow();
}

void CPelomarView::CreateStairWatchDialog() {
  if (m_stairWatchDialog) return;
  m_stairWatchDialog = MakeChild(ChildMakers().stairWatchDialog, *this);
  if (!m_stairWatchDialog->CreateFromTemplate(3178, this)) {
    m_stairWatchDialog.reset();
    return;
  }
  m_stairWatchDialog->CenterWindow();
  m_stairWatchDialog->ShowWindow(false);
}

void CPelomarView::PrepareLoginTexts() {
  m_loginNotice = kLoginNoticeFormat;
  if (m_pRunSetting) m_loginNotice += m_pRunSetting->szHomePage;
  // The stored login data is encrypted and stays unread here, so no auto login is offered:
  // the dialog gets no user id or password.
  const int serverNumber = 0;
  if (m_loginFlags & LOGIN_FLAG_AUTO) {
    m_loginDialogFlags = LOGIN_DIALOG_FLAGS | LOGIN_FLAG_AUTO;
  } else {
    m_loginDialogFlags = LOGIN_DIALOG_FLAGS;
    m_credentialText = std::to_wstring(m_loginFlags) + L"\t\t\t\t" +
                       std::to_wstring(m_loginServerIndex) + L"\t" + std::to_wstring(serverNumber);
  }
}

void CPelomarView::CreateCheckBoxes() {
  struct CheckSpec {
    int id;
    const wchar_t* caption;
    int value;
  };
  const CheckSpec specs[4] = {
      {IDC_CHECK_SELL_ONE_BY_ONE, L"수익 간격 개별 설정", m_sellOneByOne},
      {IDC_CHECK_SIMPLE_UI, L"단순 UI 모드", m_simpleUiMode},
      {IDC_CHECK_PROFIT_STEPS, L"감시 계단 보기", m_showProfitStepCol},
      {IDC_CHECK_ALL_STOCK_WATCH, L"전종목 감시 ON", m_allStockWatch},
  };
  for (int i = 0; i < 4; ++i) {
    auto* check = new wxCheckBox(this, specs[i].id, wxString(specs[i].caption));
    check->SetFont(*m_checkFont);
    check->SetValue(specs[i].value != 0);
    check->Raise();
    m_checks[i] = check;
  }
  m_profitRatesButton = new wxButton(this, IDC_PROFIT_RATES_BUTTON, wxString(L"권장 수익률 설정"));
  m_profitRatesButton->SetFont(*m_checkFont);
}

void CPelomarView::LayOut() {
  InitWindowParts();
  LayoutChildWindows();
}

void CPelomarView::StartTimers() {
  // Timers 3 and 1 start only while their id is not set; timer 2 only when it has none.
  StartTimer(0, PELOMAR_TIMER_3, 500);
  StartTimer(1, PELOMAR_TIMER_TICK, 500);
  StartTimer(2, PELOMAR_TIMER_2, 2000);
  Bind(wxEVT_TIMER, &CPelomarView::OnTimerEvent, this);
}

void CPelomarView::StartTimer(int slot, int id, int ms) {
  if (m_timerIds[slot] > 0) return;
  m_timers[slot] = std::make_unique<wxTimer>(this, id);
  if (m_timers[slot]->Start(ms)) m_timerIds[slot] = id;
}

void CPelomarView::KillTimer(int slot) {
  if (m_timers[slot]) m_timers[slot]->Stop();
  m_timerIds[slot] = 0;
}

void CPelomarView::OnTimerEvent(wxTimerEvent& event) {
  if (!OnTimer(event.GetId())) event.Skip();
}

bool CPelomarView::OnTimer(int timerId) {
  switch (timerId) {
    // Ticks that only count down or report status texts leave the windows as they are: no
    // idle pass follows them.
    case PELOMAR_TIMER_TICK:
      if (!m_engine->OnTradingTick()) orv::ui::ProgramIdleGate().Unchanged();
      return true;
    case PELOMAR_TIMER_2:
      m_engine->ReportTimings();
      orv::ui::ProgramIdleGate().Unchanged();
      return true;
    case PELOMAR_TIMER_3:
      KillTimer(0);
      if (m_commandBar)
        m_engineWindow->LayOutTabPanes();
      else
        LayOut();
      return true;
    case PELOMAR_TIMER_LOGOUT:
      if (m_logoutTimer) m_logoutTimer->Stop();
      m_engine->LogoutUser(nullptr, 1);
      UpdateUiModeVisibility(nullptr, true);
      return true;
    default:
      return false;
  }
}

void CPelomarView::OnToggleTradingTimers() {
  m_timersOn = m_timersOn ? 0 : 1;
  if (!m_timersOn) {
    KillTimer(1);
    KillTimer(2);
    return;
  }
  StartTimer(1, PELOMAR_TIMER_TICK, 500);
  StartTimer(2, PELOMAR_TIMER_2, 2000);
}

void CPelomarView::StartLogoutTimer() {
  if (!m_logoutTimer) m_logoutTimer = std::make_unique<wxTimer>(this, PELOMAR_TIMER_LOGOUT);
  m_logoutTimer->StartOnce(100);
}

// ---------------------------------------------------------------------------------------
// Embedded-view interface

int CPelomarView::AddLogMsg(DWORD ctrlId, DWORD kind, double value, const wchar_t* title,
                            const wchar_t* message, uint8_t flag) {
  return m_engine->Logs().AddLogMsg(ctrlId, kind, value, title, message, flag);
}

int CPelomarView::RefreshWindowAll(int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*, wchar_t,
                                   uint8_t) {
  return 0;
}

int CPelomarView::RefreshWindow(int, int, SYSTEMTIME*, SYSTEMTIME*, const wchar_t*, void*, wchar_t,
                                uint8_t) {
  m_layout.shown = true;
  LayoutChildWindows();
  Refresh();
  return 1;
}

int CPelomarView::GetLoginCallbackFunc(void** outCtx, ::LoginCallback* outLogin,
                                       ::LoginNotifyCallback* outNotify) {
  if (outNotify) *outNotify = &CPelomarView::LoginNotifyCallback;
  if (!outCtx || !outLogin) return 0;
  *outCtx = this;
  *outLogin = &CPelomarView::LoginCallback;
  return 1;
}

void CPelomarView::SetLoginHandlers(LoginHandler login, LoginNotifyHandler notify) {
  m_loginHandler = std::move(login);
  m_loginNotifyHandler = std::move(notify);
}

int CPelomarView::LoginCallback(void* ctx, int kind, const wchar_t* text1, const wchar_t* text2,
                                const wchar_t* text3, const wchar_t* text4, const wchar_t* text5,
                                int num1, int num2, int num3, int num4, uint8_t flag,
                                const wchar_t* text6, int* outCode, wchar_t* outText) {
  auto* view = static_cast<CPelomarView*>(ctx);
  if (!view || !view->m_loginHandler) return 0;
  const wchar_t* texts[6] = {text1, text2, text3, text4, text5, text6};
  const int nums[4] = {num1, num2, num3, num4};
  return view->m_loginHandler(*view, kind, texts, nums, flag, outCode, outText);
}

int CPelomarView::LoginNotifyCallback(void* ctx, unsigned int state, int value1, int value2,
                                      const wchar_t* text, void* data, char**, int*) {
  auto* view = static_cast<CPelomarView*>(ctx);
  if (!view || !view->m_loginNotifyHandler) return 0;
  return view->m_loginNotifyHandler(*view, state, value1, value2, text, data);
}
