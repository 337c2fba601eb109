// Web pages handed to the host, browser addresses, the event page, stock-page addresses and the
// stock-grid menu commands.

#include "platform/win/MessageBox.h"
#include "plugin/community/StockGridMenu.h"
#include "plugin/community/WebPages.h"
#include "tests/plugin/community/WebFixture.h"

namespace orv::test {
namespace {

using WebPagesTest = WebFixture;

const std::vector<std::string> kStandard = {"b2b",      "rsp",  "co", "agc", "gdp",
                                            "deployer", "uidx", "tk", "uid2"};

std::vector<std::string> Plus(std::vector<std::string> keys, const char* more) {
  keys.push_back(more);
  return keys;
}

TEST_F(WebPagesTest, EachPageCommandOpensItsPageWithItsQuery) {
  const std::vector<std::string> application = Plus(kStandard, "apk");
  const std::vector<std::string> key = {"key", "tk", "uidx", "agc", "gdp", "deployer", "uid2"};
  const std::vector<std::string> balance = kStandard;
  struct Case {
    int command;
    const char* path;
    std::vector<std::string> keys;
    const wchar_t* title;
    int slot;
    bool callback;
  } cases[] = {
      {ID_MEMBER_JOIN,
       "/stock/user_regist",
       {"b2b", "rsp", "co", "agc", "gdp", "deployer", "uidx", "chk4", "chk5", "tk", "uid2", "key"},
       L"정보 변경/전문가 신청 등 : a+b>?/홍길동 님",
       3,
       true},
      {ID_DEPLOYER_PROFIT, "/app/dividend", kStandard, L"앱 배포자 수익 조회(a+b>?/홍길동 님)", 3,
       true},
      {ID_CUSTOMER_DISCOUNT, "/stock/users_term_list", kStandard, L"고객 요금 할인율 보기", 17,
       true},
      {ID_INVESTOR_LIST, "/founder/list", kStandard, L"투자자 목록/약정서 보기", 17, true},
      {ID_REMOTE_SUPPORT, "/remote_dsk", application, L"원격지원 요청", 7, true},
      {ID_APP_PROMOTION, "/app/pr_list", application, L"앱 홍보 목록 보기", 14, true},
      {ID_BUG_REPORT, "/bbs/list", kStandard, L"버그 리포트", 8, true},
      {ID_NOTICE, "/notice/list", application, L"공지사항 보기", 7, true},
      {ID_USER_PR_BOARD, "/stock/user_eq_pr", application, L"사용자 뽐내기 게시판 보기", 7, true},
      {ID_OPEN_API_APPLY, "/openapi", application, L"OpenApi 키 신청", 7, true},
      {ID_MY_ORDER_LIST, "/stock/order_list", key, L"내 매매 내역 조회", 25, true},
      {ID_MY_ORDER_LIST_TAB, "/stock/order_list", key, L"내 매매 내역 조회", 25, true},
      {ID_BALANCE_HISTORY, "/stock/user_accs_m", balance, L"내 잔고 변동 내역 조회", 27, false},
      {ID_USER_ORDERS_PAGE, "/stock/user_orders_m", balance, L"내 잔고 변동 내역 조회", 27, false},
      {ID_AUTO_TRADE_BATTLE,
       "/stock/user_score",
       {"key", "tk", "uidx", "sim", "agc", "gdp", "deployer", "uid2"},
       L"자동매매 배틀 현황",
       26,
       true},
      {ID_REMOTE_CONTROL, "/stock/mystock", key, L"자동매매 설정 원격 제어", 26, true},
  };
  CWebPages pages(web, engine);
  for (const Case& c : cases) {
    engine.notifies.clear();
    ASSERT_TRUE(pages.OnCommand(c.command)) << c.command;
    ASSERT_EQ(1u, engine.notifies.size()) << c.command;
    const HostNotify& n = engine.notifies[0];
    const std::string url = WideToUtf8(n.text2);
    EXPECT_EQ(16, n.kind) << c.command;
    EXPECT_EQ(0, n.code);
    EXPECT_EQ(c.title, n.text1) << c.command;
    EXPECT_EQ(c.slot, n.slot) << c.command;
    EXPECT_EQ(c.callback, n.withCallback) << c.command;
    EXPECT_EQ(0u, url.find(peer.BaseUrl() + c.path + "?")) << url;
    EXPECT_EQ(c.keys, QueryKeys(url)) << c.command;
    EXPECT_EQ(WideToUtf8(web.m_identity.escapedId), QueryValue(url, "uid2")) << c.command;
  }
  EXPECT_FALSE(pages.OnCommand(1));
}

TEST_F(WebPagesTest, QueryValuesFollowTheLoginState) {
  CWebPages pages(web, engine);
  const std::string standard = pages.StandardQuery(L"bbs/list");
  EXPECT_EQ("stock", QueryValue(standard, "b2b"));
  EXPECT_EQ("html", QueryValue(standard, "rsp"));
  EXPECT_EQ("5", QueryValue(standard, "co"));
  EXPECT_EQ("3", QueryValue(standard, "agc"));
  EXPECT_EQ("11", QueryValue(standard, "gdp"));
  EXPECT_EQ("12", QueryValue(standard, "deployer"));
  EXPECT_EQ("77", QueryValue(standard, "uidx"));
  EXPECT_EQ("tk-77", QueryValue(standard, "tk"));
  // The id's base64 ("YStiPj8=") holds "+"-free text with a "=" fill: escaped in queries.
  EXPECT_NE(std::string::npos, QueryValue(standard, "uid2").find("%3D"));

  const std::string battle = pages.BattleQuery(L"stock/user_score");
  EXPECT_EQ("-1", QueryValue(battle, "sim"));
  EXPECT_EQ("0", QueryValue(battle, "agc"));
  EXPECT_EQ(web.m_identity.idKey, QueryValue(battle, "key"));

  EXPECT_EQ("orvella.app", QueryValue(pages.ApplicationQuery(L"openapi"), "apk"));
}

TEST_F(WebPagesTest, CommandsBeforeLoginAndTheJoinTitle) {
  web.m_userIdx = 0;
  login.nUserIdx = 0;
  CWebPages pages(web, engine);
  EXPECT_EQ(0, pages.OnDeployerProfitCmd());
  EXPECT_TRUE(engine.notifies.empty());
  pages.OnMemberJoinCmd();
  pages.OnNoticeCmd();
  ASSERT_EQ(2u, engine.notifies.size());
  EXPECT_EQ(L"회원 가입", engine.notifies[0].text1);
  EXPECT_EQ("0", QueryValue(WideToUtf8(engine.notifies[1].text2), "uidx"));
}

TEST_F(WebPagesTest, ManualPagesUseTheManualBase) {
  CWebPages pages(web, engine);
  pages.OnCommand(ID_WEB_MANUAL);
  pages.OnCommand(ID_APP_SETTINGS_MANUAL);
  ASSERT_EQ(2u, engine.notifies.size());
  EXPECT_EQ(L"https://manual.example/docs/orvella/", engine.notifies[0].text2);
  EXPECT_EQ(L"https://manual.example/docs/orvella/app_settings/", engine.notifies[1].text2);
  EXPECT_EQ(8, engine.notifies[1].slot);
  EXPECT_EQ(L"웹 매뉴얼", engine.notifies[1].text1);
}

TEST_F(WebPagesTest, OrderListPagesKeepTheirWindow) {
  CWebPages pages(web, engine);
  engine.pageWindow = 0;
  pages.OnMyOrderListTabCmd();
  EXPECT_EQ((std::vector<std::string>{"maximize", "tab 2"}), engine.calls);
  EXPECT_EQ(0, engine.currentWebWindow);

  engine.calls.clear();
  engine.pageWindow = 4242;
  pages.OnMyOrderListTabCmd();
  EXPECT_EQ((std::vector<std::string>{"maximize", "tab 2", "timer 20 1000"}), engine.calls);
  EXPECT_EQ(4242, engine.currentWebWindow);

  engine.pageWindow = 99;
  pages.OnBalanceHistoryCmd();
  EXPECT_EQ(99, engine.currentWebWindow);
}

TEST_F(WebPagesTest, BrowserOpensOnlyWebAddressesFromTheServer) {
  CWebPages pages(web, engine);
  wcscpy(run.szHomePage, L"https://home.example/");
  struct Case {
    const wchar_t* homepage;
    const wchar_t* band;
    const wchar_t* openedHome;
    const wchar_t* openedBand;
  } cases[] = {
      {L"https://site.example/", L"http://band.example/x", L"https://site.example/",
       L"http://band.example/x"},
      {L"", L"", L"https://home.example/", kDefaultCommunityPage},
      {L"file:///etc/passwd", L"javascript:alert(1)", L"https://home.example/",
       kDefaultCommunityPage},
      {L"\\\\host\\share\\run.exe", L"https://", L"https://home.example/", kDefaultCommunityPage},
  };
  for (const Case& c : cases) {
    engine.browser.clear();
    web.m_settings.homepage = c.homepage;
    web.m_settings.bandUrl = c.band;
    EXPECT_TRUE(pages.OnCommand(ID_HOMEPAGE));
    EXPECT_TRUE(pages.OnCommand(ID_COMMUNITY_PAGE));
    EXPECT_EQ((std::vector<std::wstring>{c.openedHome, c.openedBand}), engine.browser);
  }
  run.szHomePage[0] = 0;
  web.m_settings.homepage = L"ftp://x";
  EXPECT_EQ(kDefaultHomepage, pages.OnHomepageCmd());
}

TEST_F(WebPagesTest, OpenWebPageEndsWithTheExtraText) {
  CWebPages pages(web, engine);
  pages.OpenWebPage(L"결과", L"stock/cafe_rec_items_result", nullptr);
  pages.OpenWebPage(L"결과", L"stock/cafe_rec_items_result", "&cafe=3&rec=4");
  ASSERT_EQ(2u, engine.notifies.size());
  const std::string plain = WideToUtf8(engine.notifies[0].text2);
  EXPECT_EQ(Plus(kStandard, "apk"), QueryKeys(plain));
  EXPECT_EQ("orvella.app", plain.substr(plain.size() - 11));
  EXPECT_EQ(7, engine.notifies[0].slot);
  const std::string extra = WideToUtf8(engine.notifies[1].text2);
  EXPECT_EQ(plain + "&cafe=3&rec=4", extra);
}

TEST_F(WebPagesTest, EventPageAndAiCommentAddress) {
  CWebPages pages(web, engine);
  EXPECT_EQ(0, pages.OpenServicePage(5));
  EXPECT_TRUE(engine.notifies.empty());
  pages.OpenServicePage(6);
  ASSERT_EQ(1u, engine.notifies.size());
  const HostNotify& n = engine.notifies[0];
  EXPECT_EQ(18, n.kind);
  EXPECT_EQ(3, n.code);
  EXPECT_EQ(9, n.val1);
  EXPECT_EQ(6, n.val2);
  EXPECT_EQ(L"이벤트", n.text1);
  EXPECT_EQ(L"event-view", n.text2);
  EXPECT_EQ("stock", n.extra);
  EXPECT_EQ(11, n.n1);
  EXPECT_EQ(12, n.n2);
  EXPECT_EQ(15, n.slot);

  EXPECT_EQ(0, pages.MakeAiCommentUrl(nullptr));
  std::wstring url;
  EXPECT_EQ(0, pages.MakeAiCommentUrl(&url));
  const std::string narrow = WideToUtf8(url);
  EXPECT_EQ(0u, narrow.find(peer.BaseUrl() + "/stock/ai_cmt?"));
  EXPECT_EQ("html", QueryValue(narrow, "rsp"));
  EXPECT_EQ("tk-77", QueryValue(narrow, "tk"));
  EXPECT_EQ("members", QueryValue(narrow, "qt"));
}

TEST_F(WebPagesTest, StockPageUrlsByMarketLetter) {
  web.m_settings.stockUrl = "https://kr.example/item?code=%s";
  web.m_settings.foreignStockUrlD = "https://f.example/d/%s%s";
  web.m_settings.foreignStockUrlN = "https://f.example/n/%hs%hs";
  web.m_settings.foreignStockUrlE = "https://f.example/e/%s%s";
  engine.suffixes["TSLA"] = ".N";
  struct Case {
    const wchar_t* code;
    char letter;
    const char *url, *noSuffix, *suffix;
  } cases[] = {
      {L"X0700", 'H', "https://f.example/d/0700.HK", "https://f.example/d/0700.HK", ".HK"},
      {L"TSLA", 'D', "https://f.example/d/TSLA.N", "https://f.example/d/TSLA", ".K"},
      {L"AAPL", 'D', "https://f.example/d/AAPL.K", "https://f.example/d/AAPL", ".K"},
      {L"MSFT", 'N', "https://f.example/n/MSFT.O", "https://f.example/n/MSFT", ".O"},
      {L"SPY", 'A', "https://f.example/e/SPY.A", "https://f.example/e/SPY", ".A"},
      {L"005930", '1', "https://kr.example/item?code=005930", "", ""},
  };
  CWebPages pages(web, engine);
  for (const Case& c : cases) {
    Stock_s* stock = engine.AddStock(c.code, L"s", 1, c.letter);
    std::string url, noSuffix, suffix = "old";
    std::wstring wide;
    EXPECT_EQ(1, pages.MakeStockPageUrls(stock, &url, &noSuffix, &suffix, &wide));
    EXPECT_EQ(c.url, url);
    EXPECT_EQ(c.noSuffix, noSuffix);
    EXPECT_EQ(c.suffix, suffix);
    EXPECT_EQ(Utf8ToWide(c.url), wide);
  }
  std::string url, noSuffix, suffix;
  EXPECT_EQ(0, pages.MakeStockPageUrls(nullptr, &url, nullptr, &suffix, nullptr));
  EXPECT_EQ(1, pages.MakeStockPageUrls(nullptr, &url, &noSuffix, &suffix, nullptr));
  EXPECT_EQ("https://kr.example/item?code=", url);
}

// Templates come from the server: never a printf format, never a non-web address.
TEST(StockPageTemplates, AreFilledWithoutPrintfAndMustBeWebAddresses) {
  ServiceSettings_s settings;
  Stock_s stock;
  wcscpy(stock.code, L"005930");
  StockPageUrls_s urls;
  settings.stockUrl = "https://x.example/%d/%s/%n%%%s%s";
  EXPECT_TRUE(MakeStockPageUrlsFrom(settings, &stock, "", &urls));
  EXPECT_EQ("https://x.example/%d/005930/%n%", urls.url);
  settings.stockUrl = "javascript:alert('%s')";
  EXPECT_FALSE(MakeStockPageUrlsFrom(settings, &stock, "", &urls));
  EXPECT_EQ("", urls.url);
}

class StockGridMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Stock_s* cheap = engine.AddStock(L"000001", L"싼주식", 3000);
    cheap->market = 1;
    engine.AddStock(L"000002", L"비싼주식", 600000);
    for (int grid : {kGridHoldings1, kGridHoldings2, kGridHoldings3, kGridStockList}) {
      // The rows show the name and price of their stock.
      engine.rows[{grid, 0}] = StockGridRow_s{L"000001", 1, 25, false, L"싼주식", 3000};
      engine.rows[{grid, 1}] = StockGridRow_s{L"000002", 1, 4, true, L"비싼주식", 600000};
      // A row whose stock the engine no longer lists.
      engine.rows[{grid, 2}] = StockGridRow_s{L"999999", 1, 8, false, L"없는주식", 0};
    }
  }
  // Runs the command chosen in the menu.
  int Choose(int grid, int row, int command) {
    engine.calls.clear();
    engine.chosenCommand = command;
    return menu.OnStockGridContextMenu(grid, row, nullptr, POINT{10, 20});
  }

