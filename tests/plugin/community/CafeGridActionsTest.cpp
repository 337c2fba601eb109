// The cafe-interest grid's actions: the in-cell buttons, the "관심" check, the recommendation
// menu, the messenger texts and the recommendation status, over the real grid model and rows
// with the program around them faked.

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/support/NumberText.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/CafeGridActions.h"
#include "plugin/rows/CafeStockRecord.h"
#include "shared/StockRecords.h"

namespace {

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;
using orv::ui::ReportNotify;

class FakeHost : public ICafeGridHost {
 public:
  std::map<std::wstring, CafeStockInfo_s> stocks;  // the master list, by code
  std::vector<std::pair<uint8_t, std::wstring>> lookups;
  std::vector<std::pair<std::wstring, int>> selected, interests;
  std::vector<std::wstring> removed, bought, clipboard;
  struct Sms {
    bool handle;
    std::wstring text;
    int32_t cafe;
  };
  std::vector<Sms> sms;
  std::vector<std::wstring> pages;  // "title|path|extra"
  std::vector<int32_t> joinPages;
  std::function<void(CafeOrderOutcome)> orderDone;
  bool ordersRun = true;
  int menuShown = 0;
  int menuChoice = 0;
  int smsResult = 1;
  int32_t cafe = 7;
  int32_t manager = 1;
  std::vector<std::pair<int, int>> editors;

  bool FindStockByCode(uint8_t market, const std::wstring& code, CafeStockInfo_s* out) override {
    lookups.emplace_back(market, code);
    const auto found = stocks.find(code);
    if (found == stocks.end()) return false;
    *out = found->second;
    return true;
  }
  void RequestStockSelect(const std::wstring& code, int mode) override {
    selected.emplace_back(code, mode);
  }
  void SetLinkedStock(const CafeStockInfo_s&, int) override {}
  void RemoveMyStock(uint8_t, const std::wstring& code) override { removed.push_back(code); }
  void SetStockInterest(const std::wstring& code, int value) override {
    interests.emplace_back(code, value);
  }
  bool PlaceBuyOrder(const std::wstring& code,
                     std::function<void(CafeOrderOutcome)> done) override {
    bought.push_back(code);
    orderDone = std::move(done);
    return ordersRun;
  }
  int SendSmsViaServer(CURL* curl, const std::wstring& text, int32_t cafeIdx) override {
    sms.push_back({curl != nullptr, text, cafeIdx});
    return smsResult;
  }
  void OpenWebPage(const wchar_t* title, const wchar_t* path, const std::string& extra) override {
    pages.push_back(std::wstring(title) + L"|" + path + L"|" + Utf8ToWide(extra));
  }
  void OpenJoinCafePage(int32_t cafeIdx) override { joinPages.push_back(cafeIdx); }
  std::wstring SmsFooter() override { return L"-샌드박스 카페-"; }
  int32_t CurrentCafe() override { return cafe; }
  int32_t ManagerFlag() override { return manager; }
  int TrackRecMenu(POINT) override {
    ++menuShown;
    return menuChoice;
  }
  void CopyToClipboard(const std::wstring& text) override { clipboard.push_back(text); }
  void ShowCellEditor(CMyReportCtrl&, int row, int column, int, int) override {
    editors.emplace_back(row, column);
  }
};

class FakeComposer : public ICafeRecComposer {
 public:
  int itemResult = 1;
  int composeResult = 1;
  std::vector<int> kinds;
  std::vector<CafeMessengerRequest_s> requests;
  int SetRecommendItem(const CafeStockInfo_s&, int kind, double, double, double,
                       double) override {
    kinds.push_back(kind);
    return itemResult;
  }
  int ComposeCafeMessages(const CafeMessengerRequest_s& request, std::wstring* reason) override {
    requests.push_back(request);
    *reason = request.buyReason;
    return composeResult;
  }
};

struct RowSpec {
  const wchar_t* code;
  const wchar_t* name;
  int32_t number;
  int32_t tradeSide;
  int32_t approval;
  double recPrice;
  double profit;
  double takeProfitRate1;
  double stopLossRate;
  int32_t state = kCafeStateBuying;
};

CafeStockInfo_s Listed(const wchar_t* code, const wchar_t* name, double price) {
  CafeStockInfo_s stock;
  stock.market = 1;
  stock.nation = 1;
  stock.code = code;
  stock.name = name;
  stock.curPrice = price;
  return stock;
}

class CafeGridActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::win::ScriptMessageBoxes({});
    host.stocks[L"005930"] = Listed(L"005930", L"삼성전자", 71500);
    host.stocks[L"000660"] = Listed(L"000660", L"SK하이닉스", 1234567);
    host.stocks[L"035420"] = Listed(L"035420", L"NAVER", 180000);
    // The grid tells the actions what the user does, as in the dialog.
    Grid().SetNotifyHandler([this](ReportNotify& nm) { return actions.OnGridNotify(nm); });
  }
  void TearDown() override { orv::win::StopScriptingMessageBoxes(); }

  CCafeStockRecord* AddRow(const RowSpec& spec) {
    CafeStockValues_s v;
    v.tradeSide = spec.tradeSide;
    v.approval = spec.approval;
    v.recPrice = spec.recPrice;
    v.profit = spec.profit;
    v.takeProfitRate1 = spec.takeProfitRate1;
    v.stopLossRate = spec.stopLossRate;
    v.lowestTakeProfitPrice = spec.recPrice * 1.05;
    v.stopLossPrice = spec.recPrice * 0.95;
    v.buyReason = L"실적 개선";
    v.manager = 1;
    auto* row = new CCafeStockRecord(1.0, spec.number, 7, spec.state, 1, '1', spec.code,
                                     spec.name, nullptr, v);
    Grid().AddRecord(row);
    Grid().Populate();
    return row;
  }
  CMyReportCtrl& Grid() { return grids.InterestGrid(); }

  LRESULT Notify(int code, CMyReportRecordBase* row, int column, int buttonId = -1) {
    ReportNotify nm;
    nm.code = code;
    nm.ctrlId = Grid().GetCtrlId();
    nm.grid = &Grid();
    nm.record = row;
    nm.row = row ? Grid().GetRowIndex(row) : -1;
    nm.column = column;
    nm.buttonId = buttonId;
    return actions.OnGridNotify(nm);
  }
  LRESULT Button(CMyReportRecordBase* row, int buttonId, int column = CCafeStockRecord::kColName) {
    return Notify(orv::ui::REPORT_NM_ITEMBUTTONCLICK, row, column, buttonId);
  }
  void RightClick(CMyReportRecordBase* row) { Notify(orv::ui::NM_RCLICK, row, 1); }
  std::vector<orv::win::MessageBoxCall> Boxes() { return orv::win::ScriptedMessageBoxCalls(); }

  FakeHost host;
  FakeComposer composer;
  CCafeDlgGrids grids;
  CCafeGridActions actions{host};
};

