// The account side panel and the account-password dialog as the trading view makes them: the
// plug-in's makers replace the null objects, the panel sits in the host's account pane and shows
// the summaries the view is handed; its buttons reach the view's services.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/utils.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/orders/window/MyAccountInfoDlg.h"
#include "plugin/orders/window/OrderDlg2.h"
#include "plugin/orders/window/OrderPopupDlg.h"
#include "plugin/rows/AccInfoRecord.h"
#include "plugin/view/PelomarView.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/plugin/view/ViewStage.h"

using orv::test::windows::FindById;

namespace {

// The board as the view sees it; counts the shows it is asked for.
struct RecordingBoard : CPelomarStockBoard {
  static int shows;
  void ShowDialog(wxWindow*, bool, bool, int) override { ++shows; }
};
int RecordingBoard::shows = 0;

AccountSummaryRow_s Account(const wchar_t* label, int errors, double holdings, double deposit) {
  AccountSummaryRow_s a;
  a.label = label;
  a.brokerId = 11;
  a.checked = errors == 0;
  a.errors = errors;
  a.holdings = holdings;
  a.estimatedDeposit = deposit;
  a.withdrawable = deposit / 2;
  a.d2Deposit = deposit;
  a.estimatedAssets = deposit * 3;
  a.todayProfit = 1000;
  return a;
}

std::shared_ptr<AccountSummarySnapshot_s> Summary(std::vector<AccountSummaryRow_s> accounts) {
  auto s = std::make_shared<AccountSummarySnapshot_s>();
  s->accounts = std::move(accounts);
  s->totals.d2Deposit = 2000000000;
  s->totals.estimatedAssets = 30000000;
  s->totals.collateralRatio = 150;
  s->totals.purchase = 5000000;
  s->totals.creditLoan = 1000000;
  s->totals.fees = 30000;
  s->totals.taxes = 20000;
  s->totals.usPurchase = 40000;
  s->totals.usFees = 100;
  s->totals.usTax = 100;
  s->totals.usEstimatedAssets = 60000;
  return s;
}

class OrderDlg2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    first_.label = L"1111-2222";
    second_.label = L"3333-4444";
    orv::win::ScriptMessageBoxes({});
    RecordingBoard::shows = 0;
    // The host's "계좌 정보" pane, on the screen.
    frame_ = new wxFrame(nullptr, wxID_ANY, "host", wxDefaultPosition, wxSize(760, 480));
    frame_->Show();
    pane_ = new wxPanel(frame_, wxID_ANY, wxDefaultPosition, wxSize(720, 420));
    stage_.block.pPropertiesWnd = pane_;
    InstallOrderPanelMaker();
    InstallOrderPopupMaker();
    InstallAccountDialogMaker();
    ChildMakers().stockBoard = [](CPelomarView&) -> std::unique_ptr<CPelomarStockBoard> {
      return std::make_unique<RecordingBoard>();
    };
    view_ = stage_.CreateView();
    ASSERT_NE(view_, nullptr);
    panel_ = dynamic_cast<COrderDlg2*>(view_->OrderPanel());
    ASSERT_NE(panel_, nullptr) << "the view did not make the side panel";
    CPelomarEngine& e = view_->Engine();
    orv::win::CSingleLock lock(&e.ViewLock(), TRUE);
    for (group_info_s* account : {&first_, &second_}) e.Accounts()[account->label] = account;
    e.Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, '1', 0, 70000, 0, 0);
    e.Stocks().AddMasterStock(1, L"000660", L"SK하이닉스", 1, 0, '1', 0, 198000, 0, 0);
    e.Stocks().AddMasterStock(2, L"AAPL", L"Apple", 2, 0, '1', 0, 190, 0, 0);
  }
  void TearDown() override {
    if (view_) {
      {
        orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
        view_->Engine().Accounts().clear();
      }
      view_->Destroy();
    }
    if (frame_) frame_->Destroy();
    orv::win::StopScriptingMessageBoxes();
    ChildMakers() = PelomarChildMakers{};
  }
  // What a box of the order form holds.
  std::wstring Box(int id) {
    auto* box = FindById<wxTextCtrl>(panel_->GetWindow(), id);
    return box ? box->GetValue().ToStdWstring() : L"<none>";
  }
  void Type(int id, const wchar_t* text) {
    FindById<wxTextCtrl>(panel_->GetWindow(), id)->ChangeValue(wxString(text));
  }
  // Pumps events until the message line shows a result (the reply comes through the
  // dispatcher).
  std::wstring WaitForResultLine() {
    for (int i = 0; i < 300 && Box(IDC_AP_MESSAGE).empty(); ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
    return Box(IDC_AP_MESSAGE);
  }
  CAccInfoRecord* Row(int i) { return dynamic_cast<CAccInfoRecord*>(panel_->Grid().GetRecord(i)); }
  std::wstring Text(int id) {
    wxWindow* w = FindById<wxWindow>(panel_->GetWindow(), id);
    return w ? w->GetLabel().ToStdWstring() : L"<none>";
  }

  orv::test::ViewStage stage_;
  wxFrame* frame_ = nullptr;
  wxPanel* pane_ = nullptr;
  CPelomarView* view_ = nullptr;
  COrderDlg2* panel_ = nullptr;
  group_info_s first_;
  group_info_s second_;
};

