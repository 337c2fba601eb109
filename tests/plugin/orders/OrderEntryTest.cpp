// The order-entry dialog's order without its window: the form's checks, the amounts and
// questions, the split schedule and what each kind of reply does to it, and the cancel button.
#include "plugin/orders/OrderEntry.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

namespace {

struct Sent {
  OrderSend_s order;
  std::function<void(const OrderReply_s&)> done;
};

class FakeDesk : public IOrderDesk {
 public:
  std::map<std::wstring, OrderStock_s> stocks;
  std::vector<std::wstring> accounts = {L"1234-5678-01"};
  bool simulation = false;
  double splitBuy = 0;
  std::deque<int> answers;  // box answers, kBoxAnswerYes when empty
  std::vector<std::pair<std::wstring, std::wstring>> boxes;  // caption, text
  std::vector<std::wstring> log;
  std::deque<Sent> sent;
  std::vector<OrderField> focus;
  std::wstring status;
  uint32_t statusBack = 0;
  bool handOver = true;

  OrderStock_s FindStock(int market, const std::wstring& text) override {
    for (auto& [code, stock] : stocks)
      if (stock.market == market && (code == text || stock.name.rfind(text, 0) == 0)) return stock;
    return {};
  }
  double StockPrice(int, const std::wstring& code) override {
    auto it = stocks.find(code);
    return it == stocks.end() ? 0 : it->second.price;
  }
  bool HasAccount(const std::wstring& label) override {
    for (auto& a : accounts)
      if (a == label) return true;
    return false;
  }
  bool SimulationRunning() override { return simulation; }
  void StopSimulation() override { simulation = false; }
  double SplitBuyAmountWon() override { return splitBuy; }
  bool SendOrder(const OrderSend_s& order, std::function<void(const OrderReply_s&)> done) override {
    if (!handOver) return false;
    sent.push_back({order, std::move(done)});
    return true;
  }
  void AddLogLine(const std::wstring& line) override { log.push_back(line); }
  int Box(const std::wstring& text, const std::wstring& caption, unsigned) override {
    boxes.push_back({caption, text});
    if (answers.empty()) return kBoxAnswerYes;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  void Focus(OrderField field) override { focus.push_back(field); }
  void ShowStatus(const std::wstring& text, uint32_t, uint32_t back) override {
    status = text;
    statusBack = back;
  }

  // Answers the oldest order that is out.
  OrderStock_s Reply(OrderReplyKind kind, double cut = 0, int result = 0) {
    Sent s = std::move(sent.front());
    sent.pop_front();
    OrderReply_s reply;
    reply.kind = kind;
    reply.result = result;
    reply.success = kind == OrderReplyKind::kPlaced;
    reply.cut = cut;
    s.done(reply);
    return {};
  }
};

OrderStock_s Stock(const wchar_t* code, const wchar_t* name, double price, uint8_t market = 1) {
  OrderStock_s s;
  s.found = true;
  s.market = market;
  s.code = code;
  s.name = name;
  s.price = price;
  return s;
}

class OrderEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desk.stocks[L"005930"] = Stock(L"005930", L"삼성전자", 10000);
    desk.stocks[L"000660"] = Stock(L"000660", L"SK하이닉스", 100000);
  }
  OrderForm_s Form(const wchar_t* code, const wchar_t* qty, bool sell = false) {
    OrderForm_s f;
    f.account = L"1234-5678-01";
    f.code = code;
    f.quantity = qty;
    f.sell = sell;
    return f;
  }
  void Tick(int n) {
    for (int i = 0; i < n; ++i) entry.OnTimer();
  }
  FakeDesk desk;
  COrderEntry entry{desk};
};