const RowSpec kSamsungBuy{L"005930", L"삼성전자", 3, 1, 1, 70000, 2.14, 5, 3};
const RowSpec kHynixSell{L"000660", L"SK하이닉스", 4, 2, 1, 1200000, -1.5, 7, 4};
const RowSpec kNaverBuy{L"035420", L"NAVER", 5, 1, 1, 175000.4, 2.86, 10, 5};

const wchar_t kTwoBuyRowsStatus[] =
    L"추천종목 현황\n"
    L"▶종목 1 : 삼성전자(005930)\n◈현재가 : 71,500원 (수익률 : 2.1%)\n"
    L"♥추천가 : 70,000원(최저익절:5.0% / 손절: 3.0%)\n\n"
    L"▶종목 2 : NAVER(035420)\n◈현재가 : 180,000원 (수익률 : 2.9%)\n"
    L"♥추천가 : 175,000원(최저익절:10.0% / 손절: 5.0%)\n\n"
    L"\n\n-샌드박스 카페-";

TEST(StrFormatNumber2, GroupsTheWholePartByThousands) {
  struct Case {
    double value;
    int decimals;
    const wchar_t* text;
  } cases[] = {
      {0, 0, L"0"},          {999, 0, L"999"},         {1000, 0, L"1,000"},
      {1234567.5, 0, L"1,234,568"}, {-1234.5, 1, L"-1,234.5"}, {-0.2, 0, L"0"},
      {123456.789, 2, L"123,456.79"},
  };
  for (const Case& c : cases) EXPECT_EQ(StrFormatNumber2(c.value, c.decimals), c.text) << c.value;
}

