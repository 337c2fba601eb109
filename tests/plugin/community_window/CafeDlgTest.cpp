// The cafe dialog as the program makes and shows it: the plug-in's start-up installs its maker,
// the trading view creates it with its dialogs and shows it through its services; the cafe
// downloads fill its picker and grids; its menu follows the rules of the signed-in user.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/splitter.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/CafeDlgGrids.h"
#include "platform/xl/XlBook.h"
#include "plugin/community/window/CafeDlg.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "tests/e2e/road/FileDialogs.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/plugin/view/ViewStage.h"

using orv::test::PumpUntil;

namespace {

struct HostNotice {
  int kind;
  std::wstring title;
  std::wstring url;
};
std::vector<HostNotice>& HostNotices() {
  static std::vector<HostNotice> notices;
  return notices;
}
// The pages the plug-in asks the host to open (kind 16).
intptr_t RecordHostNotice(void*, int, int kind, int, double, double, const wchar_t* text1,
                          const wchar_t* text2, const void*, intptr_t, intptr_t, int*, wchar_t*,
                          int, int, int, intptr_t, intptr_t) {
  if (kind == 16) HostNotices().push_back({kind, text1 ? text1 : L"", text2 ? text2 : L""});
  return 0;
}

std::vector<std::wstring> PageTitles(wxNotebook* tabs) {
  std::vector<std::wstring> titles;
  for (size_t i = 0; tabs && i < tabs->GetPageCount(); ++i)
    titles.push_back(tabs->GetPageText(i).ToStdWstring());
  return titles;
}

CafeRecordPtr Cafe(int index, const wchar_t* title, int chief, int sub) {
  auto cafe = std::make_shared<CafeRecord_s>();
  cafe->cafeIndex = index;
  cafe->title = title;
  cafe->chiefManagerIndex = cafe->managerIndex = chief;
  cafe->subManagerIndex = sub;
  return cafe;
}

class CafeDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    std::snprintf(stage_.run.szWebApiBase, sizeof stage_.run.szWebApiBase, "%s",
                  "http://127.0.0.1:9/");
    stage_.block.pfnNotify = &RecordHostNotice;
    HostNotices().clear();
    // As the plug-in's start-up does before it creates the view.
    InstallCafeDialogMaker();
    view_ = stage_.CreateView();
    ASSERT_NE(view_, nullptr);
    dialog_ = dynamic_cast<CCafeDlg*>(view_->CafeDialog());
    ASSERT_NE(dialog_, nullptr) << "the view still holds the null cafe dialog";
  }
  void TearDown() override {
    if (view_) view_->Destroy();
    orv::win::StopScriptingMessageBoxes();
    ChildMakers() = PelomarChildMakers{};
  }

  // The cafe list reaches the dialog as the cafe downloads hand it over.
  void DownloadCafes(std::vector<CafeRecordPtr> cafes, int current) {
    auto snapshot = std::make_shared<CafeSnapshot_s>();
    auto map = std::make_shared<CafeMap>();
    for (const CafeRecordPtr& cafe : cafes) (*map)[cafe->cafeIndex] = cafe;
    snapshot->cafes = map;
    snapshot->currentCafeIndex = current;
    dialog_->CafeFiller().FillCafeGroups(snapshot);
  }

  orv::test::ViewStage stage_;
  CPelomarView* view_ = nullptr;
  CCafeDlg* dialog_ = nullptr;
};

