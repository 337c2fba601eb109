#include "plugin/orders/window/OrderFormParts.h"

#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/window.h>

#include "platform/support/TextConv.h"
#include "platform/ui/ControlDialog.h"
#include "platform/ui/IdleWalk.h"
#include "platform/win/MessageBox.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/TextFormat.h"

const wchar_t kAmountPresetOptions[] =
    L"0:*선택*;50000:5만원;100000:10만원;500000:50만원;1000000:100만원;1500000:150만원;"
    L"2000000:200만원;5000000:500만원;7500000:750만원;10000000:1,000만원;15000000:1,500만원;"
    L"20000000:2,000만원;25000000:2,500만원;30000000:3,000만원;";

std::unique_ptr<wxMenu> MakeOrderMenu() {
  struct Entry {
    const wchar_t* neutral;
    const wchar_t* buy;
    const wchar_t* sell;
    int command;
  };
  static const Entry kEntries[] = {
      {L"전체 한번에 주문하기", L"전체 한번에 매수(Buy) 주문하기", L"전체 한번에 주문하기",
       ID_ORDER_NOW},
      {nullptr, nullptr, nullptr, 0},
      {L"(분할) : 5초 마다 분할 주문", L"(분할) : 5초 마다 분할 매수(Buy) 주문",
       L"(분할) : 5초 마다 분할 매도(Sell) 주문", ID_ORDER_SPLIT5},
      {L"(분할) : 10초 마다 분할 주문", L"(분할) : 10초 마다 분할 매수(Buy) 주문",
       L"(분할) : 10초 마다 분할 매도(Sell) 주문", ID_ORDER_SPLIT10},
      {L"(분할) : 20초 마다 분할 주문", L"(분할) : 20초 마다 분할 매수(Buy) 주문 - 권장(★)",
       L"(분할) : 20초 마다 분할 매도(Sell) 주문 - 권장(★)", ID_ORDER_SPLIT20},
  };
  auto orderMenu = std::make_unique<wxMenu>();
  for (int sub = 0; sub < 3; ++sub) {
    auto* menu = new wxMenu;
    for (const Entry& e : kEntries) {
      if (!e.command) {
        menu->AppendSeparator();
        continue;
      }
      menu->Append(e.command, sub == 0 ? e.neutral : sub == 1 ? e.buy : e.sell);
    }
    orderMenu->AppendSubMenu(menu, std::to_wstring(sub));
  }
  return orderMenu;
}

int PickOrderCommand(wxWindow* window, wxMenu& orderMenu, int side) {
  wxMenuItem* item = orderMenu.FindItemByPosition(side == 2 ? 2 : 1);
  wxMenu* menu = item ? item->GetSubMenu() : nullptr;
  if (!window || !menu) return 0;
  const int chosen = window->GetPopupMenuSelectionFromUser(*menu);
  return chosen == wxID_NONE ? 0 : chosen;
}

bool RunOrderCommand(COrderEntry& entry, const OrderForm_s& form, int credit, int command) {
  switch (command) {
    case ID_ORDER_NOW:
      return entry.PlaceOrder(form, credit, 0, true);
    case ID_ORDER_SPLIT5:
      return entry.PlaceOrder(form, credit, 5, true);
    case ID_ORDER_SPLIT10:
      return entry.PlaceOrder(form, credit, 10, true);
    case ID_ORDER_SPLIT20:
      return entry.PlaceOrder(form, credit, 20, true);
    case ID_CREDIT_ORDER_NOW:
      return entry.PlaceOrder(form, 2, 0, false);
    case ID_CREDIT_ORDER_SPLIT5:
      return entry.PlaceOrder(form, 2, 5, false);
    case ID_CREDIT_ORDER_SPLIT10:
      return entry.PlaceOrder(form, 2, 10, false);
    case ID_CREDIT_ORDER_SPLIT20:
      return entry.PlaceOrder(form, 2, 20, false);
    default:
      return false;
  }
}

