// The cafe dialog in the real host against the sandbox: after the login the cafe worker
// downloads the sandbox member's cafe; the user right-clicks a held stock and asks to recommend
// it to the cafe's members. "추천종목 관리 + 분할매수" opens with its side pane (the cafe's
// recommended stocks and its members), the composer strip and the bottom tabs; the picker shows
// the cafe, the cafe-interest grid the cafe's two stocks, and the portal page the stock, served
// by the sandbox's portal.
#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/webview.h>

#include <chrono>
#include <functional>
#include <string>

#include "host/dialogs/WebPageWnd.h"
#include "host/frame/MainFrame.h"
#include "host/user/HostUserServices.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "tests/e2e/road/CafeDialogs.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);
constexpr const char* kHeldCode = "000660";

// The body grid of the report grid window of an id under `window`.
wxGrid* ReportGrid(wxWindow* window, int id) {
  wxWindow* panel = FindById<wxWindow>(window, id);
  if (!panel) return nullptr;
  if (auto* grid = dynamic_cast<wxGrid*>(panel)) return grid;
  for (wxWindow* child : panel->GetChildren())
    if (auto* grid = dynamic_cast<wxGrid*>(child)) return grid;
  return nullptr;
}

// The sandbox's market started and the user logged in; then as OpenCafeDialogFromHeldStock.
wxDialog* LogInAndOpenCafeDialog(RoadHost& road) {
  std::string error;
  if (!road.Start("005930 70000\n", &error)) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  std::wstring loginError;
  if (road.LogIn(&loginError) != 1) {
    road.KeepFolders();
    ADD_FAILURE() << "log-in error: " << WideToUtf8(loginError);
    return nullptr;
  }
  return OpenCafeDialogFromHeldStock(road);
}

}  // namespace

TEST(CafeDialogRoad, ARecommendationOpensTheCafeDialogWithTheCafesStocksAndThePortalPage) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  wxDialog* dialog = LogInAndOpenCafeDialog(road);
  ASSERT_NE(dialog, nullptr) << "the cafe dialog did not open";

  // Its notebooks and their pages.
  auto* top = FindById<wxNotebook>(dialog, 2300);
  auto* composer = FindById<wxNotebook>(dialog, 1329);
  auto* bottom = FindById<wxNotebook>(dialog, 3378);
  ASSERT_TRUE(top && composer && bottom);
  ASSERT_EQ(top->GetPageCount(), 2u);
  EXPECT_EQ(top->GetPageText(0), wxString(L"카페관심종목"));
  EXPECT_EQ(top->GetPageText(1), wxString(L"회원관리"));
  EXPECT_EQ(composer->GetPageText(0), wxString(L"종목 추천하기"));
  ASSERT_EQ(bottom->GetPageCount(), 2u);
  EXPECT_EQ(bottom->GetPageText(0), wxString(L"전문가 추천 종목"));
  EXPECT_EQ(bottom->GetPageText(1), wxString(L"인터넷 포털 정보"));

  // The picker shows the sandbox member's cafe; the cafe-interest grid its two stocks.
  auto* picker = FindById<wxComboBox>(dialog, 393);
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(wait([&] { return picker->GetValue() == wxString(L"샌드박스 카페"); }))
      << picker->GetValue().utf8_string();
  wxGrid* interest = ReportGrid(dialog, 2255);
  ASSERT_NE(interest, nullptr);
  EXPECT_TRUE(wait([&] { return interest->GetNumberRows() == 2; }))
      << interest->GetNumberRows() << " cafe-interest rows";
  ASSERT_NE(ReportGrid(dialog, 1310), nullptr) << "no member grid";
  ASSERT_NE(ReportGrid(dialog, 1330), nullptr) << "no expert grid";

  // The user opens the portal tab: the page of the recommended stock, from the sandbox's
  // portal.
  bottom->SetSelection(1);
  auto* portal = FindById<wxWebView>(dialog, 975);
  if (portal) {
    EXPECT_TRUE(wait([&] { return !road.Market().Portal().Requests().empty(); }))
        << "the portal page was never asked for";
    const auto asked = road.Market().Portal().Requests();
    if (!asked.empty()) {
      EXPECT_EQ(asked[0].Param("code"), kHeldCode);
    }
    EXPECT_TRUE(wait([&] {
      return !portal->IsBusy() && portal->GetCurrentURL().Find(kHeldCode) != wxNOT_FOUND &&
             !portal->GetCurrentTitle().empty();
    })) << portal->GetCurrentURL().utf8_string();
  } else {
    ADD_FAILURE() << "no web view on the portal page (is a web-view backend installed?)";
  }

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the dialog open.
  dialog->Raise();
  orv::test::RoadScreenshot("-cafe", 1500);

  // The close box hides the dialog; the program keeps running.
  dialog->Close();
  EXPECT_TRUE(wait([&] { return !dialog->IsShown(); }));
  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}