TEST_F(CafeGridActionsTest, AllRowsStatusNumbersTheBuyRowsAndCopiesWithoutSending) {
  AddRow(kSamsungBuy);
  AddRow(kHynixSell);
  AddRow(kNaverBuy);
  host.menuChoice = ID_REC_MENU_STATUS;
  RightClick(Grid().GetRecord(1));

  EXPECT_EQ(host.menuShown, 1);
  EXPECT_EQ(actions.LastRightClickGrid(), kCafeInterestGridId);
  ASSERT_EQ(host.clipboard.size(), 1u);
  EXPECT_EQ(host.clipboard[0], kTwoBuyRowsStatus);
  EXPECT_TRUE(host.sms.empty());
}

TEST_F(CafeGridActionsTest, SmsStatusSendsTheSelectedBuyRowsOnce) {
  AddRow(kSamsungBuy);
  AddRow(kHynixSell);
  AddRow(kNaverBuy);
  // Nothing selected (the click on the sell row selects only it): no buy row, nothing goes.
  Grid().ClearSelection();
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, true, false), 0);
  Grid().SelectRow(1);
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, true, false), 0);
  EXPECT_TRUE(host.sms.empty());
  EXPECT_TRUE(host.clipboard.empty());

  // Two buy rows of three selected; the menu's command sends them on its own handle.
  Grid().SelectRow(0);
  Grid().SelectRow(2, true);
  host.menuChoice = ID_REC_MENU_SMS;
  actions.ShowRecMenu(Grid(), *Grid().GetRecord(0), POINT{});
  ASSERT_EQ(host.sms.size(), 1u);
  EXPECT_TRUE(host.sms[0].handle);
  EXPECT_EQ(host.sms[0].text, kTwoBuyRowsStatus);
  EXPECT_EQ(host.sms[0].cafe, 7);
  EXPECT_EQ(host.clipboard, std::vector<std::wstring>{kTwoBuyRowsStatus});

  // The SMS sending's result is the answer; a refused SMS is not a sent one.
  host.smsResult = 0;
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, true, false), 0);
  host.smsResult = 1;
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, true, false), 1);
}

TEST_F(CafeGridActionsTest, StatusSkipsUnlistedStocksAndIsOnlyForManagers) {
  AddRow(kSamsungBuy);
  AddRow({L"999999", L"없는 종목", 9, 1, 1, 1000, 1, 1, 1});
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, false, true), 0);
  ASSERT_EQ(host.clipboard.size(), 1u);
  EXPECT_NE(host.clipboard[0].find(L"▶종목 1 : 삼성전자"), std::wstring::npos);
  EXPECT_EQ(host.clipboard[0].find(L"▶종목 2"), std::wstring::npos);

  host.manager = 0;
  host.clipboard.clear();
  host.lookups.clear();
  EXPECT_EQ(actions.BuildRecStatusText(Grid(), nullptr, true, true), 0);
  EXPECT_TRUE(host.clipboard.empty());
  EXPECT_TRUE(host.sms.empty());
  EXPECT_TRUE(host.lookups.empty());
}

TEST_F(CafeGridActionsTest, TheMenuIsOnlyForApprovedRowsAndItsCommandsDoWhatTheySay) {
  CMyReportRecordBase* locked = AddRow({L"005930", L"***", 1, 1, 0, 70000, 0, 0, 0});
  RightClick(locked);
  EXPECT_EQ(host.menuShown, 0);

  CMyReportRecordBase* open = AddRow(kNaverBuy);
  host.menuChoice = ID_REC_MENU_WATCH_ON;
  RightClick(open);
  EXPECT_EQ(host.menuShown, 1);
  EXPECT_TRUE(host.clipboard.empty() && host.sms.empty() && host.bought.empty() &&
              host.selected.empty());
  EXPECT_TRUE(Boxes().empty());

  host.menuChoice = ID_REC_MENU_BUY;
  RightClick(open);
  EXPECT_EQ(host.bought, std::vector<std::wstring>{L"035420"});
  host.menuChoice = ID_REC_MENU_INFO;
  RightClick(open);
  ASSERT_EQ(host.selected.size(), 1u);
  EXPECT_EQ(host.selected[0], std::make_pair(std::wstring(L"035420"), 2));
  // A menu closed without a choice does nothing.
  host.menuChoice = 0;
  RightClick(open);
  EXPECT_EQ(host.bought.size(), 1u);
  EXPECT_EQ(host.selected.size(), 1u);
}