TEST_F(OrderEntryTest, EachCheckRefusesWithItsMessageAndFocus) {
  struct Case {
    const char* name;
    OrderForm_s form;
    double stockPrice;
    const wchar_t* message;
    OrderField field;
  };
  auto form = [](const wchar_t* acc, const wchar_t* code, const wchar_t* price,
                 const wchar_t* qty, int type = 3) {
    OrderForm_s f;
    f.account = acc;
    f.code = code;
    f.price = price;
    f.quantity = qty;
    f.orderType = type;
    return f;
  };
  const Case cases[] = {
      {"two-character account", form(L"12", L"005930", L"", L"10"), 10000,
       L"계좌번호를 입력 해 주세요~!", OrderField::kAccount},
      {"account the view does not know", form(L"9999-0000", L"005930", L"", L"10"), 10000,
       L"계좌번호를 입력 해 주세요~!", OrderField::kAccount},
      {"empty code", form(L"1234-5678-01", L"  ", L"", L"10"), 10000,
       L"종목코드를 입력 해 주세요~!", OrderField::kCode},
      {"unknown code", form(L"1234-5678-01", L"999999", L"", L"10"), 10000,
       L"잘못된 종목코드 입니다~!", OrderField::kCode},
      {"no price anywhere", form(L"1234-5678-01", L"005930", L"", L"10"), 0,
       L"가격이 설정되어 있지 않습니다~!\n종목을 검색해 주시거나, 가격을 입력해 주세요",
       OrderField::kPrice},
      {"zero quantity", form(L"1234-5678-01", L"005930", L"", L"0"), 10000,
       L"주문수량을 0보다 큰 수로 입력 해 주세요~!", OrderField::kQuantity},
      {"letters for quantity", form(L"1234-5678-01", L"005930", L"", L"abc"), 10000,
       L"주문수량을 0보다 큰 수로 입력 해 주세요~!", OrderField::kQuantity},
      {"limit order below one won", form(L"1234-5678-01", L"005930", L"", L"5", 0), 0.5,
       L"주문가격을 0보다 큰 수로 입력 해 주세요~!", OrderField::kPrice},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    desk.boxes.clear();
    desk.focus.clear();
    desk.stocks[L"005930"].price = c.stockPrice;
    EXPECT_FALSE(entry.PlaceOrder(c.form, 1, 0, true));
    ASSERT_EQ(desk.boxes.size(), 1u);
    EXPECT_EQ(desk.boxes[0].first, L"ERROR");
    EXPECT_EQ(desk.boxes[0].second, c.message);
    ASSERT_EQ(desk.focus.size(), 1u);
    EXPECT_EQ(desk.focus[0], c.field);
    EXPECT_TRUE(desk.sent.empty());
    EXPECT_TRUE(desk.log.empty());
  }
}

TEST_F(OrderEntryTest, QuantityTextsAndAStockFoundByName) {
  const std::pair<const wchar_t*, long long> texts[] = {
      {L"1,500", 1500}, {L"12.7", 12}, {L" 7 ", 7}, {L"abc", 0}, {L"", 0}};
  for (const auto& [text, value] : texts) EXPECT_EQ(COrderEntry::LeadingNumber(text), value);

  // "삼성" is no code, but starts the name of 005930: the order is for that stock.
  ASSERT_TRUE(entry.PlaceOrder(Form(L"삼성", L"12.7"), 1, 0, false));
  ASSERT_EQ(desk.sent.size(), 1u);
  EXPECT_EQ(desk.sent[0].order.code, L"005930");
  EXPECT_EQ(desk.sent[0].order.quantity, 12);
  EXPECT_EQ(desk.sent[0].order.price, 0) << "a market order sends no price";
  EXPECT_EQ(desk.sent[0].order.amount, 120000);
  // The next tick puts the stock's own code into the code box.
  entry.OnTimer();
  EXPECT_EQ(entry.CodeText(), L"005930");
}