// The sandbox member helps manage its cafe, whose two recommendations are approved buys. The
// user right-clicks a recommended stock and picks "4. 전체 추천현황 카톡메시지 생성": the status of
// both recommendations lands on the clipboard, ready to paste into the messenger, and no SMS
// goes out; "3. 추천 문자(&SMS) 송신" sends the selected row's status by SMS once. "&6. 매수 (Buy)"
// buys the stock once and says how it went. Then the user presses the
// row's "인증" button: the result page of that recommendation opens in the host's page window.
TEST(CafeDialogRoad, TheRecommendationMenuCopiesTheStatusAndBuysAndTheCertifyButtonOpensItsPage) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  wxDialog* dialog = LogInAndOpenCafeDialog(road);
  ASSERT_NE(dialog, nullptr) << "the cafe dialog did not open";
  wxGrid* interest = ReportGrid(dialog, 2255);
  ASSERT_NE(interest, nullptr);
  ASSERT_TRUE(wait([&] { return interest->GetNumberRows() == 2; }))
      << interest->GetNumberRows() << " cafe-interest rows";
  // The rows show the download's recommendations: numbered by the server, the price asked.
  const int row = RowOfCode(interest, kHeldCode);
  ASSERT_GE(row, 0);
  const int priceCol = ColumnTitled(interest, L"추천가");
  ASSERT_GE(priceCol, 0);
  EXPECT_TRUE(wait([&] { return CellNumber(interest, row, priceCol) > 0; }));

  if (wxTheClipboard->Open()) {
    wxTheClipboard->Clear();
    wxTheClipboard->Close();
  }
  auto clipboardText = [] {
    wxString text;
    if (wxTheClipboard->Open()) {
      wxTextDataObject data;
      if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(data))
        text = data.GetText();
      wxTheClipboard->Close();
    }
    return text;
  };
  const size_t smsBefore = road.WebRequests("sms/sms_send").size();
  wxString copied;
  for (int attempt = 0; attempt < 3 && copied.empty(); ++attempt) {
    const auto pick = PickRowMenuCommand(interest, row, 3419);
    road.WaitFor([&] { return !(copied = clipboardText()).empty(); }, std::chrono::seconds(5));
  }
  ASSERT_FALSE(copied.empty()) << "nothing was put on the clipboard";
  EXPECT_TRUE(copied.StartsWith(L"추천종목 현황\n▶종목 1 : ")) << copied.utf8_string();
  EXPECT_NE(copied.Find(L"▶종목 2 : "), wxNOT_FOUND) << copied.utf8_string();
  EXPECT_NE(copied.Find(L"(000660)\n◈현재가 : "), wxNOT_FOUND) << copied.utf8_string();
  EXPECT_NE(copied.Find(L"(005930)\n◈현재가 : "), wxNOT_FOUND) << copied.utf8_string();
  EXPECT_EQ(copied.Find(L"▶종목 3"), wxNOT_FOUND);
  EXPECT_EQ(road.WebRequests("sms/sms_send").size(), smsBefore) << "the status went out by SMS";

  // "카톡 메시지 생성(공개)": the composer writes the row's buy recommendation for the messenger
  // and puts it on the clipboard; the user is told it is there.
  auto composedTold = [] {
    for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
      if (call.text.find("종목 추천 카톡 문자(종목 ◎공개)를 생성했습니다") != std::string::npos)
        return call.text;
    return std::string();
  };
  wxString messenger;
  for (int attempt = 0; attempt < 3 && composedTold().empty(); ++attempt) {
    const auto pick = PickRowMenuCommand(interest, row, 3439);
    road.WaitFor([&] { return !composedTold().empty(); }, std::chrono::seconds(5));
  }
  ASSERT_FALSE(composedTold().empty()) << "the messenger text was not made";
  EXPECT_NE(composedTold().find("/000660] "), std::string::npos) << composedTold();
  ASSERT_TRUE(wait([&] { return (messenger = clipboardText()).StartsWith(L"@@"); }))
      << messenger.utf8_string();
  EXPECT_NE(messenger.Find(L"매수 종목 추천\nhttp://"), wxNOT_FOUND) << messenger.utf8_string();
  EXPECT_NE(messenger.Find(L"(000660)"), wxNOT_FOUND) << messenger.utf8_string();

  // "3. 추천 문자(&SMS) 송신": the right click selected the stock's row; its status goes out by SMS
  // once, through the web server, and is copied too.
  for (int attempt = 0;
       attempt < 3 && road.WebRequests("sms/sms_send").size() == smsBefore; ++attempt) {
    const auto pick = PickRowMenuCommand(interest, row, 3418);
    road.WaitFor([&] { return road.WebRequests("sms/sms_send").size() > smsBefore; },
                 std::chrono::seconds(10));
  }
  const auto sent = road.WebRequests("sms/sms_send");
  ASSERT_EQ(sent.size(), smsBefore + 1) << "the status did not go out by SMS once";
  const orv::test::FormPart* msg = sent.back().Part("msg");
  const orv::test::FormPart* cafe = sent.back().Part("cafe");
  ASSERT_TRUE(msg && cafe);
  EXPECT_EQ(cafe->content, "1");
  EXPECT_EQ(msg->content.rfind("추천종목 현황\n▶종목 1 : ", 0), 0u) << msg->content;
  EXPECT_NE(msg->content.find("(000660)"), std::string::npos) << msg->content;
  EXPECT_EQ(msg->content.find("▶종목 2"), std::string::npos) << msg->content;
  EXPECT_TRUE(wait([&] { return clipboardText().utf8_string() == msg->content; }));

  // "&6. 매수 (Buy)": one buy of the stock goes to the broker from the order worker, and the user
  // is told its outcome.
  auto& broker = road.Market().Broker();
  const int ordersBefore = broker.OrdersReceived();
  auto told = [] {
    for (const orv::win::MessageBoxCall& call : orv::win::ScriptedMessageBoxCalls())
      if (call.text.find("주문 결과[") != std::string::npos) return call.text;
    return std::string();
  };
  // A loaded machine may close the menu before the pick reaches it (nothing is ordered then):
  // the user tries again.
  for (int attempt = 0;
       attempt < 3 && broker.OrdersReceived() == ordersBefore && told().empty(); ++attempt) {
    const auto pick = PickRowMenuCommand(interest, row, 623);
    road.WaitFor([&] { return broker.OrdersReceived() > ordersBefore || !told().empty(); },
                 std::chrono::seconds(10));
  }
  ASSERT_TRUE(wait([&] { return !told().empty(); })) << "no order outcome was shown";
  EXPECT_EQ(told().rfind("주문 결과[성공] ", 0), 0u) << told();
  EXPECT_NE(told().find("(000660) 1주"), std::string::npos) << told();
  orv::test::PumpEvents(2000);
  EXPECT_EQ(broker.OrdersReceived(), ordersBefore + 1);

  // The "인증" button sits at the right end of the name cell.
  const int nameCol = ColumnTitled(interest, L"종목명");
  ASSERT_GE(nameCol, 0);
  const wxString number = interest->GetCellValue(row, ColumnTitled(interest, L"No"));
  ClickCellButton(interest, row, nameCol);
  // The host's page window shows the result page of that recommendation.
  CWebPageWnd* page = nullptr;
  ASSERT_TRUE(wait([&] {
    page = road.Frame()->UserServices().GetUserJoinWnd();
    return page && page->IsShown() && page->GetTitle() == wxString(L"추천종목 결과 인증");
  })) << "the certify page did not open";
  const std::string url = page->GetWebUrl();
  EXPECT_NE(url.find("stock/cafe_rec_items_result"), std::string::npos) << url;
  EXPECT_NE(url.find("&cafe=1&rec=" + number.utf8_string()), std::string::npos) << url;

  dialog->Raise();
  orv::test::RoadScreenshot("-cafe-actions", 1500);
  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