namespace {
constexpr int kOrderTimerMs = 1000;
}  // namespace

std::unique_ptr<wxTimer> BindOrderCommandsAndTimer(wxWindow* window,
                                                   const std::shared_ptr<bool>& alive,
                                                   std::function<void(int)> run,
                                                   COrderEntry& entry, bool pauseWhileHidden) {
  for (int command : {ID_ORDER_NOW, ID_ORDER_SPLIT5, ID_ORDER_SPLIT10, ID_ORDER_SPLIT20,
                      ID_CREDIT_ORDER_NOW, ID_CREDIT_ORDER_SPLIT5, ID_CREDIT_ORDER_SPLIT10,
                      ID_CREDIT_ORDER_SPLIT20})
    window->Bind(
        wxEVT_MENU, [run, command, alive](wxCommandEvent&) {
          if (*alive) run(command);
        },
        command);
  // The timer handles its own events: a window that its parent destroys first (a host pane
  // closed with the frame) leaves no timer pointing at it.
  auto timer = std::make_unique<wxTimer>();
  wxTimer* ticks = timer.get();
  timer->Bind(wxEVT_TIMER, [&entry, alive, window, ticks, pauseWhileHidden](wxTimerEvent&) {
    if (!*alive) return;
    // A hidden form with no split under way has nothing to show or to count down: the timer
    // waits for the form to be shown or for the next order.
    if (pauseWhileHidden && !window->IsShown() && entry.Countdown() == 0 &&
        !entry.OrderInFlight()) {
      ticks->Stop();
      return;
    }
    // With no split under way the tick only shows the selected stock's code and price: no idle
    // pass follows it.
    const bool splitting = entry.Countdown() != 0 || entry.OrderInFlight();
    entry.OnTimer();
    if (!splitting) orv::ui::ProgramIdleGate().Unchanged();
  });
  if (pauseWhileHidden)
    window->Bind(wxEVT_SHOW, [&entry, alive, ticks](wxShowEvent& event) {
      event.Skip();
      if (!*alive || !event.IsShown() || ticks->IsRunning()) return;
      // The form shows the current price as it appears (no countdown runs while paused).
      if (entry.Countdown() == 0) entry.OnTimer();
      ticks->Start(kOrderTimerMs);
    });
  timer->Start(kOrderTimerMs);
  return timer;
}

void KeepOrderTimerRunning(wxTimer* timer) {
  if (timer && !timer->IsRunning()) timer->Start(kOrderTimerMs);
}

bool HandleOrderFormKey(CPelomarView& view, const COrderEntry& entry,
                        const orv::ui::CControlDialog& form, const OrderFormKeys_s& keys, int key,
                        bool controlDown, bool altDown) {
  if (!controlDown && !altDown) return false;
  const bool ctrlOnly = controlDown && !altDown;
  auto focusOn = [&form](int id) {
    if (wxWindow* w = id ? form.GetDlgItem(id) : nullptr) w->SetFocus();
    return true;
  };
  switch (key) {
    case '0':
    case 'K':
      view.OnViewCommand(1506);
      return true;
    case '1':
    case '2':
      if (!ctrlOnly) return false;
      if (keys.showSide) keys.showSide(key == '2' ? 2 : 1);
      return true;
    case '3':
      return focusOn(keys.code);
    case '4':
      return focusOn(keys.quantity);
    case '5':
      return focusOn(keys.price);
    case '6':
      return focusOn(keys.total);
    case '7':
    {
      const OrderStock_s& stock = entry.SelectedStock();
      view.ShowCafeRecommendDlg(true, stock.found ? stock.market : 1, stock.code, keys.side, -1);
      return true;
    }
    case '9':
      return focusOn(keys.order);
    default:
      return false;
  }
}