TEST_F(OrderDlg2Test, ThePanelSitsInTheAccountPaneAndShowsTheSummary) {
  wxWindow* window = panel_->GetWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetParent(), pane_);
  EXPECT_TRUE(window->IsShown());
  EXPECT_EQ(Text(IDC_AP_SERVER), L"*실서버*");
  // Nobody is signed in: the buttons that need a user are off.
  EXPECT_FALSE(panel_->Form().IsDlgItemEnabled(IDC_AP_WATCH_BUY));

  stage_.login.nUserIdx = 5;
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1000000),
                                     Account(L"3333-4444", 3, 2, 2000000)}));
  EXPECT_TRUE(panel_->Form().IsDlgItemEnabled(IDC_AP_WATCH_BUY));
  EXPECT_TRUE(panel_->Form().IsDlgItemEnabled(IDC_AP_REFRESH));
  orv::ui::CMyReportCtrl& grid = panel_->Grid();
  ASSERT_EQ(grid.GetRecordCount(), 2);
  EXPECT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(Row(0)->GetItemCaption(CAccInfoRecord::kColRow), L"1");
  EXPECT_EQ(Row(1)->GetItemCaption(CAccInfoRecord::kColAccount), L"3333-4444");
  EXPECT_EQ(Row(1)->GetItemCaption(CAccInfoRecord::kColBroker), L"DB증권");
  // ERR black at 0, red at 3; CNT red on the highlight when above 0.
  EXPECT_EQ(Row(0)->GetItem(CAccInfoRecord::kColErrors)->textColor, kRowBlack);
  EXPECT_EQ(Row(1)->GetItem(CAccInfoRecord::kColErrors)->textColor, kRowRed);
  EXPECT_EQ(Row(0)->GetItem(CAccInfoRecord::kColCount)->backColor, kRowWhite);
  EXPECT_EQ(Row(1)->GetItem(CAccInfoRecord::kColCount)->backColor, kAccHighlight);
  EXPECT_EQ(Row(1)->GetItem(CAccInfoRecord::kColFirstAmount)->textColor, kRowBlue);
  // The footer sums the accounts.
  ASSERT_EQ(grid.GetFooterRecordCount(), 1);
  auto* footer = dynamic_cast<CAccInfoRecord*>(grid.GetFooterRecord(0));
  ASSERT_NE(footer, nullptr);
  EXPECT_EQ(footer->GetItemCaption(CAccInfoRecord::kColOk), L"2");
  EXPECT_EQ(footer->GetItemCaption(CAccInfoRecord::kColFirstAmount), L"3000000");
  EXPECT_EQ(footer->GetItemCaption(CAccInfoRecord::kColFirstAmount + kAccTodayProfit), L"2000");
  EXPECT_EQ(footer->GetItemCaption(CAccInfoRecord::kColFirstAmount + kAccCollateralRatio),
            L"150.0%");
  EXPECT_EQ(footer->GetItemCaption(CAccInfoRecord::kColErrors), L"3");
  // The account combo and the labels.
  auto* combo = FindById<wxComboBox>(panel_->GetWindow(), IDC_AP_ACCOUNT);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->GetCount(), 2u);
  EXPECT_EQ(panel_->AccountText(), L"1111-2222");
  EXPECT_EQ(Text(IDC_AP_D2_DEPOSIT), L"D+2 예수금:\n10,000.0만");
  EXPECT_EQ(Text(IDC_AP_ESTIMATED_ASSETS), L"추정자산:\n3,000.0만");
  EXPECT_EQ(Text(IDC_AP_COLLATERAL_RATIO), L"신용담보율:\n150.0%(안전)");
  // The charts in 10,000-won units.
  EXPECT_DOUBLE_EQ(panel_->DomesticChartValues()[0], 500);
  EXPECT_DOUBLE_EQ(panel_->DomesticChartValues()[1], 100);
  EXPECT_DOUBLE_EQ(panel_->DomesticChartValues()[2], 5);
  EXPECT_DOUBLE_EQ(panel_->DomesticChartValues()[3], 3000);
  EXPECT_DOUBLE_EQ(panel_->UsChartValues()[1], 0.02);
  EXPECT_DOUBLE_EQ(panel_->UsChartValues()[2], 6);
}