TEST_F(CafeGridActionsTest, TheMenusBuyGoesOutOnceAndItsOutcomeIsTold) {
  CMyReportRecordBase* row = AddRow(kNaverBuy);
  struct Case {
    bool sent;
    CafeOrderOutcome outcome;
    const char* caption;
    const char* text;
  } cases[] = {
      {true, CafeOrderOutcome::kPlaced, "INFORMATION", "주문 결과[성공] NAVER(035420) 1주"},
      {true, CafeOrderOutcome::kRefused, "ERROR", "주문 결과[실패] NAVER(035420) 1주"},
      {true, CafeOrderOutcome::kUnknown, "ERROR", "주문 결과[미확인] NAVER(035420) 1주"},
      {false, CafeOrderOutcome::kNotSent, "ERROR", "주문 결과[실패] NAVER(035420) 1주"},
  };
  for (const Case& c : cases) {
    orv::win::ScriptMessageBoxes({});
    host.bought.clear();
    host.orderDone = nullptr;
    host.ordersRun = c.sent;
    actions.RunRecMenuCommand(Grid(), *row, ID_REC_MENU_BUY);
    EXPECT_EQ(host.bought, std::vector<std::wstring>{L"035420"});
    // A sent order's outcome comes later, from the order worker.
    if (c.sent) {
      EXPECT_TRUE(Boxes().empty());
      ASSERT_TRUE(host.orderDone);
      host.orderDone(c.outcome);
    }
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << c.text;
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].text, c.text);
  }
  // A reply after the dialog's actions are gone is dropped.
  host.ordersRun = true;
  auto gone = std::make_unique<CCafeGridActions>(host);
  gone->RunRecMenuCommand(Grid(), *row, ID_REC_MENU_BUY);
  gone.reset();
  orv::win::ScriptMessageBoxes({});
  host.orderDone(CafeOrderOutcome::kPlaced);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(CafeGridActionsTest, MessengerTextsGoThroughTheComposerAndSayWhatBecameOfThem) {
  CMyReportRecordBase* row = AddRow(kSamsungBuy);
  // No composer: the text cannot be made.
  actions.RunRecMenuCommand(Grid(), *row, ID_REC_MENU_MSG_OPEN);
  actions.RunRecMenuCommand(Grid(), *row, ID_REC_MENU_MSG_CLOSED);
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "카톡 문자(종목 ◎공개)를 생성하지 못했습니다.");
  EXPECT_EQ(boxes[1].text, "카톡 문자(종목 ■비공개■)를 생성하지 못했습니다.");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);

  actions.SetComposer(&composer);
  orv::win::ScriptMessageBoxes({});
  actions.RunRecMenuCommand(Grid(), *row, ID_REC_MENU_MSG_CLOSED);
  ASSERT_EQ(composer.requests.size(), 1u);
  const CafeMessengerRequest_s& request = composer.requests[0];
  EXPECT_FALSE(request.open);
  EXPECT_EQ(request.kind, 1);
  EXPECT_EQ(request.recPrice, 70000);
  EXPECT_EQ(request.buyPrice, 70000);
  EXPECT_DOUBLE_EQ(request.stopLossPrice, 66500);
  EXPECT_DOUBLE_EQ(request.lowestTakeProfitPrice, 73500);
  EXPECT_EQ(request.takeProfitRate1, 5);
  EXPECT_EQ(request.buyReason, L"실적 개선");
  ASSERT_NE(request.stock, nullptr);
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "INFORMATION");
  EXPECT_EQ(boxes[0].text,
            "[삼성전자/005930] 종목 추천 카톡 문자(■비공개■)를 생성했습니다.\n-----\n사유 : 실적 "
            "개선\n-----\n\n카톡창에 Ctrl+V만 하세요");

  // The composer failing is an error, as is a code no market lists (no stock to compose for).
  composer.composeResult = 0;
  orv::win::ScriptMessageBoxes({});
  actions.RunRecMenuCommand(Grid(), *row, ID_REC_MENU_MSG_OPEN);
  composer.composeResult = 1;
  CMyReportRecordBase* unlisted = AddRow({L"999999", L"없는 종목", 9, 1, 1, 1000, 1, 1, 1});
  actions.RunRecMenuCommand(Grid(), *unlisted, ID_REC_MENU_MSG_OPEN);
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "카톡 문자(종목 ◎공개)를 생성하지 못했습니다.");
  EXPECT_EQ(boxes[1].text, "카톡 문자(종목 ◎공개)를 생성하지 못했습니다.");
  EXPECT_EQ(composer.requests.size(), 2u);
}