  FakeWebEngine engine;
  CStockGridMenu menu{engine};
};

TEST_F(StockGridMenuTest, OrderPresetsUseTheBuyQuantityOrTheHolding) {
  struct Case {
    int grid, row, command;
    std::vector<std::string> calls;
  } cases[] = {
      {kGridHoldings1, 0, ID_GRID_BUY, {"order 1 000001 166 3000", "buytime"}},
      {kGridHoldings2, 1, ID_GRID_BUY, {"order 1 000002 1 600000", "buytime"}},
      {kGridStockList, 1, ID_GRID_BUY, {"order 1 000002 1 600000", "buytime"}},
      {kGridHoldings3, 0, ID_GRID_SELL, {"order 2 000001 25 3000"}},
      {kGridStockList, 0, ID_GRID_SELL, {"order 2 000001 166 3000"}},
      {kGridStockList, 2, ID_GRID_BUY, {"order 1 999999 1 0 nostock", "buytime"}},
      {kGridHoldings1, 0, ID_STOCK_INFO, {"chart 1 000001"}},
      {kGridStockList, 0, ID_STOCK_INFO, {"select 000001 2"}},
      {kGridHoldings1, 0, 3186, {"preset 3186 1"}},
      {kGridHoldings2, 0, ID_STOP_LOSS_PRESET_LAST, {"preset 3204 1"}},
      {kGridHoldings1, 0, ID_AUTO_SELL_ALL, {"autoall 2213 1"}},
      {kGridHoldings1, 0, ID_CAFE_RECOMMEND_BUY, {"cafe 1"}},
      {kGridStockList, 2, ID_CAFE_RECOMMEND_SELL, {"cafe 2 nostock"}},
      {kGridHoldings1, 0, ID_OTHER_ACCOUNT_MONITOR_ON, {}},
      {kGridHoldings2, 1, ID_STAIR_WATCH, {"stair 2215 1"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.command, Choose(c.grid, c.row, c.command)) << c.command;
    EXPECT_EQ(c.calls, engine.calls) << c.grid << "/" << c.command;
  }
  engine.autoTradeAllFlag = 1;
  Choose(kGridStockList, 0, ID_AUTO_SELL_ALL);
  EXPECT_EQ(std::vector<std::string>{"autoall 2212 0"}, engine.calls);
}

TEST_F(StockGridMenuTest, CommandsOutsideTheirGridsDoNothing) {
  EXPECT_EQ(0, Choose(2300, 0, ID_GRID_BUY));
  EXPECT_EQ(0, Choose(kGridStockList, 0, 3186));
  EXPECT_EQ(0, Choose(kGridStockList, 0, ID_HOLDING_AUTO_TRADE));
  EXPECT_EQ(0, Choose(kGridStockList, 0, ID_STAIR_WATCH));
  EXPECT_EQ(0, Choose(kGridHoldings1, 7, ID_GRID_BUY));  // no such row
  EXPECT_EQ(0, Choose(kGridHoldings1, 0, 0));            // menu closed without a choice
  EXPECT_EQ(0, Choose(kGridHoldings1, 0, 3192));
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(StockGridMenuTest, AutoTradeToggleOfAHolding) {
  engine.notifies.clear();
  EXPECT_TRUE(menu.RunStockGridCommand(kGridHoldings1, 0, ID_HOLDING_AUTO_TRADE));
  EXPECT_TRUE((engine.rows[{kGridHoldings1, 0}].autoTrade));
  EXPECT_EQ(kAutoTradeOnColour, engine.checkColour);
  EXPECT_EQ((std::vector<std::string>{"stairs 000001", "stockauto 000001 on", "redraw 2213"}),
            engine.calls);
  ASSERT_EQ(1u, engine.notifies.size());
  EXPECT_EQ(8, engine.notifies[0].kind);
  EXPECT_EQ(L"싼주식", engine.notifies[0].text1);
  EXPECT_EQ(L"보유 종목(000001/싼주식)이 [자동 매매] *설정* 되었습니다.", engine.notifies[0].text2);

  engine.calls.clear();
  menu.RunStockGridCommand(kGridHoldings1, 0, ID_HOLDING_AUTO_TRADE);
  EXPECT_EQ(kAutoTradeOffColour, engine.checkColour);
  EXPECT_EQ(L"보유 종목(000001/싼주식)이 [자동 매매] *취소(Cancel)* 되었습니다.",
            engine.notifies[1].text2);

  // Without a stock only the check changes.
  engine.calls.clear();
  menu.RunStockGridCommand(kGridHoldings2, 2, ID_HOLDING_AUTO_TRADE);
  EXPECT_TRUE((engine.rows[{kGridHoldings2, 2}].autoTrade));
  EXPECT_EQ(std::vector<std::string>{"redraw 2215"}, engine.calls);
  EXPECT_EQ(2u, engine.notifies.size());
}

TEST_F(StockGridMenuTest, AddingAWatchStock) {
  orv::win::ScriptMessageBoxes({});
  Choose(kGridHoldings1, 0, ID_ADD_WATCH_STOCK);
  EXPECT_EQ((std::vector<std::string>{"addmy 11-1", "cafedlg 1"}), engine.calls);
  EXPECT_TRUE(orv::win::ScriptedMessageBoxCalls().empty());

  Choose(kGridStockList, 2, ID_ADD_WATCH_STOCK);
  EXPECT_EQ(std::vector<std::string>{"addmy 11-1"}, engine.calls);
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ("추가하지 못했습니다", boxes[0].text);
  EXPECT_EQ("ERROR", boxes[0].caption);
  EXPECT_EQ(MB_OK | MB_ICONERROR, boxes[0].type);
  orv::win::StopScriptingMessageBoxes();
}

}  // namespace
}  // namespace orv::test