TEST_F(OrderDlg2Test, ARefreshInPlaceKeepsTheRowsAndANewAccountRebuilds) {
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1000000),
                                     Account(L"3333-4444", 3, 2, 2000000)}));
  CAccInfoRecord* second = Row(1);
  const double chart = panel_->DomesticChartValues()[3];

  // UpdateAccountSummary(map, 0) with the same accounts: the rows stay, their values change;
  // the charts stay as they are.
  auto changed = Summary({Account(L"1111-2222", 0, 0, 1000000), Account(L"3333-4444", 0, 0, 0)});
  changed->totals.estimatedAssets = 90000000;
  view_->ShowAccountSummary(changed);  // the view's copy (the panel rebuilds on rebuild 1)
  second = Row(1);
  panel_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1000000),
                                      Account(L"3333-4444", 3, 2, 2000000)}),
                             0);
  EXPECT_EQ(Row(1), second) << "refreshed in place";
  EXPECT_EQ(Row(1)->GetItem(CAccInfoRecord::kColErrors)->textColor, kRowRed);
  EXPECT_EQ(Row(1)->GetNumberValue(CAccInfoRecord::kColErrors), 3);
  EXPECT_NE(panel_->DomesticChartValues()[3], chart);
  const double kept = panel_->DomesticChartValues()[3];

  panel_->UpdateAccountSummary(&view_->Engine().Accounts(), 0);
  EXPECT_EQ(Row(1), second);
  EXPECT_EQ(Row(1)->GetNumberValue(CAccInfoRecord::kColErrors), 0) << "the view's copy";
  EXPECT_EQ(panel_->DomesticChartValues()[3], kept);

  // A third account: the next refresh rebuilds the rows and the combo even with rebuild 0.
  panel_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1), Account(L"3333-4444", 0, 0, 1),
                                      Account(L"5555-6666", 0, 0, 1)}),
                             0);
  EXPECT_EQ(panel_->Grid().GetRecordCount(), 3);
  EXPECT_EQ(FindById<wxComboBox>(panel_->GetWindow(), IDC_AP_ACCOUNT)->GetCount(), 3u);

  // Without the accounts a rebuild request refreshes only the charts and labels.
  CAccInfoRecord* third = Row(2);
  panel_->UpdateAccountSummary(nullptr, 1);
  EXPECT_EQ(Row(2), third);

  // A logout empties the panel and shows zeros.
  panel_->ResetAccountInfo(0);
  EXPECT_EQ(panel_->Grid().GetRecordCount(), 0);
  EXPECT_EQ(Text(IDC_AP_D2_DEPOSIT), L"D+2 예수금:\n0.0만");
  EXPECT_EQ(Text(IDC_AP_COLLATERAL_RATIO), L"신용담보율:\n0.0%(미사용)");
}

TEST_F(OrderDlg2Test, ButtonsReachTheViewsServices) {
  // 감시 매수 shows the board.
  panel_->Form().SendCommand(IDC_AP_WATCH_BUY);
  EXPECT_EQ(RecordingBoard::shows, 1);

  // The refresh wakes the account worker: it runs an account pass at once.
  CPelomarEngine& engine = view_->Engine();
  engine.m_lastAccountQueryTick.store(0);
  panel_->Form().SendCommand(IDC_AP_REFRESH);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (engine.m_lastAccountQueryTick.load() == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_NE(engine.m_lastAccountQueryTick.load(), 0u) << "no account pass after the refresh";

  // The password button opens the account-password dialog.
  panel_->Form().SendCommand(IDC_AP_PASSWORD);
  auto* dialog = dynamic_cast<CMyAccountInfoDlg*>(view_->AccountDialog());
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(dialog->GetWindow(), nullptr);
  EXPECT_TRUE(dialog->GetWindow()->IsShown());
  EXPECT_EQ(static_cast<wxDialog*>(dialog->GetWindow())->GetTitle(),
            wxString(L"계좌 비밀번호 설정 : DB금융투자"));
  dialog->HideDialog();

  // The account's "정보" button shows the account.
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1)}));
  orv::ui::ReportNotify nm;
  nm.code = orv::ui::REPORT_NM_ITEMBUTTONCLICK;
  nm.ctrlId = IDC_AP_GRID;
  nm.column = CAccInfoRecord::kColAccount;
  nm.record = Row(0);
  nm.row = 0;
  panel_->Grid().SendNotify(nm);
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().caption, "INFORMATION");
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().text, "1111-2222");
  // Only the OK column may be edited.
  orv::ui::ReportNotify edit;
  edit.code = orv::ui::REPORT_NM_REQUESTEDIT;
  edit.ctrlId = IDC_AP_GRID;
  edit.column = CAccInfoRecord::kColFirstAmount;
  panel_->Grid().SendNotify(edit);
  EXPECT_TRUE(edit.cancel);
  edit.cancel = FALSE;
  edit.column = CAccInfoRecord::kColOk;
  panel_->Grid().SendNotify(edit);
  EXPECT_FALSE(edit.cancel);
}