TEST_F(OrderEntryTest, AllAtOnceIsRefusedFromTenMillionWon) {
  desk.stocks[L"005930"].price = 1;
  EXPECT_FALSE(entry.PlaceOrder(Form(L"005930", L"10000000"), 1, 0, true));
  EXPECT_TRUE(desk.sent.empty());
  EXPECT_TRUE(desk.log.empty()) << "a refused amount is not logged";
  ASSERT_EQ(desk.boxes.size(), 1u);
  EXPECT_EQ(desk.boxes[0].second,
            L"1회 매수 주문 금액 최대는 1000만원입니다.\n\n분할 매수 주문 부탁드립니다.");
  // Without confirmation nothing is shown either.
  desk.boxes.clear();
  EXPECT_FALSE(entry.PlaceOrder(Form(L"005930", L"10000000"), 2, 0, false));
  EXPECT_TRUE(desk.boxes.empty());

  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"9999999"), 1, 0, false));
  ASSERT_EQ(desk.sent.size(), 1u);
  EXPECT_EQ(desk.sent[0].order.quantity, 9999999);
}

TEST_F(OrderEntryTest, ADeclinedQuestionOrTheSimulationSendsNothingAndLogsTheFailure) {
  desk.answers = {7};  // "no"
  EXPECT_FALSE(entry.PlaceOrder(Form(L"005930", L"3"), 1, 0, true));
  ASSERT_EQ(desk.log.size(), 1u);
  EXPECT_EQ(desk.log[0], L"주문 결과[실패]:-998(0xFFFFFC1A) 삼성전자(005930) 3주 [ACC:1234-5678-01]\n");
  EXPECT_EQ(desk.boxes.back().first, L"ERROR");
  // The question names the whole order.
  EXPECT_EQ(desk.boxes[0].second,
            L"현금 매수 주문\n-----------------\n수량 : 3주\n전체 금액:30,000원\n"
            L"----------------------\n총 금액(30,000원)을 한번(1회)에 매수 주문할까요?\n"
            L"(주문금액이 크면, 체결가격에 차이가 많이 납니다.)\n\n매수 주문 할까요?");

  desk.simulation = true;
  EXPECT_FALSE(entry.PlaceOrder(Form(L"005930", L"3"), 1, 0, false));
  EXPECT_EQ(desk.log.back(),
            L"주문 결과[실패]:-307(0xFFFFFECD) 삼성전자(005930) 3주 [ACC:1234-5678-01]\n");
  EXPECT_TRUE(desk.sent.empty());
}

TEST_F(OrderEntryTest, TheOutcomeDecidesTheResultLineAndTheQuantity) {
  struct Case {
    OrderReplyKind kind;
    const wchar_t* word;
    double quantityAfter;
    const wchar_t* box;
  };
  const Case cases[] = {
      {OrderReplyKind::kPlaced, L"성공", 0, L"INFORMATION"},
      {OrderReplyKind::kRefused, L"실패", 5, L"ERROR"},
      {OrderReplyKind::kNotSent, L"실패", 5, L"ERROR"},
      // The broker may have taken it: the line says so instead of calling it a failure.
      {OrderReplyKind::kUnknown, L"미확인", 5, L"ERROR"},
  };
  for (const Case& c : cases) {
    desk.log.clear();
    desk.boxes.clear();
    ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"5"), 1, 0, true));
    ASSERT_EQ(desk.sent.size(), 1u);
    EXPECT_TRUE(desk.log.empty()) << "nothing is logged before the reply";
    desk.Reply(c.kind, 0, c.kind == OrderReplyKind::kPlaced ? 0 : 100);
    ASSERT_EQ(desk.log.size(), 1u);
    EXPECT_NE(desk.log[0].find(std::wstring(L"주문 결과[") + c.word + L"]"), std::wstring::npos)
        << desk.log[0];
    EXPECT_EQ(entry.OrderQuantity(), c.quantityAfter);
    EXPECT_EQ(desk.boxes.back().first, c.box);
  }
}

