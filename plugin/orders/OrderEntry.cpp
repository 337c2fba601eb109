#include "plugin/orders/OrderEntry.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cwctype>

#include "platform/support/TextConv.h"

namespace {

constexpr double kMaxOnceAmount = 10000000.0;  // one order at once: below 10,000,000 won
constexpr size_t kFieldLen = 49;                 // the form's boxes are read this far
constexpr size_t kResultLineLen = 999;
constexpr int kSideBuy = 1;
constexpr int kSideSell = 2;
constexpr int kMarketOrderType = 3;

// printf into a UTF-8 text.
__attribute__((format(printf, 1, 2))) std::string StrPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
  va_end(again);
  return out;
}

std::wstring W(const std::string& utf8) { return Utf8ToWide(utf8); }
std::string N(const std::wstring& wide) { return WideToUtf8(wide); }

std::wstring Trimmed(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::wstring WithoutCommas(const std::wstring& text) {
  std::wstring out = text.substr(0, std::min(text.size(), kFieldLen));
  out.erase(std::remove(out.begin(), out.end(), L','), out.end());
  return out;
}

// A share quantity is whole: cut down, and at least one share while one is wanted at all.
double WholeShares(double quantity) {
  const double whole = std::floor(quantity);
  return whole < 1 && quantity > 0 ? 1 : whole;
}

}  // namespace

COrderEntry::COrderEntry(IOrderDesk& desk) : m_desk(desk), m_alive(std::make_shared<bool>(true)) {}

COrderEntry::~COrderEntry() { *m_alive = false; }

void COrderEntry::SetSplitBase(int units) {
  m_splitBase = units;
  m_splitBaseWon = units * 10000;
}

std::wstring COrderEntry::FormatAmount(double value) {
  const bool negative = value < 0;
  std::string digits = StrPrintf("%.0f", std::fabs(value));
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  if (negative && out != "0") out.insert(out.begin(), '-');
  return W(out);
}

long long COrderEntry::LeadingNumber(const std::wstring& text) {
  const std::wstring clean = Trimmed(WithoutCommas(text));
  return clean.empty() ? 0 : std::wcstoll(clean.c_str(), nullptr, 10);
}

bool COrderEntry::Fail(const char* message, OrderField field) {
  m_desk.Box(W(message), L"ERROR", kBoxOk | kBoxError);
  m_desk.Focus(field);
  return false;
}