TEST_F(CafeDlgTest, MadeHiddenWithItsPanesAndShownOnlyThroughShowDialog) {
  wxDialog* dlg = dialog_->GetWindow();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(dlg->GetTitle(), wxString(L"추천종목 관리 + 분할매수"));
  EXPECT_FALSE(dlg->IsShown());
  EXPECT_EQ(PageTitles(dialog_->TopTabs()), (std::vector<std::wstring>{L"카페관심종목", L"회원관리"}));
  EXPECT_EQ(PageTitles(dialog_->ComposerTabs()), (std::vector<std::wstring>{L"종목 추천하기"}));
  EXPECT_EQ(PageTitles(dialog_->BottomTabs()),
            (std::vector<std::wstring>{L"전문가 추천 종목", L"인터넷 포털 정보"}));
  // The toolbar shows the picker, the reload button and the cafe menu only.
  for (int id : {CCafeDlg::IDC_CAFE_PICKER, CCafeDlg::IDC_RELOAD, CCafeDlg::IDC_CAFE_MENU})
    EXPECT_TRUE(dialog_->IsDlgItemShown(id)) << id;
  for (int id : {987, 619, 618, 699, 787, 597, 3389, 2298})
    EXPECT_FALSE(dialog_->IsDlgItemShown(id)) << id;

  // A show that is not ShowDialog's is turned back.
  dlg->Show(true);
  EXPECT_TRUE(PumpUntil([dlg] { return !dlg->IsShown(); }, 2000));

  // The view shows it on a tab: the composer strip above the bottom tabs.
  view_->ShowCafeDlg(true, 0, 0);
  ASSERT_TRUE(dlg->IsShown());
  PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(dialog_->ComposerTabs()->IsShown());
  EXPECT_EQ(dialog_->BottomTabs()->GetSelection(), 0);
  EXPECT_GE(dialog_->BottomTabs()->GetPosition().y, CCafeDlg::kComposerHeight);

  // Layout mode 1: the composer strip goes and the bottom tabs fill the main part.
  view_->ShowCafeDlg(true, 0, 1);
  EXPECT_TRUE(dlg->IsShown());
  EXPECT_FALSE(dialog_->ComposerTabs()->IsShown());
  EXPECT_EQ(dialog_->BottomTabs()->GetSelection(), 1);
  EXPECT_LT(dialog_->BottomTabs()->GetPosition().y, CCafeDlg::kComposerHeight);
  // A recommendation (tab -1) keeps the page shown.
  view_->ShowCafeRecommendDlg(true, 1, L"", 1, -1);
  EXPECT_EQ(dialog_->BottomTabs()->GetSelection(), 1);
  EXPECT_TRUE(dialog_->ComposerTabs()->IsShown());

  // The close box hides it and keeps the side pane's width for the next start.
  dialog_->Pane()->SetSashPosition(333);
  PumpUntil([] { return false; }, 50);
  const int sash = dialog_->Pane()->GetSashPosition();
  dlg->Close();
  EXPECT_FALSE(dlg->IsShown());
  EXPECT_FALSE(dialog_->IsDialogShown());
  EXPECT_EQ(orv::win::GetProfileInt("Settings", CCafeDlg::kLayoutKey, -1), sash);
  dlg->Show(true);
  EXPECT_TRUE(PumpUntil([dlg] { return !dlg->IsShown(); }, 2000));

  // The view hides it through its service as well.
  view_->ShowCafeDlg(true, 0, 0);
  ASSERT_TRUE(dlg->IsShown());
  view_->ShowCafeDlg(false, 0, 0);
  EXPECT_FALSE(dlg->IsShown());
}

TEST_F(CafeDlgTest, PickingACafeWaitsForTheMasterListThenAsksTheCafeWorker) {
  DownloadCafes({Cafe(3, L"카페 3", 30, 31), Cafe(7, L"카페 7", 70, 71)}, 3);
  EXPECT_EQ(dialog_->GetDlgItemText(CCafeDlg::IDC_CAFE_PICKER), L"카페 3");
  ASSERT_TRUE(dialog_->SelectComboByValue(CCafeDlg::IDC_CAFE_PICKER, 7));

  // No master list yet: the choice arms the wait timer, once.
  ASSERT_EQ(view_->Engine().MasterStockCount(), 0u);
  ASSERT_TRUE(dialog_->SendCommand(CCafeDlg::IDC_CAFE_PICKER));
  EXPECT_TRUE(dialog_->WaitTimerRunning());
  dialog_->SelectCafe(-1);
  EXPECT_TRUE(dialog_->Selection().WaitTimerArmed());
  EXPECT_EQ(dialog_->Selection().CurrentCafe(), 0);
  // Its first tick after the list is loaded disarms it.
  view_->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  EXPECT_TRUE(PumpUntil([this] { return !dialog_->WaitTimerRunning(); }, 3000));

  // Now the choice makes cafe 7 current and asks for its members and items.
  stage_.login.nUserIdx = 71;
  ASSERT_TRUE(dialog_->SendCommand(CCafeDlg::IDC_RELOAD));
  EXPECT_EQ(dialog_->Selection().CurrentCafe(), 7);
  EXPECT_EQ(dialog_->Grids().CurrentCafe(), 7);
  EXPECT_EQ(dialog_->Selection().ManagerFlag(), 1) << "the sub-manager of cafe 7";
  EXPECT_EQ(dialog_->Grids().ManagerFlag(), 1);
  const uint8_t mask = view_->Engine().Cafe().RequestMask();
  EXPECT_EQ(mask & (kCafeMaskMembers | kCafeMaskRecItems), kCafeMaskMembers | kCafeMaskRecItems);
  // The member list's flags reach the dialog through its filler.
  dialog_->CafeFiller().SetCafeManagerFlags(0, false);
  EXPECT_EQ(dialog_->Grids().ManagerFlag(), 0);
}

