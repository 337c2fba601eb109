// The user's own order through the order dialog, in the real host against the sandbox: the
// 주문/정보 button of a held stock's row opens "주문하기" filled with that stock (as a sale);
// the user switches it to a buy, types a quantity and places it at once. The buy reaches the
// sandbox broker exactly once, from the order worker, and its result line comes back to the
// dialog.
#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

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

}  // namespace

TEST(OrderDialogRoad, ABuyFromTheDialogReachesTheBrokerOnce) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  wxNotebook* tabs = TradingTabs(road.Frame());
  ASSERT_NE(tabs, nullptr);
  wxGrid* own = TabGrid(tabs, 1, false);
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(wait([&] { return RowOfCode(own, "000660") >= 0; })) << "no 000660 holding row";
  const int nameCol = ColumnTitled(own, L"종목명");
  ASSERT_GE(nameCol, 0);
  DbBrokerPeer& broker = road.Market().Broker();
  const int ordersBefore = broker.OrdersReceived();

  // The row's 주문/정보 button opens the dialog for the held stock, as a sale.
  tabs->SetSelection(1);
  ClickCellButton(own, RowOfCode(own, "000660"), nameCol);
  wxDialog* dialog = nullptr;
  ASSERT_TRUE(wait([&] { return (dialog = ShownDialog(wxString(L"주문하기"))) != nullptr; }))
      << "the order dialog did not open";
  auto* code = FindById<wxTextCtrl>(dialog, 2123);
  auto* name = FindById<wxTextCtrl>(dialog, 2126);
  auto* quantity = FindById<wxTextCtrl>(dialog, 2128);
  auto* buy = FindById<wxRadioButton>(dialog, 1312);
  wxWindow* order = FindById<wxWindow>(dialog, 2108);
  auto* message = FindById<wxTextCtrl>(dialog, 2168);
  ASSERT_TRUE(code && name && quantity && buy && order && message);
  EXPECT_EQ(code->GetValue(), wxString("000660"));
  EXPECT_FALSE(name->GetValue().empty());
  EXPECT_EQ(order->GetLabel(), wxString(L"매도 (&Sell)"));
  EXPECT_NE(FindById<wxNotebook>(dialog, 2523), nullptr) << "no tab control for the web views";

  // The user switches to a buy and types the quantity.
  buy->SetValue(true);
  wxCommandEvent pick(wxEVT_RADIOBUTTON, 1312);
  pick.SetEventObject(buy);
  buy->GetEventHandler()->ProcessEvent(pick);
  EXPECT_EQ(order->GetLabel(), wxString(L"매수 (&Buy)"));
  quantity->ChangeValue(wxString("3"));

  // "전체 한번에 매수(Buy) 주문하기" of the order menu.
  wxCommandEvent now(wxEVT_MENU, 2288);
  dialog->GetEventHandler()->ProcessEvent(now);
  ASSERT_TRUE(wait([&] { return broker.OrdersReceived() > ordersBefore; }))
      << "the buy never reached the broker";
  EXPECT_TRUE(wait([&] { return message->GetValue().Find(L"주문 결과[") != wxNOT_FOUND; }))
      << "no result line in the dialog";
  EXPECT_NE(message->GetValue().Find(L"주문 결과[성공]"), wxNOT_FOUND)
      << message->GetValue().utf8_string();
  EXPECT_NE(message->GetValue().Find(L"000660"), wxNOT_FOUND);
  EXPECT_NE(message->GetValue().Find(L" 3주 "), wxNOT_FOUND);
  EXPECT_TRUE(wait([&] {
    return road.FilesEndingWith("_app_log.csv").find("주문 결과[성공]") != std::string::npos;
  })) << "the result line is not in the application log";
  // The user was asked first and told the outcome (the host shows the plug-in's boxes).
  bool asked = false, told = false;
  for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls()) {
    asked |= call.caption == "QUESTION" && call.text.find("매수 주문 할까요?") != std::string::npos;
    told |= call.caption == "INFORMATION" && call.text.find("주문 결과[성공]") != std::string::npos;
  }
  EXPECT_TRUE(asked) << "no question before the order";
  EXPECT_TRUE(told) << "no outcome box";
  // Nothing goes out again.
  orv::test::PumpEvents(3000);
  EXPECT_EQ(broker.OrdersReceived(), ordersBefore + 1);

  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    orv::test::PumpEvents(500);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