bool RequestStockAnalysis(CPelomarView& view, IOrderDesk& desk, const OrderStock_s& stock) {
  if (!stock.found) {
    desk.Box(L"종목 코드를 입력후, 먼저 검색해 주세요.", L"ERROR", kBoxOk | kBoxError);
    return false;
  }
  const std::wstring question = Utf8ToWide(StrPrintf(
      "%s(%s)종목을 분석 할까요?\n\nAI 분석은 %d건이 남아있습니다. 1번 분석시, 1회 차감 "
      "됩니다.\n분석을 요청할까요?\n다소 시간이 걸릴수 있습니다.",
      WideToUtf8(stock.name).c_str(), WideToUtf8(stock.code).c_str(), view.AiAnalysesLeft()));
  if (desk.Box(question, L"QUESTION", kBoxYesNo | kBoxQuestion) != kBoxAnswerYes) return false;
  view.ShowWaitingPopup(true, L"종목 분석용 데이터 조회중\r\n잠시만 기다려 주세요\n",
                        L"종목 분석용 데이터 조회중", 3000);
  view.RequestAiAnalysis(stock.market, stock.code);
  return true;
}

int ComboValueOr(const orv::ui::CControlDialog& form, int id, int fallback) {
  int64_t value = 0;
  return form.GetComboValue(id, &value) ? static_cast<int>(value) : fallback;
}

// ---------------------------------------------------------------------------------------
// CViewOrderDesk

OrderStock_s CViewOrderDesk::FindStock(int market, const std::wstring& text) {
  const CPelomarView::OrderStock_s found = m_deskView.FindOrderStock(market, text);
  OrderStock_s out;
  out.found = found.found;
  out.market = found.market;
  out.code = found.code;
  out.name = found.name;
  out.price = found.price;
  return out;
}

double CViewOrderDesk::StockPrice(int market, const std::wstring& code) {
  return m_deskView.StockPriceOf(market, code);
}

bool CViewOrderDesk::HasAccount(const std::wstring& label) { return m_deskView.HasAccount(label); }

bool CViewOrderDesk::SimulationRunning() { return m_deskView.PriceSimulationRunning(); }

void CViewOrderDesk::StopSimulation() { m_deskView.StopPriceSimulation(); }

double CViewOrderDesk::SplitBuyAmountWon() { return m_deskView.SplitBuyAmountWon(); }

bool CViewOrderDesk::SendOrder(const OrderSend_s& order,
                               std::function<void(const OrderReply_s&)> done) {
  UserOrder_s user;
  user.market = order.market;
  user.account = order.account;
  user.side = order.side;
  user.credit = order.credit;
  user.quantity = order.quantity;
  user.price = order.price;
  user.loanDate = order.loanDate;
  user.splitPart = order.splitPart;
  return m_deskView.PlaceOrderByCode(order.code, user,
                                     [done = std::move(done)](const UserOrderReply_s& r) {
                                       OrderReply_s reply;
                                       reply.result = r.result;
                                       reply.success = r.success;
                                       reply.cut = r.cut;
                                       reply.message = r.message;
                                       switch (r.outcome) {
                                         case OrderOutcome::kPlaced:
                                           reply.kind = OrderReplyKind::kPlaced;
                                           break;
                                         case OrderOutcome::kRefused:
                                           reply.kind = OrderReplyKind::kRefused;
                                           break;
                                         case OrderOutcome::kUnknown:
                                           reply.kind = OrderReplyKind::kUnknown;
                                           break;
                                         default:
                                           reply.kind = OrderReplyKind::kNotSent;
                                       }
                                       done(reply);
                                     });
}

void CViewOrderDesk::AddLogLine(const std::wstring& line) {
  m_deskView.AddLogMsg(m_deskView.GetViewCtrlId(), 0, 0.0, nullptr, line.c_str(), 0);
  ShowResultLine(line.substr(0, line.find_last_not_of(L"\n") + 1));
}

int CViewOrderDesk::Box(const std::wstring& text, const std::wstring& caption, unsigned style) {
  return orv::win::MessageBox(WideToUtf8(text), WideToUtf8(caption), style);
}