TEST_F(CafeGridActionsTest, CertifyButtonOpensTheResultPageOfTheRecommendation) {
  CMyReportRecordBase* row = AddRow(kSamsungBuy);  // recommendation 3
  EXPECT_EQ(Button(row, kCafeButtonConfirm), 0);
  EXPECT_EQ(host.pages, std::vector<std::wstring>{
                            L"추천종목 결과 인증|stock/cafe_rec_items_result|&cafe=7&rec=3"});
  EXPECT_TRUE(Boxes().empty());

  host.cafe = 0;
  Button(row, kCafeButtonConfirm);
  EXPECT_EQ(host.pages.size(), 1u);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "추천된 것만 인증 파일을 업로드 가능합니다.");
  EXPECT_EQ(boxes[0].caption, "ERROR");

  // A code no market lists: the click does nothing.
  host.cafe = 7;
  CMyReportRecordBase* unlisted = AddRow({L"999999", L"없는 종목", 9, 1, 1, 1000, 1, 1, 1});
  Button(unlisted, kCafeButtonConfirm);
  EXPECT_EQ(host.pages.size(), 1u);
}

TEST_F(CafeGridActionsTest, InfoSellAndRebuyButtons) {
  CMyReportRecordBase* row = AddRow(kSamsungBuy);
  Button(row, kCafeButtonInfo);
  Button(row, 0);
  ASSERT_EQ(host.selected.size(), 2u);
  EXPECT_EQ(host.selected[1], std::make_pair(std::wstring(L"005930"), 0));

  // Without a composer: the sell and rebuy buttons show nothing.
  Button(row, kCafeButtonSell);
  Button(row, kCafeButtonRebuy);
  EXPECT_TRUE(Boxes().empty());

  actions.SetComposer(&composer);
  Button(row, kCafeButtonSell);
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "INFORMATION");
  EXPECT_EQ(boxes[0].text,
            "[매도] 삼성전자(005930)\n상단의 정보창에서 \n익절시에는 가격을 70000보다 크게 "
            "입력하신후,\n손절(Losscut)시에는 가격을 70000보다 낮게 입력하신후,\n매도 문자 송신을 "
            "눌러주세요.");

  struct Case {
    int button;
    int result;
    double price;
    const char* caption;
    const char* text;
  } cases[] = {
      {kCafeButtonSell, -3, 71500, "ERROR", "에러(-3)가 발생했습니다."},
      {kCafeButtonSell, 1, 0, "NOTIFICATION",
       "현재 시세가 조회되지 않아서, 시세 요청했습니다.\n잠시후 다시 시도해 주세요."},
      {kCafeButtonRebuy, 0, 71500, "ERROR", "에러가 발생했습니다."},
      {kCafeButtonRebuy, 1, 71500, "INFORMATION", nullptr},
  };
  for (const Case& c : cases) {
    orv::win::ScriptMessageBoxes({});
    composer.itemResult = c.result;
    host.stocks[L"005930"].curPrice = c.price;
    Button(row, c.button);
    boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << c.button << " " << c.result;
    EXPECT_EQ(boxes[0].caption, c.caption);
    if (c.text) {
      EXPECT_EQ(boxes[0].text, c.text);
    } else {
      EXPECT_EQ(boxes[0].text.rfind("[재매수 추천] 삼성전자(005930)\n", 0), 0u);
    }
  }
  EXPECT_EQ(composer.kinds, (std::vector<int>{2, 2, 2, 1, 1}));
}

TEST_F(CafeGridActionsTest, ResultButtonRemovesTheStockAndItsRowOnYes) {
  auto stock = std::make_unique<Stock_s>();
  CCafeStockRecord* row = AddRow({L"005930", L"삼성전자", 3, 1, 1, 70000, 0, 0, 0, 2});
  row->SetStock(stock.get());
  stock->row_refs[kRowSlotCafeInterest] = row;

  orv::win::ScriptMessageBoxes({IDNO});
  Button(row, kCafeButtonResult);
  EXPECT_EQ(Grid().GetRecordCount(), 1);
  EXPECT_TRUE(host.removed.empty());

  orv::win::ScriptMessageBoxes({IDYES});
  Button(row, kCafeButtonResult);
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "삼성전자(을)를 자동매수 목록에서 해제/삭제할까요?");
  EXPECT_EQ(host.removed, std::vector<std::wstring>{L"005930"});
  EXPECT_EQ(Grid().GetRecordCount(), 0);
  EXPECT_EQ(Grid().GetRowCount(), 0);
  EXPECT_EQ(stock->row_refs[kRowSlotCafeInterest], nullptr);
}