TEST_F(OrderEntryTest, SplitBuyPlacesItsPartsOnTheCountdown) {
  desk.splitBuy = 300000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"100"), 1, 20, true));
  EXPECT_NE(desk.boxes[0].second.find(L"전체 100주 중, 30주를 먼저 주문\n     (나머지 70주는 20초후 자동 주문)"),
            std::wstring::npos)
      << desk.boxes[0].second;
  EXPECT_EQ(entry.PartsPlanned(), 4);
  ASSERT_EQ(desk.sent.size(), 1u);
  EXPECT_FALSE(desk.sent[0].order.splitPart);
  EXPECT_EQ(desk.sent[0].order.quantity, 30);
  desk.Reply(OrderReplyKind::kPlaced);
  std::vector<double> parts;
  for (int round = 0; round < 5 && entry.Countdown() > 0; ++round) {
    Tick(20);
    ASSERT_EQ(desk.sent.size(), 1u) << "one part per expiry";
    EXPECT_TRUE(desk.sent[0].order.splitPart);
    parts.push_back(desk.sent[0].order.quantity);
    desk.Reply(OrderReplyKind::kPlaced);
  }
  EXPECT_EQ(parts, (std::vector<double>{30, 30, 10}));
  EXPECT_EQ(entry.OrderQuantity(), 0);
  EXPECT_EQ(desk.status, L"4회 완료(005930)");

  // A following all-at-once buy of another stock places its whole quantity.
  ASSERT_TRUE(entry.PlaceOrder(Form(L"000660", L"7"), 1, 0, false));
  EXPECT_EQ(desk.sent.back().order.quantity, 7);
  EXPECT_EQ(entry.PartQuantity(), 0);
}

// Ten parts of 10 shares; each reply changes what is left as the table says. A part cut by
// the per-order limit keeps the cut shares; a refused part is ordered again at the next expiry;
// parts answered while the simulation runs are not sent; an unknown outcome stops the order.
TEST_F(OrderEntryTest, SplitScheduleWithLimitCutsRefusalsSimulationAndAnUnknownPart) {
  desk.splitBuy = 100000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"100"), 1, 5, false));
  EXPECT_EQ(entry.PartsPlanned(), 10);
  struct Step {
    OrderReplyKind kind;
    double cut;
    double sentQty;     // the part that went out
    double orderAfter;  // the order quantity after the reply
  };
  const Step steps[] = {
      {OrderReplyKind::kPlaced, 0, 10, 90},   // the first part
      {OrderReplyKind::kPlaced, 4, 10, 84},   // the limit cut 4: 6 ordered
      {OrderReplyKind::kRefused, 0, 10, 84},  // refused: nothing leaves the order
      {OrderReplyKind::kRefused, 0, 10, 84},
      {OrderReplyKind::kNotSent, 0, 10, 84},  // the simulation ran
      {OrderReplyKind::kPlaced, 0, 10, 74},
      {OrderReplyKind::kUnknown, 0, 10, 74},  // may be executed: nothing more goes out
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    if (i > 0) Tick(5);
    ASSERT_EQ(desk.sent.size(), 1u);
    EXPECT_EQ(desk.sent[0].order.quantity, steps[i].sentQty);
    desk.Reply(steps[i].kind, steps[i].cut);
    EXPECT_EQ(entry.OrderQuantity(), steps[i].orderAfter);
    EXPECT_EQ(entry.RemainingQuantity(), steps[i].orderAfter);
  }
  EXPECT_EQ(entry.Countdown(), 0);
  Tick(30);
  EXPECT_TRUE(desk.sent.empty()) << "an unknown part is never followed by another";
}

TEST_F(OrderEntryTest, TheNextPartWaitsForTheAnswerToTheLastOne) {
  desk.splitBuy = 100000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"30"), 1, 5, false));
  Tick(10);  // the first part is still out
  EXPECT_EQ(desk.sent.size(), 1u);
  desk.Reply(OrderReplyKind::kPlaced);
  EXPECT_EQ(entry.Countdown(), 1);
  Tick(1);
  EXPECT_EQ(desk.sent.size(), 1u);
  EXPECT_EQ(desk.sent[0].order.quantity, 10);
}