TEST_F(OrderDlg2Test, TheAccountPasswordDialogStoresPasswords) {
  auto* dialog = dynamic_cast<CMyAccountInfoDlg*>(view_->AccountDialog());
  ASSERT_NE(dialog, nullptr);
  wxDialog* window = static_cast<wxDialog*>(dialog->GetWindow());
  // Made hidden; a plain show is refused until the dialog is opened.
  dialog->ShowWindow(true);
  EXPECT_FALSE(window->IsShown());
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1), Account(L"3333-4444", 0, 0, 1)}));
  EXPECT_EQ(dialog->ChosenAccount(), L"1111-2222");
  view_->ShowAccountDialog(true);
  ASSERT_TRUE(window->IsShown());
  EXPECT_NE(dialog->Form().GetDlgItemText(IDC_AI_USER).find(L"*비밀번호 입력 필요*"),
            std::wstring::npos);
  orv::ui::CControlDialog& form = dialog->Form();

  // Three characters are refused, the box emptied.
  form.SetDlgItemText(IDC_AI_PASSWORD, L"123");
  form.SendCommand(IDC_AI_INPUT);
  EXPECT_EQ(form.GetDlgItemText(IDC_AI_RESULT), L"Fail");
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().caption, "ERROR");
  EXPECT_EQ(form.GetDlgItemText(IDC_AI_PASSWORD), L"");
  EXPECT_TRUE(first_.password.empty());

  // Four are stored for the chosen account, by Enter in the password box.
  form.SetDlgItemText(IDC_AI_PASSWORD, L"1234");
  EXPECT_TRUE(dialog->HandleKey(WXK_RETURN, IDC_AI_PASSWORD));
  EXPECT_EQ(form.GetDlgItemText(IDC_AI_RESULT), L"OK");
  EXPECT_EQ(first_.password, "1234");
  EXPECT_TRUE(second_.password.empty());
  // Enter elsewhere does nothing; Escape never closes.
  form.SetDlgItemText(IDC_AI_PASSWORD, L"9999");
  EXPECT_TRUE(dialog->HandleKey(WXK_RETURN, 0));
  EXPECT_EQ(first_.password, "1234");
  EXPECT_TRUE(dialog->HandleKey(WXK_ESCAPE, 0));
  EXPECT_TRUE(window->IsShown());

  // All accounts: the chosen one is not used, the label says so.
  form.CheckDlgButton(IDC_AI_ALL_ACCOUNTS, true);
  form.SetDlgItemText(IDC_AI_PASSWORD, L"5678");
  form.SendCommand(IDC_AI_INPUT);
  EXPECT_EQ(form.GetDlgItemText(IDC_AI_RESULT), L"OK*");
  EXPECT_EQ(first_.password, "5678");
  EXPECT_EQ(second_.password, "5678");

  // Saving the password needs automatic login; answering No unticks it and keeps the flags.
  EXPECT_FALSE(form.IsDlgItemEnabled(IDC_AI_SAVE_PASSWORD));
  form.CheckDlgButton(IDC_AI_AUTO_LOGIN, true);
  form.SendCommand(IDC_AI_AUTO_LOGIN);
  EXPECT_TRUE(form.IsDlgItemEnabled(IDC_AI_SAVE_PASSWORD));
  EXPECT_EQ(view_->LoginFlags() & LOGIN_FLAG_AUTO, LOGIN_FLAG_AUTO);
  orv::win::ScriptMessageBoxes({IDNO});
  form.CheckDlgButton(IDC_AI_SAVE_PASSWORD, true);
  form.SendCommand(IDC_AI_SAVE_PASSWORD);
  EXPECT_FALSE(form.IsDlgButtonChecked(IDC_AI_SAVE_PASSWORD));
  EXPECT_EQ(dialog->SavePassword(), 0);
  EXPECT_EQ(view_->LoginFlags() & LOGIN_FLAG_SAVE_PASSWORD, 0u);
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().caption, "QUESTION");

  // The close hides it; a plain show is refused again.
  dialog->OnCloseDialog();
  EXPECT_FALSE(window->IsShown());
  dialog->ShowWindow(true);
  EXPECT_FALSE(window->IsShown());
}