TEST_F(CafeGridActionsTest, ReasonButtonsOpenTheCellEditor) {
  CMyReportRecordBase* row = AddRow(kSamsungBuy);
  Button(row, kCafeButtonReason, CCafeStockRecord::kColBuyReason);
  Button(row, kCafeButtonReason, CCafeStockRecord::kColSellReason);
  EXPECT_EQ(host.editors, (std::vector<std::pair<int, int>>{{0, 23}, {0, 24}}));
}

TEST_F(CafeGridActionsTest, InterestTickTellsTheViewOnlyForApprovedRows) {
  CMyReportRecordBase* approved = AddRow(kSamsungBuy);
  CMyReportRecordBase* locked = AddRow({L"000660", L"***", 2, 1, 0, 0, 0, 0, 0});

  // The user ticks the check of each row as the grid window would.
  EXPECT_TRUE(Grid().OnToggleCheck(0, CCafeStockRecord::kColInterest));
  EXPECT_EQ(host.interests, (std::vector<std::pair<std::wstring, int>>{{L"005930", 1}}));
  EXPECT_TRUE(approved->IsModified());

  orv::win::ScriptMessageBoxes({IDYES});
  Grid().OnToggleCheck(1, CCafeStockRecord::kColInterest);
  EXPECT_EQ(host.interests.size(), 1u);
  EXPECT_FALSE(locked->GetCheckValue(CCafeStockRecord::kColInterest));
  auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "QUESTION");
  EXPECT_EQ(boxes[0].text,
            "카페에 가입하지 않으면, 관심종목에 추가할 수 없습니다.\n먼저 카페에 가입해 "
            "주세요.\n\n카페에 가입할까요?\n(가입비용은 카페마다 다를수 있습니다.)");
  EXPECT_EQ(host.joinPages, std::vector<int32_t>{7});

  orv::win::ScriptMessageBoxes({IDNO});
  Grid().OnToggleCheck(1, CCafeStockRecord::kColInterest);
  EXPECT_EQ(host.joinPages.size(), 1u);

  // Other columns and other grids are not acted on.
  EXPECT_EQ(Notify(orv::ui::REPORT_NM_VALUECHANGED, approved, CCafeStockRecord::kColRecPrice), 0);
  ReportNotify member;
  member.code = orv::ui::REPORT_NM_VALUECHANGED;
  member.ctrlId = kCafeMemberGridId;
  member.grid = &Grid();
  member.record = approved;
  member.column = CCafeStockRecord::kColInterest;
  EXPECT_EQ(actions.OnGridNotify(member), 0);
  EXPECT_EQ(host.interests.size(), 1u);
}

TEST(CafeRowValues, DownloadedRecommendationsBuildRowsWithTheirNumbersAndButtons) {
  CCafeDlgGrids grids;
  auto stock = std::make_unique<Stock_s>();
  std::wcsncpy(stock->code, L"005930", kStockCodeLen);
  stock->name = L"삼성전자";
  stock->cafe_approved = 1;
  stock->market_letter = '1';
  stock->nation = 1;
  CafeRecItemValues_s item;
  item.recIndex = 41;
  item.tradeSide = 1;
  item.recPrice = 70000;
  item.targetPrice = 73500;
  item.cutPrice = 66500;
  item.profit = 2.5;
  item.buyReason = L"실적 개선";
  const std::map<std::wstring, CafeRecItemValues_s> values{{L"005930", item}};

  grids.SetCafeManagerFlags(1, false);
  grids.FillRecItemRows({{L"005930", stock.get()}}, 7, 0, false, &values);
  ASSERT_EQ(grids.InterestGrid().GetRecordCount(), 1);
  CMyReportRecordBase* row = grids.InterestGrid().GetRecord(0);
  const CafeRecRowValues_s read = ReadCafeRecRow(*row);
  EXPECT_EQ(read.recNumber, 41);
  EXPECT_EQ(read.approval, 1);
  EXPECT_EQ(read.tradeSide, 1);
  EXPECT_EQ(read.recPrice, 70000);
  EXPECT_EQ(read.lowestTakeProfitPrice, 73500);
  EXPECT_EQ(read.stopLossPrice, 66500);
  EXPECT_EQ(read.buyReason, L"실적 개선");
  // A manager's running recommendation offers "매도", then "인증".
  const auto& buttons = row->GetItem(CCafeStockRecord::kColName)->buttons;
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].caption, L"매도");
  EXPECT_EQ(buttons[1].caption, L"인증");

  // The next download's numbers reach the row shown already.
  item.profit = -1.25;
  const std::map<std::wstring, CafeRecItemValues_s> later{{L"005930", item}};
  grids.FillRecItemRows({{L"005930", stock.get()}}, 7, 0, false, &later);
  ASSERT_EQ(grids.InterestGrid().GetRecordCount(), 1);
  EXPECT_EQ(grids.InterestGrid().GetRecord(0), row);
  EXPECT_EQ(ReadCafeRecRow(*row).profit, -1.25);
  grids.ClearRecGrids();
}

