// The account side panel in the real host against the sandbox: after the log-in it shows in the
// host's account pane beside the trading view with the sandbox account's row, its totals and
// labels; its refresh button sends the account worker to the broker at once, long before the
// 30-second pass; the stock-grid menu's 매수 presets its order form, from which a buy reaches
// the sandbox broker once; on credit, a buy is refused while the settings do not allow credit
// buys and a sale of a dated loan reaches the broker as a credit sale; its auto-trading check
// switches the view's all-stock auto-trading; its 감시 매수 button shows the recommended-stock
// board, and its password button the account-password dialog, which stores the account's
// password.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/scrolwin.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::DbBrokerPeer;
using orv::test::RoadHost;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(20);
constexpr int kPanelId = 3175;

wxGrid* PanelGrid(wxWindow* panel) {
  wxWindow* holder = FindById<wxWindow>(panel, 1507);
  if (!holder) return nullptr;
  for (wxWindow* child : holder->GetChildren())
    if (auto* grid = dynamic_cast<wxGrid*>(child)) return grid;
  return nullptr;
}

void Click(wxWindow* button) {
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

// The user clicks a radio button or a check box (which changes its state first).
void Choose(wxRadioButton* radio) {
  radio->SetValue(true);
  wxCommandEvent click(wxEVT_RADIOBUTTON, radio->GetId());
  click.SetEventObject(radio);
  radio->GetEventHandler()->ProcessEvent(click);
}
void Toggle(wxCheckBox* check) {
  check->SetValue(!check->GetValue());
  wxCommandEvent click(wxEVT_CHECKBOX, check->GetId());
  click.SetEventObject(check);
  click.SetInt(check->GetValue() ? 1 : 0);
  check->GetEventHandler()->ProcessEvent(click);
}

}  // namespace

