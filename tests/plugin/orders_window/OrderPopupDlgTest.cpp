// The order dialog as the trading view makes it: the plug-in's maker replaces the null order
// popup, the view's order entry fills and shows it, and the form's keys, presets and order
// button work on it.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/utils.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <cwchar>
#include <functional>
#include <filesystem>

#include "platform/ui/DbViewBase.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/orders/window/OrderPopupDlg.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/plugin/view/ViewStage.h"

using orv::test::windows::FindById;

namespace {

wxDialog* OrderDialog() {
  for (wxWindow* top : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(top))
      if (!dialog->IsBeingDeleted() && dialog->GetTitle() == wxString(L"주문하기")) return dialog;
  return nullptr;
}

class OrderPopupDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    first_.label = L"1111-2222";
    second_.label = L"3333-4444";
    orv::win::ScriptMessageBoxes({});
    // The plug-in's start-up installs the maker; the view makes the dialog with its others.
    InstallOrderPopupMaker();
    auto make = ChildMakers().orderPopup;
    ChildMakers().orderPopup = [this, make](CPelomarView& view) {
      std::unique_ptr<CPelomarOrderWindow> made = make(view);
      popup_ = dynamic_cast<COrderPopupDlg*>(made.get());
      return made;
    };
    view_ = stage_.CreateView();
    ASSERT_NE(view_, nullptr);
    CPelomarEngine& e = view_->Engine();
    orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
    e.Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, '1', 0, 70000, 0, 0);
    e.Stocks().AddMasterStock(1, L"000660", L"SK하이닉스", 1, 0, '1', 0, 198000, 0, 0);
    for (group_info_s* account : {&first_, &second_}) e.Accounts()[account->label] = account;
  }
  void TearDown() override {
    if (view_) {
      {
        orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
        view_->Engine().Accounts().clear();
      }
      view_->Destroy();
    }
    orv::win::StopScriptingMessageBoxes();
    ChildMakers() = PelomarChildMakers{};
  }
  void Key(wxDialog* dialog, int key, bool ctrl, bool alt) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = key;
    event.SetControlDown(ctrl);
    event.SetAltDown(alt);
    event.SetEventObject(dialog);
    dialog->GetEventHandler()->ProcessEvent(event);
  }
  std::wstring Text(wxDialog* dialog, int id) {
    auto* box = FindById<wxTextCtrl>(dialog, id);
    return box ? box->GetValue().ToStdWstring() : L"<none>";
  }

  orv::test::ViewStage stage_;
  CPelomarView* view_ = nullptr;
  COrderPopupDlg* popup_ = nullptr;
  group_info_s first_;
  group_info_s second_;
};

TEST_F(OrderPopupDlgTest, TheViewsOrderEntryFillsAndShowsTheDialog) {
  wxDialog* dialog = OrderDialog();
  ASSERT_NE(dialog, nullptr) << "the view did not make the order dialog";
  EXPECT_FALSE(dialog->IsShown());
  auto* tabs = FindById<wxNotebook>(dialog, IDC_OP_TABS);
  ASSERT_NE(tabs, nullptr);

  // The stock grids' order buttons come here.
  view_->OpenOrderPopup(2, 1, L"005930", 10, 0);
  ASSERT_TRUE(dialog->IsShown());
  EXPECT_EQ(Text(dialog, IDC_OP_CODE), L"005930");
  EXPECT_EQ(Text(dialog, IDC_OP_NAME), L"삼성전자");
  EXPECT_EQ(Text(dialog, IDC_OP_PRICE), L"70,000");
  EXPECT_EQ(Text(dialog, IDC_OP_PRICE2), L"70,000");
  EXPECT_EQ(Text(dialog, IDC_OP_QUANTITY), L"10");
  EXPECT_EQ(Text(dialog, IDC_OP_TOTAL), L"700,000");
  EXPECT_EQ(FindById<wxWindow>(dialog, IDC_OP_ORDER)->GetLabel(), wxString(L"매도 (&Sell)"));
  auto* account = FindById<wxComboBox>(dialog, IDC_OP_ACCOUNT);
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(account->GetCount(), 2u);
  EXPECT_EQ(account->GetValue(), wxString(L"1111-2222"));
  EXPECT_EQ(view_->CurStockCode(), L"005930");

  // A code no market lists: the view tells the user and leaves the dialog as it was.
  view_->OpenOrderPopup(1, 1, L"123456", 1, 0);
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().text, "종목을 선택해 주세요");
  EXPECT_EQ(Text(dialog, IDC_OP_CODE), L"005930");
}