TEST_F(OrderDlg2Test, AShortPaneScrollsToTheOrderForm) {
  // The docked pane is often lower than the panel's content: the panel scrolls, and scrolled
  // down to the quantity it shows the side, the quantity and the order and cancel buttons
  // whole.
  auto* window = dynamic_cast<wxScrolledWindow*>(panel_->GetWindow());
  ASSERT_NE(window, nullptr);
  window->SetSize(0, 0, 246, 220);
  const wxSize client = window->GetClientSize();
  EXPECT_GT(window->GetVirtualSize().y, client.y);
  // The user scrolls until the quantity box is at the top.
  const wxPoint at = window->CalcUnscrolledPosition(
      FindById<wxWindow>(window, IDC_AP_QUANTITY)->GetPosition());
  int rateX = 0, rateY = 0;
  window->GetScrollPixelsPerUnit(&rateX, &rateY);
  ASSERT_GT(rateY, 0);
  window->Scroll(0, at.y / rateY);
  for (int id : {IDC_AP_ORDER, IDC_AP_CANCEL, IDC_AP_QUANTITY, IDC_AP_SELL}) {
    const wxRect r = FindById<wxWindow>(window, id)->GetRect();
    EXPECT_TRUE(wxRect(client).Contains(r)) << id << " at " << r.y << " of " << client.y;
  }
  // A pane tall enough needs no scrolling.
  window->Scroll(0, 0);
  window->SetSize(0, 0, 700, 900);
  EXPECT_LE(window->GetVirtualSize().y, window->GetClientSize().y);
  EXPECT_TRUE(wxRect(window->GetClientSize())
                  .Contains(FindById<wxWindow>(window, IDC_AP_ORDER)->GetRect()));
}

TEST_F(OrderDlg2Test, TheGridMenuPresetsTheOrderForm) {
  // The stock-grid menu's 매도 (the view's preset of the side panel): the held quantity at the
  // row's price, as a sale.
  view_->Hooks().setOrderForm(2, 1, L"005930", 10, 71000);
  EXPECT_EQ(Box(IDC_AP_CODE), L"005930");
  EXPECT_EQ(Box(IDC_AP_NAME), L"삼성전자");
  EXPECT_EQ(Box(IDC_AP_PRICE), L"71,000");
  EXPECT_EQ(Box(IDC_AP_QUANTITY), L"10");
  EXPECT_EQ(Box(IDC_AP_LOAN_DATE), L"00000000");
  EXPECT_EQ(panel_->Side(), 2);
  EXPECT_EQ(Text(IDC_AP_ORDER), L"매도 (&Sell)");
  EXPECT_TRUE(panel_->Form().IsDlgButtonChecked(IDC_AP_SELL));
  EXPECT_EQ(panel_->Entry().SelectedStock().code, L"005930");
  // The market order keeps the price box off.
  EXPECT_FALSE(panel_->Form().IsDlgItemEnabled(IDC_AP_PRICE));

  // A code no market lists: the boxes show it, the form's stock stays.
  view_->Hooks().setOrderForm(1, 1, L"123456", 3, 0);
  EXPECT_EQ(Box(IDC_AP_CODE), L"123456");
  EXPECT_EQ(Box(IDC_AP_NAME), L"");
  EXPECT_EQ(Text(IDC_AP_ORDER), L"매수 (&Buy)");
  EXPECT_EQ(panel_->Entry().SelectedStock().code, L"005930");

  // Without a code nothing happens; a direct preset of a quantity leaves the boxes and answers
  // -307 while the price simulation runs.
  struct Case {
    const wchar_t* code;
    int direct;
    double quantity;
    int simulation;
    int result;
    const wchar_t* quantityBox;
  } cases[] = {
      {L"", 0, 7, 0, 0, L"3"},           {L"000660", 1, 5, 1, -307, L"3"},
      {L"000660", 1, 5, 0, 0, L"3"},     {L"000660", 1, 0, 1, 0, L"0"},
      {L"000660", 0, 4, 1, 0, L"4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.code) + " direct " + std::to_string(c.direct));
    Type(IDC_AP_QUANTITY, L"3");
    view_->Engine().m_simulationRunning.store(c.simulation);
    OrderFormPreset_s preset;
    preset.code = c.code;
    preset.direct = c.direct;
    preset.quantity = c.quantity;
    EXPECT_EQ(panel_->SetOrderForm(preset), c.result);
    EXPECT_EQ(Box(IDC_AP_QUANTITY), c.quantityBox);
  }
  view_->Engine().m_simulationRunning.store(0);
}

TEST_F(OrderDlg2Test, WithThePaneClosedTheGridMenuOpensTheOrderDialog) {
  // The user closed the "계좌 정보" pane: the menu's 매수 shows the order dialog for the stock
  // instead of filling a panel nobody sees.
  pane_->Hide();
  view_->Hooks().setOrderForm(1, 1, L"000660", 2, 198000);
  EXPECT_EQ(Box(IDC_AP_CODE), L"") << "the hidden panel was filled";
  wxDialog* dialog = nullptr;
  for (wxWindow* top : wxTopLevelWindows)
    if (auto* d = dynamic_cast<wxDialog*>(top); d && d->GetTitle() == wxString(L"주문하기"))
      dialog = d;
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(FindById<wxTextCtrl>(dialog, IDC_OP_CODE)->GetValue(), wxString("000660"));
  dialog->Hide();
}

TEST_F(OrderDlg2Test, CtrlWithADigitChoosesTheSide) {
  struct Case {
    int key;
    bool ctrl, alt;
    int side;
  } cases[] = {{'2', true, false, 2}, {'1', true, false, 1}, {'2', false, true, 1},
               {'2', false, false, 1}, {'2', true, false, 2}, {'1', true, true, 2}};
  wxWindow* host = panel_->GetWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << char(c.key) << " ctrl " << c.ctrl << " alt " << c.alt);
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = c.key;
    event.SetControlDown(c.ctrl);
    event.SetAltDown(c.alt);
    event.SetEventObject(host);
    host->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(panel_->Side(), c.side);
    EXPECT_EQ(Text(IDC_AP_ORDER), c.side == 2 ? L"매도 (&Sell)" : L"매수 (&Buy)");
  }
}