bool COrderEntry::PlaceOrder(const OrderForm_s& form, int credit, int interval, bool confirm) {
  // 1. to 9.: the form's checks, in order.
  m_market = form.market > 0 ? form.market : 1;
  m_account = Trimmed(form.account);
  // An account text that names none of the view's accounts would send the order nowhere (or
  // to an account the user did not choose): it is refused as an empty one.
  if (m_account.size() < 3 || !m_desk.HasAccount(m_account))
    return Fail("계좌번호를 입력 해 주세요~!", OrderField::kAccount);
  m_codeText = Trimmed(form.code);
  if (m_codeText.empty()) return Fail("종목코드를 입력 해 주세요~!", OrderField::kCode);
  m_stock = m_desk.FindStock(m_market, m_codeText);
  if (!m_stock.found) {
    m_stock = OrderStock_s();
    return Fail("잘못된 종목코드 입니다~!", OrderField::kCode);
  }
  m_side = form.sell ? kSideSell : kSideBuy;
  double checkPrice = static_cast<double>(LeadingNumber(form.price));
  if (checkPrice <= 0) checkPrice = m_stock.price;
  if (checkPrice <= 0)
    return Fail(
        "가격이 설정되어 있지 않습니다~!\n종목을 검색해 주시거나, 가격을 입력해 주세요",
        OrderField::kPrice);
  const std::string sideText = m_side == kSideSell ? "매도 주문" : "매수 주문";
  m_orderQty = static_cast<double>(LeadingNumber(form.quantity));
  if (m_orderQty < 1)
    return Fail("주문수량을 0보다 큰 수로 입력 해 주세요~!", OrderField::kQuantity);
  m_orderType = form.orderType;
  if (m_orderType == kMarketOrderType) {
    m_orderPrice = 0;
  } else {
    m_orderPrice = checkPrice;
    if (m_orderPrice < 1)
      return Fail("주문가격을 0보다 큰 수로 입력 해 주세요~!", OrderField::kPrice);
  }

  // 10. to 12.: the order's state and amounts.
  m_credit = credit;
  m_partQty = 0;
  m_refPrice = m_orderPrice > 0 ? m_orderPrice : m_stock.price > 0 ? m_stock.price : checkPrice;
  const double total = m_orderQty * m_refPrice;
  const double checkTotal = m_orderQty * checkPrice;
  const double splitBuy = m_side == kSideBuy ? m_desk.SplitBuyAmountWon() : 0;
  const double buyCap = std::min(checkTotal, splitBuy);

  // 13. and 14.: the first part.
  double first = m_orderQty;
  bool wholeAtOnce = true;
  if (interval == 0) {
    if (total >= kMaxOnceAmount) {
      if (confirm)
        m_desk.Box(W(StrPrintf("1회 %s 금액 최대는 %s입니다.\n\n분할 %s 부탁드립니다.",
                               sideText.c_str(), "1000만원", sideText.c_str())),
                   L"ERROR", kBoxOk | kBoxError);
      return false;
    }
  } else if (m_side == kSideBuy && buyCap > 0) {
    m_partQty = std::min(WholeShares(buyCap / checkPrice), m_orderQty);
    first = m_partQty;
    wholeAtOnce = false;
  } else if (m_side == kSideSell && m_splitBase < 0) {
    double part = -m_splitBase / 100.0 * m_orderQty;
    if (part * m_refPrice > kMaxOnceAmount)
      part = kMaxOnceAmount / checkPrice;
    else if (m_desk.SplitBuyAmountWon() > part * m_refPrice)
      part = m_desk.SplitBuyAmountWon() / checkPrice;
    m_partQty = std::min(WholeShares(part), m_orderQty);
    first = m_partQty;
    wholeAtOnce = false;
  } else if (total > m_splitBaseWon && m_splitBaseWon > 0) {
    first = std::min(WholeShares(m_splitBaseWon / m_refPrice), m_orderQty);
  }
  wholeAtOnce = wholeAtOnce && first >= m_orderQty;
  const double firstAmount =
      wholeAtOnce ? total : first * (m_stock.price > 0 ? m_stock.price : m_refPrice);
  m_remaining = m_orderQty - first;

  // 15. and 16.: the texts and the question.
  const std::string totalText = N(FormatAmount(total));
  const std::string restText = N(FormatAmount(total - firstAmount));
  const std::string partText = N(FormatAmount(m_partQty * m_refPrice));
  const std::string loanText = StrPrintf("%08d", m_loanDate);
  const std::string head =
      m_credit == 2
          ? StrPrintf("신용 %s\n-----------------\n대출일 : %s\n수량 : %.0f주\n전체 금액: %s원",
                      sideText.c_str(), loanText.c_str(), m_orderQty, totalText.c_str())
          : StrPrintf("현금 %s\n-----------------\n수량 : %.0f주\n전체 금액:%s원", sideText.c_str(),
                      m_orderQty, totalText.c_str());
  const std::string baseText = m_splitBase >= 0
                                   ? StrPrintf("%d만원", m_splitBase)
                                   : StrPrintf("%d%% (%s)", -m_splitBase, partText.c_str());
  const int reload = interval == 10 ? 10 : interval == 20 ? 20 : 5;
  std::string question;
  if (m_remaining > 0)
    question = StrPrintf(
        "%s\n----------------------\n분할 %s할까요?\n전체 %.0f주 중, %.0f주를 먼저 주문\n     "
        "(나머지 %.0f주는 %d초후 자동 주문)\n분할 금액 : %s\n총 금액 : %s원\n남은 주문 금액 : "
        "%s원\n\n%s 할까요?",
        head.c_str(), sideText.c_str(), m_orderQty, first, m_remaining, reload, baseText.c_str(),
        totalText.c_str(), restText.c_str(), sideText.c_str());
  else
    question = StrPrintf(
        "%s\n----------------------\n총 금액(%s원)을 한번(1회)에 %s할까요?\n(주문금액이 크면, "
        "체결가격에 차이가 많이 납니다.)\n\n%s 할까요?",
        head.c_str(), totalText.c_str(), sideText.c_str(), sideText.c_str());

  // 17.: the parts the progress bar counts.
  const double partAmount = m_partQty * m_refPrice;
  m_partsPlanned = partAmount > 0 ? static_cast<int>(std::ceil(total / partAmount)) : 1;
  m_desk.ShowProgress(0, m_partsPlanned);

  // 18. and 19.: the question, then the order.
  const int generation = ++m_generation;
  m_cancelled = false;
  if (confirm && m_desk.Box(W(question), L"QUESTION", kBoxYesNo | kBoxQuestion) != kBoxAnswerYes) {
    WriteResultLine(kEntryNoOrder, L"실패", first, confirm, false);
    return false;
  }
  if (m_desk.SimulationRunning()) {
    WriteResultLine(kEntrySimulationOn, L"실패", first, confirm, false);
    return false;
  }
  const OrderSend_s order = MakeOrder(m_stock.code, first, firstAmount, false);
  std::weak_ptr<bool> alive = m_alive;
  const bool sent = m_desk.SendOrder(order, [this, alive, generation, first, interval,
                                             confirm](const OrderReply_s& reply) {
    auto live = alive.lock();
    if (live && *live) FinishFirstPart(generation, first, interval, confirm, reply);
  });
  if (!sent) {
    WriteResultLine(kEntryNoOrder, L"실패", first, confirm, false);
    return false;
  }
  ++m_inFlight;

  // 20. and 21.: the split starts now; the reply settles the quantities.
  m_splitStock = m_stock;
  m_partsPlaced = 1;
  m_desk.ShowProgress(1, m_partsPlanned);
  if (interval == 0) {
    m_remaining = 0;
  } else if (m_remaining > 0) {
    m_countdown = reload;
    m_reload = reload;
  }
  return true;
}