TEST_F(OrderEntryTest, WholeSharesAndTheEndOfASplit) {
  // 7 shares of 300,000 won with a 50-만원 split base: one share per part (never a fraction),
  // and the split ends when no whole share is left.
  desk.stocks[L"005930"].price = 300000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"7", true), 1, 5, false));
  std::vector<double> parts{desk.sent[0].order.quantity};
  desk.Reply(OrderReplyKind::kPlaced);
  while (entry.Countdown() > 0) {
    Tick(5);
    ASSERT_EQ(desk.sent.size(), 1u);
    parts.push_back(desk.sent[0].order.quantity);
    desk.Reply(OrderReplyKind::kPlaced);
  }
  EXPECT_EQ(parts, std::vector<double>(7, 1));
  EXPECT_EQ(entry.PlaceNextSplitPart(0), -1);
}

TEST_F(OrderEntryTest, SplitSellByPercentageKeepsEachPartBetweenTheBounds) {
  entry.SetSplitBase(-10);
  desk.stocks[L"005930"].price = 1000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"1000", true), 1, 10, false));
  EXPECT_EQ(desk.sent[0].order.quantity, 100);
  desk.Reply(OrderReplyKind::kPlaced);
  Tick(10);
  EXPECT_EQ(desk.sent[0].order.quantity, 100);
  desk.Reply(OrderReplyKind::kPlaced);

  // 10 % of 1,000 shares at 200,000 won is 20,000,000: the part is held to 10,000,000 won.
  COrderEntry big(desk);
  big.SetSplitBase(-10);
  desk.stocks[L"005930"].price = 200000;
  ASSERT_TRUE(big.PlaceOrder(Form(L"005930", L"1000", true), 1, 10, false));
  EXPECT_EQ(desk.sent.back().order.quantity, 50);
}

TEST_F(OrderEntryTest, CancelStopsTheCountdownOrTheSimulation) {
  entry.OnCancel();
  EXPECT_EQ(desk.boxes.back().second,
            L"주문이 접수되어 있지 않거나, 이미 주문 완료되었습니다.\n취소할 주문이 없습니다.");
  desk.simulation = true;
  entry.OnCancel();
  EXPECT_FALSE(desk.simulation);
  EXPECT_EQ(desk.boxes.back().first, L"INFORMATION");

  desk.splitBuy = 100000;
  ASSERT_TRUE(entry.PlaceOrder(Form(L"005930", L"50"), 1, 20, false));
  Tick(3);
  entry.OnCancel();
  EXPECT_EQ(desk.boxes.back().second,
            L"17초 후에, 종목(삼성전자/005930) 40주의 주문이 접수될 예정입니다.\n\n주문을 취소할까요?");
  EXPECT_EQ(entry.Countdown(), 0);
  EXPECT_EQ(desk.status, L"*취소됨*");
  // The part that was out is answered afterwards: the order stays cancelled.
  desk.Reply(OrderReplyKind::kPlaced);
  EXPECT_EQ(entry.OrderQuantity(), 40);
  Tick(30);
  EXPECT_TRUE(desk.sent.empty());
}

TEST_F(OrderEntryTest, AnOrderNotHandedOverOrAnsweredLateChangesNothing) {
  desk.handOver = false;
  EXPECT_FALSE(entry.PlaceOrder(Form(L"005930", L"5"), 1, 0, false));
  EXPECT_NE(desk.log.back().find(L"주문 결과[실패]"), std::wstring::npos);

  desk.handOver = true;
  {
    COrderEntry gone(desk);
    ASSERT_TRUE(gone.PlaceOrder(Form(L"005930", L"5"), 1, 0, false));
  }
  desk.log.clear();
  desk.Reply(OrderReplyKind::kPlaced);  // the dialog is gone: the reply is dropped
  EXPECT_TRUE(desk.log.empty());
}

}  // namespace