TEST_F(OrderDlg2Test, TheSearchFindsDomesticStocksByCodeOrName) {
  struct Case {
    const wchar_t* typed;
    const wchar_t* code;
    const wchar_t* name;
    const wchar_t* price;
  } cases[] = {
      {L" 005930 ", L"005930", L"삼성전자", L"70,000"},
      {L"SK하이닉스", L"000660", L"SK하이닉스", L"198,000"},
      // A US stock is not searched: the boxes stay as the last search left them.
      {L"AAPL", L"AAPL", L"SK하이닉스", L"198,000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.typed));
    Type(IDC_AP_CODE, c.typed);
    panel_->Form().SendCommand(IDC_AP_CODE);  // Enter in the code box
    EXPECT_EQ(Box(IDC_AP_CODE), c.code);
    EXPECT_EQ(Box(IDC_AP_NAME), c.name);
    EXPECT_EQ(Box(IDC_AP_PRICE), c.price);
  }
  EXPECT_FALSE(panel_->Entry().SelectedStock().found) << "a search that finds nothing";

  // The total button and the amount presets fill the total box.
  Type(IDC_AP_CODE, L"005930");
  panel_->Form().SendCommand(IDC_AP_SEARCH);
  Type(IDC_AP_QUANTITY, L"3");
  panel_->Form().SendCommand(IDC_AP_TOTAL_BUTTON);
  EXPECT_EQ(Box(IDC_AP_TOTAL), L"210,000");
  panel_->Form().SelectComboByValue(IDC_AP_AMOUNT_PRESET, 1000000);
  panel_->Form().SendCommand(IDC_AP_AMOUNT_PRESET);
  EXPECT_EQ(Box(IDC_AP_TOTAL), L"1,000,000");
}

TEST_F(OrderDlg2Test, TheTimerFollowsTheMarketPriceButKeepsATypedLimitPrice) {
  view_->Hooks().setOrderForm(1, 1, L"005930", 1, 70000);
  {
    orv::win::CSingleLock lock(&view_->Engine().ViewLock(), TRUE);
    view_->Engine().Stocks().FindStockByCode(1, L"005930", nullptr, true, nullptr)->cur_price =
        72000;
  }
  // The panel's own one-second timer brings the new price.
  for (int i = 0; i < 300 && Box(IDC_AP_PRICE) != L"72,000"; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
  EXPECT_EQ(Box(IDC_AP_PRICE), L"72,000") << "a market order shows the current price";

  // A limit order: the price box opens and what the user typed stays.
  panel_->Form().SelectComboByValue(IDC_AP_ORDER_TYPE, 0);
  panel_->Form().SendCommand(IDC_AP_ORDER_TYPE);
  EXPECT_EQ(panel_->OrderType(), 0);
  EXPECT_TRUE(panel_->Form().IsDlgItemEnabled(IDC_AP_PRICE));
  Type(IDC_AP_PRICE, L"69,500");
  panel_->Entry().OnTimer();
  EXPECT_EQ(Box(IDC_AP_PRICE), L"69,500");

  // A code typed for the next search is not written back either.
  panel_->Form().SelectComboByValue(IDC_AP_ORDER_TYPE, 3);
  panel_->Form().SendCommand(IDC_AP_ORDER_TYPE);
  Type(IDC_AP_CODE, L"000660");
  panel_->Entry().OnTimer();
  EXPECT_EQ(Box(IDC_AP_CODE), L"000660");
  EXPECT_EQ(Box(IDC_AP_PRICE), L"69,500");
}

// Cash or credit: the radio buttons and the credit kind combo show one choice; a credit order
// carries its loan date to the order; a credit buy needs the setting "D1. 신용(Loan) 매수 허용"
// and a credit sell the loan date of the loan it repays. The first box tells what happened:
// an ERROR stops the order, the QUESTION is the order's own confirmation (answered no here, so
// nothing is sent).
TEST_F(OrderDlg2Test, CashOrCreditReachesTheOrderAndCreditBuysNeedTheSetting) {
  orv::ui::CControlDialog& form = panel_->Form();
  // Cash to start with; the loan date is for credit orders only.
  EXPECT_TRUE(form.IsDlgButtonChecked(IDC_AP_CASH));
  EXPECT_FALSE(form.IsDlgItemEnabled(IDC_AP_LOAN_DATE));
  EXPECT_FALSE(form.IsDlgItemEnabled(IDC_AP_CREDIT_ORDER_KIND));
  auto comboText = [this](int id) {
    auto* combo = FindById<wxComboBox>(panel_->GetWindow(), id);
    return combo ? combo->GetValue().ToStdWstring() : L"<none>";
  };
  EXPECT_EQ(comboText(IDC_AP_CREDIT_ORDER_KIND), L"지원안함");
  form.SendCommand(IDC_AP_CREDIT);
  EXPECT_EQ(panel_->CreditKind(), 2);
  EXPECT_TRUE(form.IsDlgButtonChecked(IDC_AP_CREDIT));
  EXPECT_FALSE(form.IsDlgButtonChecked(IDC_AP_CASH));
  EXPECT_TRUE(form.IsDlgButtonChecked(IDC_AP_BUY)) << "the side lost its choice";
  EXPECT_TRUE(form.IsDlgItemEnabled(IDC_AP_LOAN_DATE));
  EXPECT_EQ(comboText(IDC_AP_CREDIT_KIND), L"신용융자");
  form.SelectComboByValue(IDC_AP_CREDIT_KIND, 1);
  form.SendCommand(IDC_AP_CREDIT_KIND);
  EXPECT_EQ(panel_->CreditKind(), 1);
  EXPECT_TRUE(form.IsDlgButtonChecked(IDC_AP_CASH));

  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1)}));
  view_->Hooks().setOrderForm(1, 1, L"005930", 2, 70000);
  struct Case {
    const char* name;
    int credit;  // the radio the user chose
    int side;
    int command;
    uint8_t creditBuySetting;
    const wchar_t* loanDate;
    const char* caption;
    const char* text;  // the start of the first box
  } cases[] = {
      {"cash buy", 1, 1, ID_ORDER_NOW, 0, L"", "QUESTION", "현금 매수 주문\n"},
      {"credit buy without the setting", 2, 1, ID_ORDER_NOW, 0, L"", "ERROR",
       "신용 매수가 허용되어 있지 않습니다."},
      {"credit command without the setting", 1, 1, ID_CREDIT_ORDER_NOW, 0, L"", "ERROR",
       "신용 매수가 허용되어 있지 않습니다."},
      {"credit buy with the setting", 2, 1, ID_ORDER_NOW, 1, L"00000000", "QUESTION",
       "신용 매수 주문\n-----------------\n대출일 : 00000000\n"},
      {"credit sell without a loan date", 2, 2, ID_ORDER_NOW, 0, L"0", "ERROR",
       "신용 매도할 대출일"},
      {"credit sell of a loan", 2, 2, ID_ORDER_NOW, 0, L"20240105", "QUESTION",
       "신용 매도 주문\n-----------------\n대출일 : 20240105\n"},
      {"cash sell ignores the loan date", 1, 2, ID_ORDER_NOW, 0, L"junk", "QUESTION",
       "현금 매도 주문\n"},
  };
  wxWindow* host = panel_->GetWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_->Engine().Options().credit_buy = c.creditBuySetting;
    form.SendCommand(c.credit == 2 ? IDC_AP_CREDIT : IDC_AP_CASH);
    form.CheckDlgButton(c.side == 2 ? IDC_AP_SELL : IDC_AP_BUY, true);
    form.SendCommand(c.side == 2 ? IDC_AP_SELL : IDC_AP_BUY);
    Type(IDC_AP_LOAN_DATE, c.loanDate);
    Type(IDC_AP_MESSAGE, L"");
    orv::win::ScriptMessageBoxes({IDNO});
    wxCommandEvent command(wxEVT_MENU, c.command);
    host->GetEventHandler()->ProcessEvent(command);
    const auto calls = orv::win::ScriptedMessageBoxCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().caption, c.caption);
    EXPECT_EQ(calls.front().text.rfind(c.text, 0), 0u) << calls.front().text;
    EXPECT_FALSE(panel_->Entry().OrderInFlight()) << "an order went out";
  }
  view_->Engine().Options().credit_buy = 0;
}

