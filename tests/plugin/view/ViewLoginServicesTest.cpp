// What the user login asks of the trading view, through the view the plug-in makes: the rate
// table applied to the holdings rows, the stored login forgotten at a logout, and the web
// login's notices in the order side panel.

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/DbViewBase.h"
#include "platform/support/LoginStore.h"
#include "platform/ui/model/ReportCtrl.h"
#include "platform/ui/model/ReportItems.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/WebLogin.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/rows/RurezOzadoResultRecord.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/HoldingsGrid.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/peers/ExchangePeer.h"
#include "tests/peers/TestCa.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/plugin/view/ViewStage.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

struct PanelTexts {
  std::wstring notice, state;
};
PanelTexts& Panel() {
  static PanelTexts texts;
  return texts;
}

struct NoticePanel : CPelomarOrderWindow {
  void SetNoticeText(const wchar_t* text) override { Panel().notice = text ? text : L""; }
  void SetAccountLabels(const wchar_t*, const wchar_t* state, int, int) override {
    Panel().state = state ? state : L"";
  }
};

class ViewLoginServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    // Web requests fail at once: nothing listens there.
    std::snprintf(run_.szWebApiBase, sizeof run_.szWebApiBase, "http://127.0.0.1:1");
    ChildMakers().orderPanel = [](CPelomarView&) { return std::make_unique<NoticePanel>(); };
    Panel() = PanelTexts{};
    view_ = stage_.CreateView();
    ASSERT_NE(view_, nullptr);
    ASSERT_NE(view_->LoginEngine(), nullptr);
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    if (view_) view_->Destroy();
    ChildMakers() = PelomarChildMakers{};
  }

  CWebLogin& Web() { return view_->LoginEngine()->WebLogin(); }

  // A holding of the engine's holdings map; the account refresh makes its row.
  StockTrade_s* AddHolding(const wchar_t* code, uint8_t market, double profitRate) {
    CPelomarEngine& engine = view_->Engine();
    Stock_s* stock = engine.Stocks().AddMasterStock(1, code, code, 0, 0, 0, 0, 10000, 0, 0);
    stock->market = market;
    auto* h = new StockTrade_s();
    h->stock = stock;
    h->account_no = static_cast<int32_t>(engine.Stocks().Holdings().size()) + 1;
    std::wcscpy(h->code, code);
    h->quantity = 10;
    h->avg_price = 10000;
    h->profit_rate = profitRate;
    h->stop_loss_rate = -7;
    h->auto_trade = 1;
    h->rules_ready = 1;  // checked before: its own stop-loss is in force
    engine.Stocks().Holdings().emplace(h, 0);
    return h;
  }
  CRurezOzadoResultRecord* RowOf(const StockTrade_s* holding) {
    return view_->HoldingsRows()->RowOf(
        HoldingKey_s{holding->account_no, holding->code, holding->holding_kind});
  }
  int ConfirmRateTable() {
    return CPelomarView::LoginNotifyCallback(view_, 3000, 0, 0, nullptr, nullptr, nullptr,
                                             nullptr);
  }

  orv::test::ViewStage stage_;
  orv::test::TempDir& dir_ = stage_.dir;
  SharedWnds_s& block_ = stage_.block;
  app_run_setting_s& run_ = stage_.run;
  login_info_s& login_ = stage_.login;
  search_condition_s& folders_ = stage_.folders;
  CPelomarView* view_ = nullptr;
};

}  // namespace