TEST_F(CafeDlgTest, TheMenuFollowsTheUsersCafesAndOpensThePages) {
  stage_.login.nUserIdx = 5;
  stage_.login.nOwnCafeIdx = 7;
  stage_.login.byUserLevel = 1;
  view_->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  DownloadCafes({Cafe(7, L"내 카페", 5, 0), Cafe(9, L"다른 카페", 90, 91)}, 7);
  dialog_->SelectCafe(-1);
  ASSERT_EQ(dialog_->Selection().CurrentCafe(), 7);

  auto enabled = [this](int id) {
    std::unique_ptr<wxMenu> menu = dialog_->BuildCafeMenu();
    return menu->IsEnabled(id);
  };
  EXPECT_TRUE(enabled(ID_CAFE_ADMIN));
  EXPECT_TRUE(enabled(ID_CAFE_ADD_EMPLOYEES));
  EXPECT_FALSE(enabled(ID_CAFE_JOIN)) << "the own cafe";
  EXPECT_FALSE(enabled(ID_CAFE_OPEN)) << "the user has a cafe";

  // The cafe's items page opens in the host's main frame.
  dialog_->RunCommand(ID_CAFE_ITEMS);
  ASSERT_EQ(HostNotices().size(), 1u);
  EXPECT_EQ(HostNotices()[0].kind, 16);
  EXPECT_EQ(HostNotices()[0].title, L"카페 종목");
  EXPECT_NE(HostNotices()[0].url.find(L"stock/cafe_rec_list"), std::wstring::npos)
      << HostNotices()[0].url;
  EXPECT_NE(HostNotices()[0].url.find(L"&cafe=7&opcmd=list&"), std::wstring::npos);
  // The member import of the own cafe asks for workbooks; cancelled, nothing was entered.
  orv::win::ScriptMessageBoxes({IDOK});
  bool answered = false;
  const auto cancel = orv::test::windows::AnswerFileDialog("", &answered);
  EXPECT_EQ(dialog_->ImportCustomers(), 0);
  EXPECT_TRUE(answered);
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, "입력된 정보가 없습니다.");
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].caption, "ERROR");

  // Cafe 9: the join page is offered; an administrator sees the manager commands, which do
  // nothing for a cafe not the user's own. (The file dialog let the cafe worker's answer
  // through: the cafes are handed over again.)
  DownloadCafes({Cafe(7, L"내 카페", 5, 0), Cafe(9, L"다른 카페", 90, 91)}, 7);
  ASSERT_TRUE(dialog_->SelectComboByValue(CCafeDlg::IDC_CAFE_PICKER, 9));
  dialog_->SelectCafe(-1);
  EXPECT_TRUE(enabled(ID_CAFE_JOIN));
  EXPECT_FALSE(enabled(ID_CAFE_ADD_EMPLOYEES));
  stage_.login.byUserLevel = 90;
  EXPECT_TRUE(enabled(ID_CAFE_ADD_EMPLOYEES));
  dialog_->RunCommand(ID_CAFE_ADD_EMPLOYEES);
  dialog_->RunCommand(ID_CAFE_ADMIN);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(HostNotices().size(), 1u);
  dialog_->RunCommand(ID_CAFE_JOIN);
  ASSERT_EQ(HostNotices().size(), 2u);
  EXPECT_EQ(HostNotices()[1].title, L"카페 가입하기");
  EXPECT_NE(HostNotices()[1].url.find(L"opcmd=join&cafe=9&"), std::wstring::npos);

  // Nobody signed in: neither joining nor opening a cafe.
  stage_.login.nUserIdx = 0;
  EXPECT_FALSE(enabled(ID_CAFE_JOIN));
  EXPECT_FALSE(enabled(ID_CAFE_OPEN));
}