TEST(AccountPanelRoad, ThePanelShowsTheAccountRefreshesItAndOpensTheBoard) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // The panel sits in the account pane, beside the trading view's tabs, not over them.
  wxWindow* panel = FindById<wxWindow>(road.Frame(), kPanelId);
  ASSERT_NE(panel, nullptr) << "no side panel";
  wxNotebook* tabs = TradingTabs(road.Frame());
  ASSERT_NE(tabs, nullptr);
  ASSERT_TRUE(wait([&] { return panel->IsShownOnScreen() && panel->GetSize().x > 100; }));
  const wxRect panelRect = panel->GetScreenRect();
  EXPECT_FALSE(panelRect.Intersects(tabs->GetScreenRect()))
      << "the panel covers the trading view";

  // The sandbox account's row, its footer, and the labels of its totals.
  const std::string depositLine = std::string("broker POST ") + DbBrokerPeer::kDepositPath;
  wxGrid* grid = PanelGrid(panel);
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(wait([&] { return grid->GetNumberRows() == 1; })) << "no account row";
  const int accountCol = ColumnTitled(grid, L"계좌");
  ASSERT_GE(accountCol, 0);
  EXPECT_FALSE(grid->GetCellValue(0, accountCol).empty());
  wxWindow* assets = FindById<wxWindow>(panel, 1333);
  ASSERT_NE(assets, nullptr);
  EXPECT_TRUE(wait([&] { return assets->GetLabel() != wxString(L"추정자산:\n0.0만"); }))
      << assets->GetLabel().utf8_string();
  auto* combo = FindById<wxComboBox>(panel, 2121);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetCount(), 1u);
  const int depositCol = ColumnTitled(grid, L"예수금(추정)");
  ASSERT_GE(depositCol, 0);
  EXPECT_GT(CellNumber(grid, 0, depositCol), 0);

  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Right after an account pass, the refresh button: the next deposit query follows at once,
  // not after the 30 seconds of the regular pass.
  const size_t before = road.ServedTimes(depositLine).size();
  ASSERT_GE(before, 1u);
  wxWindow* refresh = FindById<wxButton>(panel, 2205);
  ASSERT_NE(refresh, nullptr);
  EXPECT_TRUE(refresh->IsEnabled());
  const auto previous = road.ServedTimes(depositLine).back();
  Click(refresh);
  ASSERT_TRUE(wait([&] { return road.ServedTimes(depositLine).size() > before; }))
      << "the refresh did not wake the account worker";
  const auto next = road.ServedTimes(depositLine)[before];
  EXPECT_LT(next - previous, std::chrono::seconds(20)) << "only the regular pass came";

  // The user right-clicks the held 000660 and picks 매수: the panel's order form takes the
  // stock. A loaded machine may close the menu before the pick reaches it: the user tries again.
  wxGrid* own = TabGrid(tabs, 1, false);
  ASSERT_NE(own, nullptr);
  int row = -1;
  ASSERT_TRUE(wait([&] { return (row = RowOfCode(own, "000660")) >= 0; })) << "no 000660 row";
  tabs->SetSelection(1);
  auto* code = FindById<wxTextCtrl>(panel, 2123);
  auto* name = FindById<wxTextCtrl>(panel, 2126);
  auto* quantity = FindById<wxTextCtrl>(panel, 2128);
  auto* message = FindById<wxTextCtrl>(panel, 2168);
  wxWindow* order = FindById<wxButton>(panel, 2108);
  ASSERT_TRUE(code && name && quantity && message && order);
  bool preset = false;
  for (int attempt = 0; attempt < 3 && !preset; ++attempt) {
    const auto pick = PickRowMenuCommand(own, row, 58);
    preset = road.WaitFor([&] { return code->GetValue() == wxString("000660"); },
                          std::chrono::seconds(5));
  }
  ASSERT_TRUE(preset || wait([&] { return code->GetValue() == wxString("000660"); }))
      << "the menu's 매수 did not preset the panel";
  EXPECT_FALSE(name->GetValue().empty());
  EXPECT_EQ(order->GetLabel(), wxString(L"매수 (&Buy)"));
  EXPECT_TRUE(order->IsEnabled());
  EXPECT_TRUE(order->IsShownOnScreen());

  // The user types 2 shares and orders them at once: the buy reaches the broker exactly once.
  DbBrokerPeer& broker = road.Market().Broker();
  const int ordersBefore = broker.OrdersReceived();
  quantity->ChangeValue(wxString("2"));
  wxCommandEvent now(wxEVT_MENU, 2288);
  panel->GetEventHandler()->ProcessEvent(now);
  ASSERT_TRUE(wait([&] { return broker.OrdersReceived() > ordersBefore; }))
      << "the buy never reached the broker";
  EXPECT_TRUE(wait([&] { return message->GetValue().Find(L"주문 결과[") != wxNOT_FOUND; }))
      << "no result line in the panel";
  EXPECT_NE(message->GetValue().Find(L"주문 결과[성공]"), wxNOT_FOUND)
      << message->GetValue().utf8_string();
  EXPECT_NE(message->GetValue().Find(L"(000660) 2주 "), wxNOT_FOUND)
      << message->GetValue().utf8_string();
  bool asked = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
    asked |= call.caption == "QUESTION" && call.text.find("매수 주문 할까요?") != std::string::npos;
  EXPECT_TRUE(asked) << "no question before the order";
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    // The docked pane is low: the user scrolls the panel down to its order form.
    if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(panel))
      scrolled->Scroll(0, scrolled->GetVirtualSize().y);
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + ".order.png'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  orv::test::PumpEvents(3000);
  EXPECT_EQ(broker.OrdersReceived(), ordersBefore + 1) << "the order went out more than once";
  const auto orderBodies = [&] { return broker.RequestsTo(DbBrokerPeer::kDomesticOrderPath); };
  ASSERT_FALSE(orderBodies().empty());
  EXPECT_NE(orderBodies().back().body.find("\"MgntrnCode\":\"000\""), std::string::npos)
      << "the cash buy went out as " << orderBodies().back().body;

  // The user chooses 신용 주문(이자주의) and orders the buy again: the settings do not allow
  // credit buys (D1), the panel says so, and nothing reaches the broker.
  auto* credit = FindById<wxRadioButton>(panel, 2143);
  auto* sell = FindById<wxRadioButton>(panel, 1313);
  auto* loanDate = FindById<wxTextCtrl>(panel, 2141);
  ASSERT_TRUE(credit && sell && loanDate);
  EXPECT_EQ(credit->GetLabel(), wxString(L"신용 주문(이자주의)"));
  Choose(credit);
  EXPECT_TRUE(loanDate->IsEnabled());
  panel->GetEventHandler()->ProcessEvent(now);
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().caption, "ERROR");
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().text.rfind("신용 매수가 허용", 0), 0u)
      << orv::win::ScriptedMessageBoxCalls().back().text;

  // The user sells 1 share of the loan of 2024-01-05 on credit: one credit sale of that loan
  // reaches the broker.
  Choose(sell);
  EXPECT_EQ(order->GetLabel(), wxString(L"매도 (&Sell)"));
  loanDate->ChangeValue(wxString("20240105"));
  quantity->ChangeValue(wxString("1"));
  panel->GetEventHandler()->ProcessEvent(now);
  ASSERT_TRUE(wait([&] { return broker.OrdersReceived() > ordersBefore + 1; }))
      << "the credit sale never reached the broker";
  const std::string creditBody = orderBodies().back().body;
  EXPECT_NE(creditBody.find("\"MgntrnCode\":\"103\",\"LoanDt\":\"20240105\""),
            std::string::npos)
      << creditBody;
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    // Scrolled to the credit choice.
    if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(panel)) {
      int rateX = 0, rateY = 0;
      scrolled->GetScrollPixelsPerUnit(&rateX, &rateY);
      const wxPoint at = scrolled->CalcUnscrolledPosition(credit->GetPosition());
      if (rateY > 0) scrolled->Scroll(0, at.y / rateY);
    }
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + ".credit.png'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  orv::test::PumpEvents(2000);
  EXPECT_EQ(broker.OrdersReceived(), ordersBefore + 2) << "an order went out more than once";

  // The auto-trading check switches the view's all-stock auto-trading on (after a yes).
  auto* autoTrade = FindById<wxCheckBox>(panel, 2207);
  auto* viewSwitch = FindById<wxCheckBox>(road.Frame(), 3453);
  ASSERT_TRUE(autoTrade && viewSwitch);
  EXPECT_FALSE(autoTrade->GetValue());
  EXPECT_FALSE(viewSwitch->GetValue());
  Toggle(autoTrade);
  EXPECT_TRUE(wait([&] { return viewSwitch->GetValue(); })) << "the view's switch stayed off";
  EXPECT_TRUE(autoTrade->GetValue());

  // 감시 매수 shows the recommended-stock board.
  wxWindow* watch = FindById<wxButton>(panel, 2112);
  ASSERT_NE(watch, nullptr);
  EXPECT_TRUE(watch->IsEnabled());
  Click(watch);
  EXPECT_TRUE(wait([&] { return ShownDialog(wxString(L"추천종목 관리 + 분할매수")) != nullptr; }))
      << "the board did not show";

  // The password button opens "계좌 비밀번호 설정" for the account; a password is stored.
  wxWindow* password = FindById<wxButton>(panel, 2208);
  ASSERT_NE(password, nullptr);
  Click(password);
  wxDialog* dialog = nullptr;
  ASSERT_TRUE(wait([&] {
    return (dialog = ShownDialog(wxString(L"계좌 비밀번호 설정 : DB금융투자"))) != nullptr;
  })) << "the account-password dialog did not open";
  auto* account = FindById<wxComboBox>(dialog, 1301);
  auto* box = FindById<wxTextCtrl>(dialog, 1300);
  wxWindow* input = FindById<wxButton>(dialog, 2298);
  wxWindow* result = FindById<wxWindow>(dialog, 1304);
  ASSERT_TRUE(account && box && input && result);
  EXPECT_EQ(account->GetValue(), combo->GetValue());
  box->ChangeValue(wxString("1234"));
  Click(input);
  EXPECT_EQ(result->GetLabel(), wxString("OK"));
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command =
        std::string("import -window root '") + shot + ".password.png'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