TEST_F(ViewLoginServicesTest, TheRateTableSetsEveryHoldingRowByItsProfitBand) {
  // Values: take-profit or its correction, the first-band switch, the step width. The 15 %
  // band's correction is floored at -8, the 50 % band's at -15; a width below 1 becomes 1.
  Web().m_stopLossRates =
      "4.9% 이하 수익권=5,0,2,최저 5%;5~14.9% 수익권=-2.5,1,5;15~29.9% 수익권=-9,0,6;"
      "30%이상 수익권=3,1,0.5;50%이상 수익권=-20,1,7;(국내) 손절 라인=-11;"
      "(해외) 손절 라인=100;(코인) 손절 라인=-1";
  struct Case {
    const wchar_t* code;
    uint8_t market;
    double profit;
    double take, width, correction, stop;
  } cases[] = {
      {L"A01", kMarketDomestic, 2, 5, 2, 0, -11},      // below 5 %, under the take-profit
      {L"A02", kMarketDomestic, -5, 5, 2, 0, -16},     // a loss moves the stop line down
      {L"A03", kMarketDomestic, 7, 4.5, 5, 2.5, -11},  // 5 % band
      {L"A04", kMarketDomestic, 20, 12, 6, 0, -11},    // 15 % band, floored correction
      {L"A05", kMarketDomestic, 35, 32, 1, 3, -11},    // 30 % band
      {L"A06", kMarketDomestic, 60, 45, 7, 15, -11},   // 50 % band
      {L"US1", kMarketOverseas, 2, 5, 2, 0, -100},     // a line of 100: no stop-loss
      {L"BTC", kMarketCoin, -3, 5, 2, 0, -7},          // a line of -1 keeps the stop-loss
  };
  std::vector<StockTrade_s*> holdings;
  for (const Case& c : cases) holdings.push_back(AddHolding(c.code, c.market, c.profit));
  // Without a signed-in user nothing changes.
  EXPECT_EQ(ConfirmRateTable(), 0);

  login_.nUserIdx = 5;
  view_->Engine().PublishHoldings();
  EXPECT_EQ(ConfirmRateTable(), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::string(c.code, c.code + std::wcslen(c.code)));
    const StockTrade_s* h = holdings[i];
    EXPECT_EQ(h->auto_trade, 0);
    EXPECT_DOUBLE_EQ(h->min_take_profit, c.take);
    EXPECT_DOUBLE_EQ(h->step_width, c.width);
    EXPECT_DOUBLE_EQ(h->first_band_on ? h->first_band_correction : 0, c.correction);
    EXPECT_DOUBLE_EQ(h->stop_loss_rate, c.stop);
    EXPECT_DOUBLE_EQ(h->stairs[0].threshold, c.take) << "the ladder starts at the take-profit";
    EXPECT_EQ(h->peak_step, -1);
    CRurezOzadoResultRecord* row = RowOf(h);
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->GetCheckValue(CRurezOzadoResultRecord::kColAutoTrade));
    EXPECT_DOUBLE_EQ(row->GetNumberValue(CRurezOzadoResultRecord::kColMinProfit), c.take);
    EXPECT_DOUBLE_EQ(row->GetNumberValue(CRurezOzadoResultRecord::kColStopLoss), c.stop);
    EXPECT_DOUBLE_EQ(row->GetNumberValue(CRurezOzadoResultRecord::kColStepInterval), c.width);
    EXPECT_EQ(row->GetItem(CRurezOzadoResultRecord::kColStopLoss)->backColor,
              c.stop > -90 ? 0xe6e0b0u : 0x9fe7f9u);
  }
  // The table is kept for the user, where the next login reads it.
  EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings", "Stock-AutoStopLossRates", Web().m_agencyIdx,
                                        5, ""),
            Web().m_stopLossRates);
}

TEST_F(ViewLoginServicesTest, WithoutAStoredTableTheDefaultTableApplies) {
  StockTrade_s* h = AddHolding(L"005930", kMarketDomestic, 8);
  StockTrade_s* sold = AddHolding(L"000660", kMarketDomestic, 8);
  login_.nUserIdx = 5;
  view_->Engine().PublishHoldings();
  // A holding the balance query drops is freed; its row stays behind and is left alone.
  HoldingMap& holdings = view_->Engine().Stocks().Holdings();
  holdings.erase(sold);
  delete sold;
  view_->Engine().PublishHoldings();
  for (const char* stored : {"", "4.9% 이하 수익권=9,0,9;(국내) 손절 라인=-5"}) {
    Web().m_stopLossRates = stored;
    EXPECT_EQ(ConfirmRateTable(), 1);
    // The default table's 5 % band: 2.5 points below the profit, 5 % steps.
    EXPECT_DOUBLE_EQ(h->min_take_profit, 5.5);
    EXPECT_DOUBLE_EQ(h->step_width, 5);
    EXPECT_DOUBLE_EQ(h->stop_loss_rate, -100);
    EXPECT_NE(Web().m_stopLossRates.find("(코인) 손절 라인=-100"), std::string::npos);
  }
}