OrderSend_s COrderEntry::MakeOrder(const std::wstring& code, double quantity, double amount,
                                   bool splitPart) const {
  OrderSend_s order;
  order.market = m_market;
  order.account = m_account;
  order.code = code;
  order.side = m_side;
  order.credit = m_credit;
  order.quantity = quantity;
  order.price = m_orderPrice;
  order.amount = amount;
  order.loanDate = m_loanDate;
  order.splitPart = splitPart;
  order.partsPlaced = m_partsPlaced;
  return order;
}

void COrderEntry::FinishFirstPart(int generation, double firstPart, int interval, bool confirm,
                                  const OrderReply_s& reply) {
  m_inFlight = std::max(0, m_inFlight - 1);
  const bool placed = reply.kind == OrderReplyKind::kPlaced;
  if (generation == m_generation) {
    if (placed) m_orderQty -= firstPart;
    if (reply.kind == OrderReplyKind::kUnknown) {
      // The broker may have executed the part: nothing more of this order goes out until the
      // user has looked at the balance.
      m_countdown = 0;
    }
  }
  const std::wstring outcome = placed ? L"성공"
                               : reply.kind == OrderReplyKind::kUnknown ? L"미확인"
                                                                        : L"실패";
  WriteResultLine(reply.result, outcome, firstPart, confirm, placed);
  if (generation == m_generation && reply.kind == OrderReplyKind::kUnknown) ShowCountdownStatus();
}

void COrderEntry::WriteResultLine(int result, const std::wstring& outcome, double firstPart,
                                  bool confirm, bool success) {
  std::wstring line = W(StrPrintf("주문 결과[%s]:%d(0x%X) %s(%s) %.0f주 [ACC:%s]\n",
                                  N(outcome).c_str(), result, static_cast<unsigned>(result),
                                  N(m_stock.name).c_str(), N(m_codeText).c_str(), firstPart,
                                  N(m_account).c_str()));
  if (line.size() > kResultLineLen) line.resize(kResultLineLen);
  m_lastResultLine = line;
  m_desk.AddLogLine(line);
  if (!confirm) return;
  if (success)
    m_desk.Box(line, L"INFORMATION", kBoxOk | kBoxInformation);
  else
    m_desk.Box(line, L"ERROR", kBoxOk | kBoxError);
}