TEST_F(CafeDlgTest, TheMemberImportPostsThePeopleOfTheChosenWorkbooks) {
  orv::test::WebServerPeer peer;
  ASSERT_TRUE(peer.Start());
  peer.On("POST", "/stock/cafe_member_up", [](const orv::test::RecordedRequest&) {
    orv::test::PeerReply reply;
    reply.body = "{\"err\":\"0\",\"msg\":\"ok\"}";
    return reply;
  });
  std::snprintf(stage_.run.szWebApiBase, sizeof stage_.run.szWebApiBase, "%s",
                peer.BaseUrl().c_str());
  stage_.login.nUserIdx = 5;
  stage_.login.nOwnCafeIdx = 7;
  view_->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
  DownloadCafes({Cafe(7, L"내 카페", 5, 0)}, 7);
  dialog_->SelectCafe(-1);
  ASSERT_EQ(dialog_->Selection().CurrentCafe(), 7);

  // A workbook of customers on a sheet named neither way and a sheet of employees.
  const std::string path = stage_.dir.Path() + "/members.xlsx";
  orv::xl::CXlBook workbook;
  const std::vector<std::pair<std::string, std::vector<std::string>>> sheets = {
      {"Sheet1", {"가", "나"}}, {"직원목록", {"다"}}};
  for (const auto& [name, people] : sheets) {
    orv::xl::CXlSheet* sheet = workbook.AddSheet(name);
    sheet->SetString(0, 1, "이름");
    for (size_t i = 0; i < people.size(); ++i)
      sheet->SetString(static_cast<int>(i + 1), 1, people[i]);
  }
  ASSERT_TRUE(workbook.SaveXlsx(path));

  orv::win::ScriptMessageBoxes({IDOK});
  bool answered = false;
  const auto pick = orv::test::windows::AnswerFileDialog(path, &answered);
  dialog_->RunCommand(ID_CAFE_ADD_CUSTOMERS);
  EXPECT_TRUE(answered);
  const auto sent = peer.RequestsTo("/stock/cafe_member_up");
  ASSERT_EQ(sent.size(), 3u);
  std::vector<std::string> people, kinds;
  for (const auto& request : sent) {
    people.push_back(request.Part("uname") ? request.Part("uname")->content : "");
    kinds.push_back(request.Part("tp") ? request.Part("tp")->content : "");
    EXPECT_EQ(request.Part("cafe") ? request.Part("cafe")->content : "", "7");
  }
  EXPECT_EQ(people, (std::vector<std::string>{"가", "나", "다"}));
  EXPECT_EQ(kinds, (std::vector<std::string>{"1", "1", "2"}));
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, "3개의 정보가 입력되었습니다.");
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].caption, "INFORMATION");
}

TEST_F(CafeDlgTest, TheAutoBuyCommandOnlySwitchesTheWatchOff) {
  orv::win::ScriptMessageBoxes({IDOK});
  dialog_->RunCommand(ID_CAFE_AUTO_BUY);
  ASSERT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].caption, "ERROR");
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text,
            "자동매수 감시 설정된 종목이 없습니다.\n먼저 감시 종목/가격을 설정해 주세요");
  EXPECT_FALSE(view_->Engine().AutoBuyOn());

  view_->SetAutoBuy(1);
  EXPECT_EQ(dialog_->BuildCafeMenu()->FindItem(ID_CAFE_AUTO_BUY), nullptr);
  EXPECT_EQ(CafeMenuCommandState(ID_CAFE_AUTO_BUY, dialog_->MenuState()).check, 1);
  dialog_->RunCommand(ID_CAFE_AUTO_BUY);
  EXPECT_FALSE(view_->Engine().AutoBuyOn());
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().size(), 1u);
}

}  // namespace
