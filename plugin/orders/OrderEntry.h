#pragma once
// The order-entry dialog's order, without a window: the checks of the form, the amounts and
// the confirmation texts, the split order that places the rest of a large order in timed
// parts, its countdown, the cancel button and the result line. It runs on the user-interface
// thread; every order goes to the trading view through IOrderDesk::SendOrder, which answers
// later (on the same thread) with what became of it, so nothing here waits for a broker.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A stock as the trading view hands it to the dialog: a copy, never the view's record.
struct OrderStock_s {
  bool found = false;
  uint8_t market = 0;
  std::wstring code;
  std::wstring name;
  double price = 0;  // the current price
};

// One order the dialog asks the trading view to place.
struct OrderSend_s {
  int market = 1;
  std::wstring account;  // the account combo's label
  std::wstring code;
  int side = 1;    // 1 buy, 2 sell
  int credit = 1;  // 1 cash, 2 credit
  double quantity = 0;
  double price = 0;   // 0: market price
  double amount = 0;  // what the dialog worked the order out at
  int loanDate = 0;
  // false: the first part (the view's order routine as it is); true: a later part of a split
  // order (the view's per-order limit may cut it; the cut comes back in the reply).
  bool splitPart = false;
  int partsPlaced = 0;
};

// What became of an order.
enum class OrderReplyKind {
  kNotSent,  // nothing reached a broker (no agent, the price simulation, no stock)
  kPlaced,   // the broker accepted it
  kRefused,  // the broker answered and did not accept it
  kUnknown,  // no readable answer: the broker may have executed it
};

struct OrderReply_s {
  int result = -998;
  int success = 0;
  OrderReplyKind kind = OrderReplyKind::kNotSent;
  double cut = 0;  // the part the per-order limit cut off (not ordered)
  std::wstring message;
};

// Controls the model names (focus after a failed check).
enum class OrderField { kNone, kAccount, kCode, kPrice, kQuantity };

// What the dialog reads from its controls when the order button is pressed.
struct OrderForm_s {
  int market = 1;
  std::wstring account;
  std::wstring code;
  std::wstring price;
  std::wstring quantity;
  bool sell = false;
  int orderType = 3;
};

// Message-box styles and answers the model uses (Windows values).
constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxYesNo = 0x4;
constexpr unsigned kBoxError = 0x10;
constexpr unsigned kBoxQuestion = 0x20;
constexpr unsigned kBoxInformation = 0x40;
constexpr int kBoxAnswerYes = 6;

// Results of the order routine besides the broker's codes.
constexpr int kEntryNoOrder = -998;       // not ordered (declined, no stock)
constexpr int kEntrySimulationOn = -307;  // the price simulation runs
constexpr int kEntryLimitRefused = -308;  // the view refused the part outright

// What the model needs of the trading view and of the dialog's window.
class IOrderDesk {
 public:
  virtual ~IOrderDesk() = default;
  // The stock of a code in the market, else the stock whose name is or starts with the text.
  virtual OrderStock_s FindStock(int market, const std::wstring& text) = 0;
  // The stock's current price now (0 when unknown).
  virtual double StockPrice(int market, const std::wstring& code) = 0;
  // True when the label names one of the view's accounts.
  virtual bool HasAccount(const std::wstring& label) = 0;
  virtual bool SimulationRunning() = 0;
  virtual void StopSimulation() = 0;
  // The amount of one part of a split buy in won; 0: none.
  virtual double SplitBuyAmountWon() = 0;
  // Hands the order to the view, which places it from a worker and calls `done` on the
  // user-interface thread. False when it was not handed over (`done` is then not called).
  virtual bool SendOrder(const OrderSend_s& order, std::function<void(const OrderReply_s&)> done) = 0;
  // A line of the application log.
  virtual void AddLogLine(const std::wstring& line) = 0;
  // A message box; answers the button (kBoxAnswerYes ...).
  virtual int Box(const std::wstring& text, const std::wstring& caption, unsigned style) = 0;

  // --- The dialog's window ---
  virtual void Focus(OrderField field) {}
  virtual void ShowCodeAndPrice(const std::wstring& code, double price) {}
  // The status label's text and colours (RGB as 0xBBGGRR).
  virtual void ShowStatus(const std::wstring& text, uint32_t textColour, uint32_t backColour) {}
  virtual void ShowProgress(int position, int range) {}
  virtual void EnableOrderButton(bool enable) {}
};