TEST_F(OrderPopupDlgTest, KeysPresetsAndSearch) {
  wxDialog* dialog = OrderDialog();
  ASSERT_NE(dialog, nullptr);
  view_->OpenOrderPopup(2, 1, L"005930", 10, 0);
  wxWindow* order = FindById<wxWindow>(dialog, IDC_OP_ORDER);
  Key(dialog, '1', true, false);
  EXPECT_EQ(order->GetLabel(), wxString(L"매수 (&Buy)"));
  Key(dialog, '2', false, true);  // Alt+2 is not the dialog's
  EXPECT_EQ(order->GetLabel(), wxString(L"매수 (&Buy)"));
  Key(dialog, '2', true, false);
  EXPECT_EQ(order->GetLabel(), wxString(L"매도 (&Sell)"));

  auto* preset = FindById<wxComboBox>(dialog, IDC_OP_AMOUNT_PRESET);
  ASSERT_NE(preset, nullptr);
  auto pick = [&](int index) {
    preset->SetSelection(index);
    wxCommandEvent event(wxEVT_COMBOBOX, IDC_OP_AMOUNT_PRESET);
    event.SetEventObject(preset);
    event.SetInt(index);
    preset->GetEventHandler()->ProcessEvent(event);
  };
  pick(1);  // 5만원
  EXPECT_EQ(Text(dialog, IDC_OP_TOTAL), L"50,000");
  pick(0);  // *선택* leaves the total
  EXPECT_EQ(Text(dialog, IDC_OP_TOTAL), L"50,000");

  // Part of a name and Enter in the code box: the stock found by name fills the form.
  auto* code = FindById<wxTextCtrl>(dialog, IDC_OP_CODE);
  code->ChangeValue(L"SK하이");
  wxCommandEvent enter(wxEVT_TEXT_ENTER, IDC_OP_CODE);
  enter.SetEventObject(code);
  code->GetEventHandler()->ProcessEvent(enter);
  EXPECT_EQ(Text(dialog, IDC_OP_CODE), L"000660");
  EXPECT_EQ(Text(dialog, IDC_OP_NAME), L"SK하이닉스");
  EXPECT_EQ(Text(dialog, IDC_OP_PRICE), L"198,000");
}

TEST_F(OrderPopupDlgTest, AnOrderTheViewCannotSendIsReportedAsNotPlaced) {
  wxDialog* dialog = OrderDialog();
  ASSERT_NE(dialog, nullptr);
  view_->OpenOrderPopup(1, 1, L"005930", 2, 0);
  // No broker session: the order finds no agent and nothing reaches a broker; the reply comes
  // back through the dispatcher.
  wxCommandEvent now(wxEVT_MENU, ID_ORDER_NOW);
  dialog->GetEventHandler()->ProcessEvent(now);
  for (int i = 0; i < 200 && Text(dialog, IDC_OP_MESSAGE).empty(); ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
  const std::wstring line = Text(dialog, IDC_OP_MESSAGE);
  EXPECT_EQ(line.rfind(L"주문 결과[실패]:", 0), 0u) << WideToUtf8(line);
  EXPECT_NE(line.find(L" 삼성전자(005930) 2주 [ACC:1111-2222]"), std::wstring::npos)
      << WideToUtf8(line);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_GE(calls.size(), 2u) << (calls.empty() ? "" : calls.back().text);
  EXPECT_EQ(calls[calls.size() - 2].caption, "QUESTION");
  EXPECT_EQ(calls.back().caption, "ERROR");
}

TEST_F(OrderPopupDlgTest, TheFormFollowsThePriceOnlyWhileShownOrWhileAnOrderRuns) {
  wxDialog* dialog = OrderDialog();
  ASSERT_NE(dialog, nullptr);
  COrderPopupDlg* popup = popup_;
  ASSERT_NE(popup, nullptr);
  auto pumpUntil = [](const std::function<bool()>& done, int ms) {
    for (int waited = 0; !done() && waited < ms; waited += 10) {
      wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
    return done();
  };
  auto setPrice = [&](double price) {
    orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
    view_->Engine().Stocks().FindMasterStock(1, L"005930")->cur_price = price;
  };
  // The hidden form's timer stops at its first tick.
  EXPECT_TRUE(pumpUntil([&] { return !popup->TimerRunning(); }, 3000));

  view_->OpenOrderPopup(2, 1, L"005930", 10, 0);
  ASSERT_TRUE(dialog->IsShown());
  EXPECT_TRUE(popup->TimerRunning());
  setPrice(71000);
  EXPECT_TRUE(pumpUntil([&] { return Text(dialog, IDC_OP_PRICE) == L"71,000"; }, 3000));

  // Hidden, it follows nothing and stops; shown again, the current price is there at once.
  popup->ShowWindow(false);
  ASSERT_FALSE(dialog->IsShown());
  EXPECT_TRUE(pumpUntil([&] { return !popup->TimerRunning(); }, 3000));
  setPrice(72000);
  pumpUntil([] { return false; }, 1200);
  EXPECT_EQ(Text(dialog, IDC_OP_PRICE), L"71,000");
  popup->ShowWindow(true);
  EXPECT_EQ(Text(dialog, IDC_OP_PRICE), L"72,000");
  EXPECT_TRUE(popup->TimerRunning());

  // An order command reaching the hidden form (the order menu) runs the timer again: a split
  // placed from it counts down.
  pumpUntil([] { return false; }, 300);
  popup->ShowWindow(false);
  ASSERT_FALSE(dialog->IsShown());
  EXPECT_TRUE(pumpUntil([&] { return !popup->TimerRunning(); }, 3000))
      << "shown " << dialog->IsShown();
  wxCommandEvent now(wxEVT_MENU, ID_ORDER_NOW);
  dialog->GetEventHandler()->ProcessEvent(now);
  EXPECT_TRUE(popup->TimerRunning());
}

}  // namespace
