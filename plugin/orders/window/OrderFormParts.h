#pragma once
// What the two order forms share: the order-entry dialog (COrderPopupDlg) and the account side
// panel (COrderDlg2) both place their orders through COrderEntry and the trading view's order
// worker. Here are their way to the view (CViewOrderDesk), the order menu 2190 with its
// commands, the amount presets and the small helpers of their combos.

#include <functional>
#include <memory>
#include <string>

#include "plugin/orders/OrderEntry.h"

class CPelomarView;
class wxMenu;
class wxTimer;
class wxWindow;
namespace orv::ui {
class CControlDialog;
}

// Order commands (menu 2190 and the order button's credit modes).
enum OrderPopupCommand : int {
  ID_ORDER_NOW = 2288,
  ID_ORDER_SPLIT5 = 2209,
  ID_ORDER_SPLIT10 = 2210,
  ID_ORDER_SPLIT20 = 2211,
  ID_CREDIT_ORDER_NOW = 2223,
  ID_CREDIT_ORDER_SPLIT5 = 2224,
  ID_CREDIT_ORDER_SPLIT10 = 2225,
  ID_CREDIT_ORDER_SPLIT20 = 2226,
};

// The amount presets of both forms (an option list: value in won, label).
extern const wchar_t kAmountPresetOptions[];

// The order menu 2190: submenu 0 neutral, 1 buy, 2 sell, each with the whole order at once and
// the split orders every 5, 10 and 20 seconds.
std::unique_ptr<wxMenu> MakeOrderMenu();
// Pops up the side's submenu of the order menu over `window`; answers the chosen command, or 0
// when the user chose none.
int PickOrderCommand(wxWindow* window, wxMenu& orderMenu, int side);
// Runs an order command on the form: the cash commands with the given credit kind and the
// confirmation boxes, the credit ones without. False for a command that is none of them or an
// order that did not go out.
bool RunOrderCommand(COrderEntry& entry, const OrderForm_s& form, int credit, int command);

// Binds the order commands (wxEVT_MENU with the ids above, from the order menu or sent to the
// window) to `run`, and starts the form's one-second timer, which drives the entry's price
// refresh and split countdown. Nothing runs once `*alive` is false; the form stops the timer
// before the entry goes. With `pauseWhileHidden` (a form in its own top-level window) the timer
// stops while the window is hidden and no split is under way, and starts again as the window
// is shown; the form calls KeepOrderTimerRunning after each order command.
std::unique_ptr<wxTimer> BindOrderCommandsAndTimer(wxWindow* window,
                                                   const std::shared_ptr<bool>& alive,
                                                   std::function<void(int)> run,
                                                   COrderEntry& entry,
                                                   bool pauseWhileHidden = false);
// Starts a paused form timer again (an order placed from a hidden form counts down its split).
void KeepOrderTimerRunning(wxTimer* timer);

// The order forms' keys, with Ctrl or Alt: 0 and K the view's command 1506; 3, 4, 5, 6 and 9
// put the focus on the code, quantity, price, total and order controls; 7 opens the
// recommendation for the form's stock and side; with Ctrl only, 1 and 2 choose the side.
struct OrderFormKeys_s {
  int code = 0, quantity = 0, price = 0, total = 0, order = 0;
  int side = 1;
  std::function<void(int side)> showSide;
};
// True when the key was one of the form's (the caller lets any other take its way).
bool HandleOrderFormKey(CPelomarView& view, const COrderEntry& entry,
                        const orv::ui::CControlDialog& form, const OrderFormKeys_s& keys, int key,
                        bool controlDown, bool altDown);

// The AI analysis of the form's stock (the button "AI.분석" / "분석"): without a stock an
// ERROR box asks for a search first; otherwise, once the user says yes, the view's waiting
// popup shows and the stock goes to the view's AI worker, whose answer fills the order
// dialog's analysis page. True when the analysis was asked for.
bool RequestStockAnalysis(CPelomarView& view, IOrderDesk& desk, const OrderStock_s& stock);

// The value of a combo's selection, or `fallback` when nothing is selected.
int ComboValueOr(const orv::ui::CControlDialog& form, int id, int fallback);

// The trading view's services an order form needs: stocks, prices, accounts, the price
// simulation, message boxes, the log and the order worker. The form's window supplies the rest
// of IOrderDesk (focus, status, progress) and the message line (ShowResultLine).
class CViewOrderDesk : public IOrderDesk {
 public:
  explicit CViewOrderDesk(CPelomarView& view) : m_deskView(view) {}

  OrderStock_s FindStock(int market, const std::wstring& text) override;
  double StockPrice(int market, const std::wstring& code) override;
  bool HasAccount(const std::wstring& label) override;
  bool SimulationRunning() override;
  void StopSimulation() override;
  double SplitBuyAmountWon() override;
  // Hands the order to the view's order worker: it goes out once; the reply comes back on the
  // user-interface thread.
  bool SendOrder(const OrderSend_s& order, std::function<void(const OrderReply_s&)> done) override;
  // The application log, then the form's message line.
  void AddLogLine(const std::wstring& line) override;
  int Box(const std::wstring& text, const std::wstring& caption, unsigned style) override;

 protected:
  // The form's message line shows the result line (its trailing line breaks dropped).
  virtual void ShowResultLine(const std::wstring& line) {}

 private:
  CPelomarView& m_deskView;
};
