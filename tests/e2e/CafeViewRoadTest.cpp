// The cafe data view on the road: the trading view puts it into the host's workspace pane, the
// user logs in, the cafe worker's downloads fill its cafe picker with the sandbox's cafe and its
// grid with the cafe's recommended stocks; the refresh asks the web server for them again, and
// a log-out empties the grid.
#include <gtest/gtest.h>
#include <wx/aui/framemanager.h>
#include <wx/choice.h>
#include <wx/grid.h>
#include <wx/notebook.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "host/frame/DockingPanes.h"
#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "tests/e2e/road/CafeViewWindows.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using orv::test::windows::CafeViewWindow;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);

wxGrid* CafeGrid(wxWindow* view) {
  return orv::test::grids::TabGrid(
      orv::test::windows::FindById<wxNotebook>(view, IDC_CAFE_VIEW_TABS), 0, false);
}

int CountRows(wxGrid* grid) { return grid ? grid->GetNumberRows() : -1; }

}  // namespace

TEST(CafeViewRoad, TheCafeViewShowsTheSandboxCafesRecommendedStocks) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };

  wxWindow* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = CafeViewWindow(road.Frame())) != nullptr; }))
      << "no cafe data view in the workspace pane";
  // The workspace pane is shown with the view filling it.
  orv::test::windows::ShowWorkspacePane(road.Frame());

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  auto* picker = orv::test::windows::FindById<wxChoice>(view, ID_CAFE_VIEW_PICKER);
  ASSERT_NE(picker, nullptr);
  EXPECT_TRUE(wait([&] { return picker->GetStringSelection() == wxString(L"샌드박스 카페"); }))
      << "picker: " << picker->GetStringSelection();
  wxGrid* grid = CafeGrid(view);
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(wait([&] { return CountRows(grid) == 2; })) << CountRows(grid) << " rows";
  EXPECT_TRUE(view->IsEnabled());
  EXPECT_GT(view->GetSize().x, 100);
  EXPECT_GT(grid->GetScreenRect().height, 40);
  // Even in the narrow pane the toolbar's controls stand whole inside the view, above the tabs.
  const wxRect viewRect = view->GetScreenRect();
  const wxRect tabsRect =
      orv::test::windows::FindById<wxNotebook>(view, IDC_CAFE_VIEW_TABS)->GetScreenRect();
  for (int id : {ID_CAFE_VIEW_PICKER, ID_CAFE_VIEW_REFRESH, ID_CAFE_VIEW_DELETE, ID_CAFE_VIEW_GROUP}) {
    wxWindow* control = orv::test::windows::FindById<wxWindow>(view, id);
    ASSERT_NE(control, nullptr) << id;
    EXPECT_TRUE(control->IsShown()) << id;
    const wxRect r = control->GetScreenRect();
    EXPECT_TRUE(viewRect.Contains(r)) << id << " at " << r.x << "," << r.y << " " << r.width;
    EXPECT_LE(r.GetBottom(), tabsRect.GetTop()) << id;
  }

  // The refresh asks the web server for the cafe's items again.
  const size_t itemRequests = road.WebRequests("stock/cafe_rec_items_list2").size();
  wxCommandEvent refresh(wxEVT_BUTTON, ID_CAFE_VIEW_REFRESH);
  refresh.SetEventObject(view);
  view->ProcessWindowEvent(refresh);
  EXPECT_TRUE(wait([&] {
    return road.WebRequests("stock/cafe_rec_items_list2").size() > itemRequests;
  }));
  const auto members = road.WebRequests("stock/cafe_member_list");
  ASSERT_FALSE(members.empty());
  EXPECT_EQ(members.back().Param("cafe"), "1");

  // ORV_ROAD_SCREENSHOT=FILE.png keeps a picture of the screen with the view in its pane.
  if (const char* shot = std::getenv("ORV_ROAD_SCREENSHOT")) {
    road.Frame()->SetSize(1400, 860);
    road.Frame()->SetPaneWidth(PANE_ID_WORKSPACE, 520);
    orv::test::PumpEvents(1200);
    const std::string command = std::string("import -window root '") + shot + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The user logs out: the host tells the modules, and the view empties its grid.
  orv::win::ScriptMessageBoxes({IDYES});
  EXPECT_EQ(road.Frame()->Logout(), 1);
  orv::win::StopScriptingMessageBoxes();
  EXPECT_TRUE(wait([&] { return CountRows(grid) == 0; })) << CountRows(grid) << " rows";
  EXPECT_FALSE(view->IsEnabled());

  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