// The status label's colours.
constexpr uint32_t kStatusWhite = 0xFFFFFF;
constexpr uint32_t kStatusRed = 0x0000FF;
constexpr uint32_t kStatusBlue = 0xFF0000;
constexpr uint32_t kStatusMagenta = 0xFF00FF;

class COrderEntry {
 public:
  explicit COrderEntry(IOrderDesk& desk);
  ~COrderEntry();
  COrderEntry(const COrderEntry&) = delete;
  COrderEntry& operator=(const COrderEntry&) = delete;

  // --- Set by the dialog's setters ---
  void SetSplitBase(int units);  // 10,000-won units; negative: a percentage
  void SetSelectedStock(const OrderStock_s& stock) { m_stock = stock; }
  void ClearSelectedStock() { m_stock = OrderStock_s(); }
  void SetLoanDate(int date) { m_loanDate = date; }
  void SetCreditKind(int kind) { m_credit = kind; }

  // The order button's modes: credit kind, interval 0 / 5 / 10 / 20 s, confirm (boxes).
  // False when a check failed or the order was refused or declined before anything was sent.
  bool PlaceOrder(const OrderForm_s& form, int credit, int interval, bool confirm);
  // The next part of a running split order; -1 when there is no split stock or nothing left,
  // 0 when it was handed to the view.
  int PlaceNextSplitPart(int flag);
  // Timer 1, once a second: the price refresh and the countdown.
  void OnTimer();
  // The cancel button.
  void OnCancel();

  // --- What the dialog and the tests read ---
  const OrderStock_s& SelectedStock() const { return m_stock; }
  const std::wstring& CodeText() const { return m_codeText; }
  int Side() const { return m_side; }
  int MarketKind() const { return m_market; }
  int CreditKind() const { return m_credit; }
  double OrderQuantity() const { return m_orderQty; }
  double RemainingQuantity() const { return m_remaining; }
  double PartQuantity() const { return m_partQty; }
  double ReferencePrice() const { return m_refPrice; }
  int Countdown() const { return m_countdown; }
  int CountdownReload() const { return m_reload; }
  int PartsPlaced() const { return m_partsPlaced; }
  int PartsPlanned() const { return m_partsPlanned; }
  int SplitBase() const { return m_splitBase; }
  int SplitBaseWon() const { return m_splitBaseWon; }
  bool OrderInFlight() const { return m_inFlight > 0; }
  bool HasSplitStock() const { return !m_splitStock.code.empty(); }
  // The result line of the last first part (as logged).
  const std::wstring& LastResultLine() const { return m_lastResultLine; }

  // Whole-number formatting with thousands separators (the support library's number text
  // with no decimals).
  static std::wstring FormatAmount(double value);
  // The leading whole number of a text after its commas are dropped ("1,500" → 1500,
  // "12.7" → 12, letters → 0).
  static long long LeadingNumber(const std::wstring& text);

 private:
  // The order of the running order's stock code, quantity and amount.
  OrderSend_s MakeOrder(const std::wstring& code, double quantity, double amount,
                        bool splitPart) const;
  void FinishFirstPart(int generation, double firstPart, int interval, bool confirm,
                       const OrderReply_s& reply);
  void FinishSplitPart(int generation, double part, const OrderReply_s& reply);
  void WriteResultLine(int result, const std::wstring& outcome, double firstPart, bool confirm,
                       bool success);
  void ShowCountdownStatus();
  bool Fail(const char* message, OrderField field);

  IOrderDesk& m_desk;
  // Replies that arrive after the model is gone are dropped.
  std::shared_ptr<bool> m_alive;

  OrderStock_s m_stock;
  OrderStock_s m_splitStock;
  std::wstring m_account;
  std::wstring m_codeText;
  int m_market = 1;
  int m_side = 1;
  int m_credit = 1;
  int m_orderType = 3;
  double m_orderQty = 0;
  double m_orderPrice = 0;
  double m_refPrice = 0;
  double m_partQty = 0;
  double m_remaining = 0;
  int m_splitBase = 50;
  int m_splitBaseWon = 500000;
  int m_countdown = 0;
  int m_reload = 0;
  int m_partsPlaced = 0;
  int m_partsPlanned = 1;
  int m_loanDate = 0;
  int m_generation = 0;  // each new order; replies of an older order change no quantity
  int m_inFlight = 0;    // orders handed to the view and not answered yet
  bool m_cancelled = false;
  std::wstring m_lastResultLine;
};