TEST_F(ViewLoginServicesTest, ALogoutForgetsTheStoredLoginOnlyWhenTheUserChoseAutoLoginAndSaysYes) {
  const struct {
    int loginFlags;
    int answer;
    size_t questions;
    bool forgotten;
  } cases[] = {{0, IDYES, 0, false}, {0x80, IDNO, 1, false}, {0x80, IDYES, 1, true}};
  // Broker 8 (an exchange) takes the keys at a loopback exchange; the service check then fails
  // at once (no web server), so the login ends without forgetting the stored login.
  orv::test::TestCa ca("Orvella View Test CA");
  orv::test::ExchangePeer exchange(orv::test::ExchangePeer::Kind::kBithumb, ca);
  ASSERT_TRUE(exchange.Start());
  exchange.AcceptCredentials("key", "secret");
  ASSERT_TRUE(ca.WriteCertificate(dir_.Path() + "/Settings/cacert.pem"));
  ASSERT_FALSE(view_->Engine().ResolveCaCertPath().empty());
  ASSERT_NE(orv::win::WriteProfileString("Settings", "BrokerHost-8",
                                         "127.0.0.1:" + std::to_string(exchange.Port())),
            0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loginFlags + c.answer);
    run_.pCryptedLogin = static_cast<uint8_t*>(std::malloc(4));
    run_.nCryptedLoginLen = 4;
    int code = 0;
    wchar_t text[260] = {};
    CPelomarView::LoginCallback(view_, 0, L"user", L"key", L"secret", L"", L"", 8, 1,
                                c.loginFlags, 0, 0, nullptr, &code, text);
    orv::win::ScriptMessageBoxes({c.answer});
    view_->OnTimer(PELOMAR_TIMER_LOGOUT);
    const auto calls = orv::win::ScriptedMessageBoxCalls();
    orv::win::StopScriptingMessageBoxes();
    ASSERT_EQ(calls.size(), c.questions);
    if (c.questions) {
      EXPECT_EQ(calls[0].caption, "QUESTION");
    }
    EXPECT_EQ(run_.pCryptedLogin == nullptr, c.forgotten);
    std::string stored = "x";
    const int found = GfxLoadCryptedDataFromDb(view_->Engine().OptionsDb(), 1, &stored, nullptr);
    EXPECT_EQ(found == 1 && stored.empty(), c.forgotten);
    std::free(run_.pCryptedLogin);
    run_.pCryptedLogin = nullptr;
  }
  EXPECT_EQ(exchange.RequestsTo(orv::test::ExchangePeer::kAccountsPath).size(), 3u)
      << "one key check per login";
  EXPECT_TRUE(exchange.TokenRefusals().empty());
}

TEST_F(ViewLoginServicesTest, AnUnansweredServiceCheckShowsItsNoticeAndStateInTheSidePanel) {
  EXPECT_EQ(Web().LoadServiceSettings(nullptr, 11, &login_, "app", L"user", nullptr, 0, 1, 1), 0);
  EXPECT_EQ(Panel().notice.rfind(L"※인증 체크중(0.H:0/", 0), 0u) << Panel().notice;
  EXPECT_EQ(Panel().state, L"확인중(1)");
}

// The signed-in user's cafe downloads reach the grids of the cafe dialog the view made: one
// row per recommended master stock, the same rows on every pass.
TEST_F(ViewLoginServicesTest, CafeDownloadsFillTheCafeDialogsGrids) {
  orv::test::WebServerPeer peer;
  ASSERT_TRUE(peer.Start());
  peer.AddUser({"user7", 77, "tk-77", 0, "", ""});
  orv::test::WebServerCafe cafe;
  cafe.idx = 7;
  cafe.title = "가치투자";
  cafe.managerName = "매니저";
  cafe.managerIdx = 500;
  cafe.items = {{1, "005930", "삼성전자"}, {1, "000660", "SK하이닉스"}};
  peer.ServeCafes({cafe});
  std::snprintf(run_.szWebApiBase, sizeof run_.szWebApiBase, "%s", peer.BaseUrl().c_str());
  CWebLogin& web = Web();
  web.m_userId = L"user7";
  web.m_userIdx = 77;
  web.m_userToken = "tk-77";
  web.BuildUserQueryParams();
  login_.nUserIdx = 77;
  login_.nOwnCafeIdx = 7;
  CPelomarEngine& engine = view_->Engine();
  engine.Stocks().AddMasterStock(kMarketDomestic, L"005930", L"삼성전자", 1, 0, 0, 0, 1000, 0, 0);
  engine.Stocks().AddMasterStock(kMarketDomestic, L"000660", L"SK하이닉스", 1, 0, 0, 0, 1000, 0,
                                 0);
  ASSERT_NE(view_->CafeDialog(), nullptr);
  CCafeDlgGrids& grids = view_->CafeDialog()->Grids();
  orv::ui::CMyReportCtrl& grid = grids.InterestGrid();
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
  for (int pass = 0; pass < 2; ++pass) {
    // The results come to the grids through the view's user-interface thread. A pass the
    // view's own cafe worker runs meanwhile (woken before the user was set) makes this one
    // return at once, so the pass is asked again until the rows are there.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      engine.Cafe().Wake();
      engine.Cafe().RunPass(curl.get());
      for (int i = 0; i < 10; ++i) {
        wxTheApp->ProcessPendingEvents();
        wxYield();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    } while (grid.GetRecordCount() < 2 && std::chrono::steady_clock::now() < until);
    ASSERT_EQ(grid.GetRecordCount(), 2) << pass;
    EXPECT_EQ(grid.GetRecord(0)->GetItemCaption(CCafeStockRecord::kColCode), L"000660");
    EXPECT_EQ(grid.GetRecord(1)->GetItemCaption(CCafeStockRecord::kColName), L"삼성전자");
  }
  EXPECT_EQ(grids.CurrentCafe(), 7);
  EXPECT_EQ(grids.CafePicker().entries.ToText(), L"7:가치투자;");
}
