// The cafe's own manager on the road: the sandbox member runs the sandbox cafe, opens the cafe
// dialog, picks "사용자 추가 (관리자용)" in the cafe menu and a workbook of customers and employees
// in the file dialog; every person reaches the web server once, with the sheet's kind, and the
// result box counts them. Then the cafe data view prints its grid to the preview.
#include <gtest/gtest.h>
#include <wx/aui/framemanager.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/frame/DockingPanes.h"
#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "tests/e2e/road/FileDialogs.h"
#include "tests/e2e/road/CafeDialogs.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using namespace orv::test::grids;
using namespace orv::test::windows;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);
constexpr int kCafeMenuButton = 2105;
constexpr int kAddCustomersCommand = 10010;  // "사용자 추가 (관리자용)"
constexpr int kCafeDataViewId = 3028;

// The workbook the manager hands over, as openpyxl writes it: customers with a date cell and a
// date text, and a sheet of employees.
bool MakeMemberWorkbook(const std::string& folder, const std::string& path) {
  const std::string script = folder + "/make_members.py";
  std::ofstream(script) << "import datetime, openpyxl\n"
                           "wb = openpyxl.Workbook()\n"
                           "ws = wb.active\n"
                           "ws.title = '고객목록'\n"
                           "ws.append(['No', '이름', '전화', '등록일'])\n"
                           "ws.append([1, '홍길동', '010-1111-2222', datetime.date(2024, 3, 5)])\n"
                           "ws.append([2, '김영희', '010-3333-4444', '2023-12-01'])\n"
                           "ws2 = wb.create_sheet('직원명부')\n"
                           "ws2.append(['No', '이름', '전화', '등록일'])\n"
                           "ws2.append([1, '이직원', '010-5555-6666', None])\n"
                           "wb.save('" +
                               path + "')\n";
  return std::system(("/usr/bin/python3 '" + script + "'").c_str()) == 0;
}

std::string PartOf(const orv::test::RecordedRequest& request, const char* name) {
  const orv::test::FormPart* part = request.Part(name);
  return part ? part->content : std::string("<absent>");
}

wxWindow* CafeViewWindow(CMainFrame* frame) {
  wxWindow* pane = frame ? frame->GetPaneWindow(PANE_ID_WORKSPACE) : nullptr;
  if (!pane) return nullptr;
  for (wxWindow* child : pane->GetChildren())
    if (child->GetId() == kCafeDataViewId && child->GetName() == "CClientDataView") return child;
  return nullptr;
}

wxWindow* ShownFrameTitled(const wxString& title) {
  for (wxWindow* top : wxTopLevelWindows)
    if (top->IsShown() && top->GetLabel() == title) return top;
  return nullptr;
}

}  // namespace

TEST(CafeMemberImportRoad, TheManagerAddsPeopleFromAWorkbookAndPrintsTheCafeGrid) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };
  // The sandbox member runs the sandbox cafe.
  road.Market().Web().AddServiceField("my_cafe", "1");
  const std::string workbook = road.Root() + "/회원 목록.xlsx";
  ASSERT_TRUE(MakeMemberWorkbook(road.Root(), workbook));

  wxAuiPaneInfo& pane = road.Frame()->GetPaneManager().GetPane(std::to_string(PANE_ID_WORKSPACE));
  if (!pane.IsShown()) {
    pane.Show();
    road.Frame()->GetPaneManager().Update();
  }
  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);
  ASSERT_TRUE(wait([&] { return !road.WebRequests("stock/cafe_rec_items_list2").empty(); }));

  // The cafe dialog, opened from a held stock's menu.
  wxDialog* dialog = OpenCafeDialogFromHeldStock(road, kStepBound);
  ASSERT_NE(dialog, nullptr);

  // The cafe menu: "사용자 추가 (관리자용)", then the workbook in the file dialog; the result box
  // is answered.
  auto* menuButton = FindById<wxButton>(dialog, kCafeMenuButton);
  ASSERT_NE(menuButton, nullptr);
  orv::win::ScriptMessageBoxes({IDOK});
  bool answered = false;
  const auto pickFile = AnswerFileDialog(workbook, &answered);
  for (int attempt = 0; attempt < 3 && road.WebRequests("stock/cafe_member_up").empty();
       ++attempt) {
    wxTimer choose;
    choose.Bind(wxEVT_TIMER, [dialog](wxTimerEvent&) {
      wxCommandEvent pick(wxEVT_MENU, kAddCustomersCommand);
      dialog->ProcessWindowEvent(pick);
      wxUIActionSimulator().Char(WXK_ESCAPE);
    });
    choose.StartOnce(500);
    Press(menuButton);
    road.WaitFor([&] { return answered; }, std::chrono::seconds(5));
  }
  EXPECT_TRUE(answered) << "the file dialog never opened";
  ASSERT_TRUE(wait([&] { return !orv::win::ScriptedMessageBoxCalls().empty(); }));

  // Each person reached the web server once, with the sheet's kind and the cafe.
  const auto sent = road.WebRequests("stock/cafe_member_up");
  ASSERT_EQ(sent.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"홍길동", "010-1111-2222", "2024-03-05", "1"},
      {"김영희", "010-3333-4444", "2023-12-01", "1"},
      {"이직원", "010-5555-6666", "", "2"},
  };
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ((std::vector<std::string>{PartOf(sent[i], "uname"), PartOf(sent[i], "tel"),
                                        PartOf(sent[i], "reg_date"), PartOf(sent[i], "tp")}),
              expected[i]);
    EXPECT_EQ(PartOf(sent[i], "cafe"), "1");
    EXPECT_EQ(PartOf(sent[i], "tk"), orv::test::SandboxAccount::kUserToken);
  }
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "3개의 정보가 입력되었습니다.");
  EXPECT_EQ(boxes[0].caption, "INFORMATION");
  orv::win::StopScriptingMessageBoxes();
  // The application log names every person and the file.
  EXPECT_TRUE(wait([&] {
    const std::string logs = road.FilesEndingWith("_app_log.csv");
    return logs.find("이직원 / 010-5555-6666] --> ERR:0/ok") != std::string::npos &&
           logs.find("Finished. 회원 목록.xlsx : (3)") != std::string::npos;
  })) << "the application log lacks the import's lines";
  dialog->Close();

  // The cafe data view's grid of the cafe's stocks, previewed for printing from its menu.
  wxWindow* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = CafeViewWindow(road.Frame())) != nullptr; }));
  wxGrid* cafeGrid = TabGrid(FindById<wxNotebook>(view, IDC_CAFE_VIEW_TABS), 0, false);
  ASSERT_NE(cafeGrid, nullptr);
  ASSERT_TRUE(wait([&] { return cafeGrid->GetNumberRows() == 2; }));
  wxWindow* preview = nullptr;
  for (int attempt = 0; attempt < 3 && !preview; ++attempt) {
    const auto pick = PickRowMenuCommand(cafeGrid, 0, wxID_PREVIEW);
    road.WaitFor([&] { return (preview = ShownFrameTitled(wxString(L"Print Preview"))) != nullptr; },
                 std::chrono::seconds(5));
  }
  ASSERT_NE(preview, nullptr) << "no print preview";
  preview->SetSize(900, 700);
  preview->Raise();
  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the preview.
  orv::test::RoadScreenshot("-print-preview", 1500);
  preview->Close();
  EXPECT_TRUE(wait([&] { return ShownFrameTitled(wxString(L"Print Preview")) == nullptr; }));

  if (testing::Test::HasFailure()) road.KeepFolders();
  ASSERT_TRUE(road.CloseWithYes(std::chrono::seconds(10))) << "the main window did not close";
}