// The auto-trading check shows the view's all-stock auto-trading switch, whoever changes it,
// and switches it through the view as the view's own check box does: off at once, on only
// after the user says yes.
TEST_F(OrderDlg2Test, TheAutoTradingCheckFollowsAndSwitchesTheViewsSwitch) {
  orv::ui::CControlDialog& form = panel_->Form();
  EXPECT_EQ(Text(IDC_AP_AUTO_TRADE), L"자동 매매(손절/익절 자동)");
  EXPECT_FALSE(form.IsDlgButtonChecked(IDC_AP_AUTO_TRADE));
  view_->SetAutoTradeAll(IDC_MY_STOCK_GRID, 1, 0, 0);
  EXPECT_TRUE(form.IsDlgButtonChecked(IDC_AP_AUTO_TRADE)) << "the check missed the view's switch";

  struct Case {
    const char* name;
    std::vector<int> answers;
    bool asked;
    bool on;  // the switch afterwards
  } cases[] = {
      {"on: a click switches it off", {}, false, false},
      {"off: the user declines", {IDNO}, true, false},
      {"off: the user agrees", {IDYES}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    orv::win::ScriptMessageBoxes(c.answers);
    // The click toggles the check before the panel hears of it.
    form.CheckDlgButton(IDC_AP_AUTO_TRADE, !form.IsDlgButtonChecked(IDC_AP_AUTO_TRADE));
    form.SendCommand(IDC_AP_AUTO_TRADE);
    bool asked = false;
    for (const auto& call : orv::win::ScriptedMessageBoxCalls()) asked |= call.caption == "QUESTION";
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(view_->AutoTradeSwitch(0) != 0, c.on);
    EXPECT_EQ(form.IsDlgButtonChecked(IDC_AP_AUTO_TRADE), c.on);
    auto* viewCheck = FindById<wxCheckBox>(view_, IDC_CHECK_ALL_STOCK_WATCH);
    ASSERT_NE(viewCheck, nullptr);
    EXPECT_EQ(viewCheck->GetValue(), c.on);
  }
}

// "분석" asks for the AI analysis of the form's stock: without one the user is told to search
// first; after a yes the order dialog, whose page shows the answer, opens.
TEST_F(OrderDlg2Test, TheAnalysisButtonAsksForTheStocksAnalysis) {
  EXPECT_EQ(Text(IDC_AP_ANALYSIS), L"분석");
  EXPECT_FALSE(panel_->Form().IsDlgItemEnabled(IDC_AP_ANALYSIS)) << "enabled before a login";
  auto orderDialog = [] {
    for (wxWindow* top : wxTopLevelWindows)
      if (auto* d = dynamic_cast<wxDialog*>(top); d && d->GetTitle() == wxString(L"주문하기"))
        return d;
    return static_cast<wxDialog*>(nullptr);
  };
  panel_->Form().SendCommand(IDC_AP_ANALYSIS);
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, "종목 코드를 입력후, 먼저 검색해 주세요.");

  view_->Hooks().setOrderForm(1, 1, L"000660", 2, 198000);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    orv::win::ScriptMessageBoxes({answer});
    panel_->Form().SendCommand(IDC_AP_ANALYSIS);
    const auto calls = orv::win::ScriptedMessageBoxCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].caption, "QUESTION");
    EXPECT_EQ(calls[0].text.rfind("SK하이닉스(000660)종목을 분석 할까요?", 0), 0u) << calls[0].text;
    wxDialog* dialog = orderDialog();
    EXPECT_EQ(dialog && dialog->IsShown(), answer == IDYES);
  }
  if (wxDialog* dialog = orderDialog()) dialog->Hide();
}