// "name buttons" of each row, in grid order.
std::vector<std::wstring> NamesAndButtons(CMyReportCtrl& grid) {
  std::vector<std::wstring> rows;
  for (int i = 0; i < grid.GetRecordCount(); ++i) {
    CMyReportRecordBase* row = grid.GetRecord(i);
    std::wstring text = row->GetTextValue(CCafeStockRecord::kColName);
    for (const auto& button : row->GetItem(CCafeStockRecord::kColName)->buttons)
      text += L" " + button.caption;
    rows.push_back(text);
  }
  return rows;
}

TEST(CafeRowValues, ARowWhoseStandingChangedIsBuiltAgainInItsPlace) {
  CCafeDlgGrids grids;
  std::vector<std::unique_ptr<Stock_s>> stocks;
  std::map<std::wstring, Stock_s*> items;
  std::map<std::wstring, CafeRecItemValues_s> values;
  for (const auto& [code, name] : {std::pair{L"000660", L"SK하이닉스"}, {L"005930", L"삼성전자"}}) {
    auto stock = std::make_unique<Stock_s>();
    std::wcsncpy(stock->code, code, kStockCodeLen);
    stock->name = name;
    stock->cafe_approved = 1;
    stock->market_letter = '1';
    items[code] = stock.get();
    CafeRecItemValues_s item;
    item.recIndex = static_cast<int32_t>(10 + stocks.size());
    item.tradeSide = 1;
    values[code] = item;
    stocks.push_back(std::move(stock));
  }
  CMyReportCtrl& grid = grids.InterestGrid();
  // Rows listed before their values: numbered by place, only "인증".
  grids.FillRecItemRows(items, 7, 0, false);
  EXPECT_EQ(NamesAndButtons(grid),
            (std::vector<std::wstring>{L"SK하이닉스 인증", L"삼성전자 인증"}));

  struct Step {
    const char* what;
    uint8_t approvedSecond;
    int managerFlag;
    int32_t closedSecond;
    std::vector<std::wstring> rows;
  } steps[] = {
      {"values arrive", 1, 0, 0, {L"SK하이닉스 정보 인증", L"삼성전자 정보 인증"}},
      {"the second finishes", 1, 0, 1, {L"SK하이닉스 정보 인증", L"삼성전자 결과 인증"}},
      {"the viewer manages", 1, 1, 1, {L"SK하이닉스 매도 인증", L"삼성전자 재매수 인증"}},
      {"the second is withdrawn", 0, 1, 1, {L"SK하이닉스 매도 인증", L"*** 인증"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    stocks[1]->cafe_approved = step.approvedSecond;
    values[L"005930"].closed = step.closedSecond;
    grids.SetCafeManagerFlags(step.managerFlag, false);
    grids.FillRecItemRows(items, 7, 0, false, &values);
    EXPECT_EQ(NamesAndButtons(grid), step.rows);
    // Each stock points at its row, which points back; the numbers are the server's.
    for (int i = 0; i < 2; ++i) {
      auto* row = dynamic_cast<CCafeStockRecord*>(grid.GetRecord(i));
      ASSERT_NE(row, nullptr);
      EXPECT_EQ(row->GetStock(), stocks[static_cast<size_t>(i)].get());
      EXPECT_EQ(stocks[static_cast<size_t>(i)]->row_refs[kRowSlotCafeInterest], row);
      EXPECT_EQ(ReadCafeRecRow(*row).recNumber, 10 + i);
    }
  }
  grids.ClearRecGrids();
}

}  // namespace