int COrderEntry::PlaceNextSplitPart(int flag) {
  if (m_splitStock.code.empty()) return -1;
  const double q = m_orderQty;
  double part;
  if (m_partQty > 0) {
    part = std::min(m_partQty, q);
  } else if (m_splitBase < 0) {
    part = WholeShares(-m_splitBase / 100.0 * q);
    m_partQty = part;
  } else if (m_refPrice * q > m_splitBaseWon && m_splitBaseWon > 0 && m_refPrice > 0) {
    part = WholeShares(m_splitBaseWon / m_refPrice);
  } else {
    part = q;
  }
  part = std::min(std::floor(part), std::floor(q));
  // Less than one share left: the split is over.
  if (part < 1) return -1;
  m_remaining = q - part;

  const OrderSend_s order = MakeOrder(m_splitStock.code, part, part * m_refPrice, true);
  const int generation = m_generation;
  std::weak_ptr<bool> alive = m_alive;
  if (!m_desk.SendOrder(order, [this, alive, generation, part](const OrderReply_s& reply) {
        auto live = alive.lock();
        if (live && *live) FinishSplitPart(generation, part, reply);
      })) {
    m_remaining = q;
    return -1;
  }
  ++m_inFlight;
  return 0;
}

void COrderEntry::FinishSplitPart(int generation, double part, const OrderReply_s& reply) {
  m_inFlight = std::max(0, m_inFlight - 1);
  if (generation != m_generation) return;
  if (reply.kind == OrderReplyKind::kPlaced) {
    // What the per-order limit cut off was not ordered: it stays to be ordered.
    const double cut = std::clamp(std::floor(reply.cut), 0.0, part);
    m_orderQty -= part - cut;
    m_remaining = m_orderQty;
  } else {
    // A part that was not placed (refused, not sent, or with an unknown outcome) leaves the
    // order as it was.
    m_remaining = m_orderQty;
  }
  if (reply.kind == OrderReplyKind::kUnknown) {
    m_countdown = 0;
  } else if (!m_cancelled && m_remaining >= 1) {
    m_countdown = m_reload;
  } else {
    m_countdown = 0;
  }
  ShowCountdownStatus();
}

void COrderEntry::OnTimer() {
  // The form follows the selected stock: its code and its current price (a price typed by the
  // user is overwritten here).
  if (m_stock.found) {
    m_stock.price = m_desk.StockPrice(m_stock.market, m_stock.code);
    m_codeText = m_stock.code;
    m_desk.ShowCodeAndPrice(m_stock.code, m_stock.price);
  }
  if (m_countdown == 0) return;
  // The next part waits for the answer to the one that is out.
  if (m_countdown == 1 && m_inFlight > 0) return;
  if (--m_countdown == 0) {
    ++m_partsPlaced;
    PlaceNextSplitPart(0);
  }
  ShowCountdownStatus();
}

void COrderEntry::ShowCountdownStatus() {
  if (m_countdown > 0) {
    m_desk.ShowStatus(W(StrPrintf("%d(%.0f주 : %s)", m_countdown, m_remaining,
                                  N(m_codeText).c_str())),
                      kStatusWhite, kStatusRed);
    m_desk.ShowProgress(m_partsPlaced, m_partsPlanned);
  } else if (m_inFlight == 0) {
    m_desk.ShowStatus(W(StrPrintf("%d회 완료(%s)", m_partsPlanned, N(m_codeText).c_str())),
                      kStatusWhite, kStatusBlue);
    m_desk.ShowProgress(m_partsPlanned, m_partsPlanned);
  }
}

void COrderEntry::OnCancel() {
  if (m_desk.SimulationRunning()) {
    m_desk.StopSimulation();
    m_desk.EnableOrderButton(true);
    m_desk.Box(W("시뮬레이션 모드가 중지되었습니다.\n시뮬레이션을 중지하면, 시세 변화에 따라서 "
                 "주문이 접수됩니다.\n시뮬레이션은 장 종료후에만 진행해 주세요."),
               L"INFORMATION", kBoxOk | kBoxInformation);
    return;
  }
  if (m_countdown >= 1 && m_stock.found) {
    const std::wstring question = W(StrPrintf(
        "%d초 후에, 종목(%s/%s) %.0f주의 주문이 접수될 예정입니다.\n\n주문을 취소할까요?",
        m_countdown, N(m_stock.name).c_str(), N(m_codeText).c_str(), m_remaining));
    if (m_desk.Box(question, L"QUESTION", kBoxYesNo | kBoxQuestion) == kBoxAnswerYes) {
      m_countdown = 0;
      m_cancelled = true;
      m_desk.ShowStatus(L"*취소됨*", kStatusWhite, kStatusMagenta);
    }
    return;
  }
  m_desk.Box(W("주문이 접수되어 있지 않거나, 이미 주문 완료되었습니다.\n취소할 주문이 없습니다."),
             L"ERROR", kBoxOk | kBoxError);
}