TEST_F(OrderDlg2Test, AnOrderFromTheFormGoesToTheViewsOrderWorker) {
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1), Account(L"3333-4444", 0, 0, 1)}));
  view_->Hooks().setOrderForm(1, 1, L"005930", 2, 70000);
  wxWindow* host = panel_->GetWindow();

  // No account chosen: the form says so and nothing is sent.
  panel_->ResetAccountInfo(0);
  wxCommandEvent now(wxEVT_MENU, ID_ORDER_NOW);
  host->GetEventHandler()->ProcessEvent(now);
  ASSERT_FALSE(orv::win::ScriptedMessageBoxCalls().empty());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().text, "계좌번호를 입력 해 주세요~!");
  EXPECT_EQ(Box(IDC_AP_MESSAGE), L"");

  // With the account: the user is asked, then the view's order worker answers. Without a
  // broker session nothing reaches a broker, and the form says it failed.
  view_->ShowAccountSummary(Summary({Account(L"1111-2222", 0, 0, 1), Account(L"3333-4444", 0, 0, 1)}));
  orv::win::ScriptMessageBoxes({IDYES});
  host->GetEventHandler()->ProcessEvent(now);
  const std::wstring line = WaitForResultLine();
  EXPECT_EQ(line.rfind(L"주문 결과[실패]:", 0), 0u) << WideToUtf8(line);
  EXPECT_NE(line.find(L" 삼성전자(005930) 2주 [ACC:1111-2222]"), std::wstring::npos)
      << WideToUtf8(line);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2].caption, "QUESTION");
  EXPECT_NE(calls[calls.size() - 2].text.find("매수 주문 할까요?"), std::string::npos);
  EXPECT_EQ(calls.back().caption, "ERROR");

  // A US code typed into the form is never ordered as a domestic stock.
  Type(IDC_AP_CODE, L"AAPL");
  host->GetEventHandler()->ProcessEvent(now);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().back().text, "잘못된 종목코드 입니다~!");
}

}  // namespace
