// The client list on the road: the user logs in, opens the cafe data view's "고객관리" page and
// the sandbox member's clients download as a tree; the user edits one client and adds another
// in the record editor, saves, and the web server receives the numbered fields and stores them.
#include <gtest/gtest.h>
#include <wx/aui/framemanager.h>
#include <wx/button.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/propgrid/propgrid.h>

#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <string>

#include "host/frame/DockingPanes.h"
#include "host/frame/MainFrame.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/community/dataview/DataInputDlg.h"
#include "tests/e2e/road/CafeViewWindows.h"
#include "tests/e2e/road/RoadHost.h"
#include "tests/e2e/road/RoadWindows.h"
#include "tests/e2e/road/TradingGrids.h"

using orv::test::RoadHost;
using orv::test::windows::CafeViewWindow;
using orv::test::windows::FindById;
using orv::test::windows::Press;
using orv::test::windows::ShownDialog;

namespace {

constexpr auto kStepBound = std::chrono::seconds(30);
const wxString kEditorTitle(L"Add New Inspection Status");

// The shown row whose title cell holds `title`, or -1.
int RowTitled(wxGrid* grid, const wchar_t* title) {
  const int col = orv::test::grids::ColumnTitled(grid, L"회사명");
  if (col < 0) return -1;
  for (int r = 0; r < grid->GetNumberRows(); ++r)
    if (grid->GetCellValue(r, col).ToStdWstring().find(title) != std::wstring::npos) return r;
  return -1;
}

// A menu command of the view, posted as the context menu sends it, so that a modal dialog it
// opens runs inside the road's event pumping.
void PostCommand(wxWindow* view, int id) {
  view->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, id));
}

void Type(wxPropertyGrid* grid, const wchar_t* label, const wchar_t* text) {
  wxPGProperty* property = grid->GetPropertyByLabel(label);
  ASSERT_NE(property, nullptr) << WideToUtf8(label);
  property->SetValueFromString(wxString(text));
}

// Acts on the record editor once it shows. The editor runs its own modal loop inside the
// command, so a timer (which that loop runs) does the user's part.
class EditorDriver : public wxTimer {
 public:
  explicit EditorDriver(std::function<void(wxDialog*)> act) : act_(std::move(act)) { Start(100); }
  bool Done() const { return done_; }
  void Notify() override {
    if (done_) return;
    if (wxDialog* dialog = ShownDialog(kEditorTitle)) {
      done_ = true;
      Stop();
      act_(dialog);
      // Whatever the checks found, the dialog closes as OK does.
      if (dialog->IsModal()) dialog->EndModal(wxID_OK);
    }
  }

 private:
  std::function<void(wxDialog*)> act_;
  bool done_ = false;
};

std::string Sent(const orv::test::RecordedRequest& request, const std::string& name) {
  const orv::test::FormPart* part = request.Part(name);
  return part ? part->content : "<absent>";
}

}  // namespace

TEST(ClientListRoad, TheUserEditsAndAddsClientsAndTheServerStoresThem) {
  RoadHost road({ORV_BINARY_DIR, ORV_SOURCE_DIR});
  std::string error;
  ASSERT_TRUE(road.Start("005930 70000 000660 198000\n", &error)) << error;
  auto wait = [&](const std::function<bool()>& done) { return road.WaitFor(done, kStepBound); };

  wxWindow* view = nullptr;
  ASSERT_TRUE(wait([&] { return (view = CafeViewWindow(road.Frame())) != nullptr; }));
  orv::test::windows::ShowWorkspacePane(road.Frame());
  road.Frame()->SetSize(1400, 860);
  road.Frame()->SetPaneWidth(PANE_ID_WORKSPACE, 620);

  std::wstring loginError;
  const int login = road.LogIn(&loginError);
  if (login != 1) road.KeepFolders();
  ASSERT_EQ(login, 1) << "log-in error: " << WideToUtf8(loginError);

  // The user opens the client page: the list downloads as a tree under "*전체*".
  auto* tabs = FindById<wxNotebook>(view, IDC_CAFE_VIEW_TABS);
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->GetPageCount(), 3u);
  tabs->SetSelection(kCafeViewClientPage);
  wxGrid* grid = orv::test::grids::TabGrid(tabs, kCafeViewClientPage, false);
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(wait([&] { return grid->GetNumberRows() == 5; })) << grid->GetNumberRows();
  EXPECT_EQ(RowTitled(grid, L"*전체*"), 0);
  EXPECT_LT(RowTitled(grid, L"(주)샌드박스상사"), RowTitled(grid, L"샌드박스 대리점"));
  ASSERT_GE(RowTitled(grid, L"모래물산"), 0);
  const auto lists = road.WebRequests("agc/clients_list");
  ASSERT_FALSE(lists.empty());
  EXPECT_EQ(Sent(lists.back(), "rsp"), "xml");
  for (int id : {ID_CAFE_VIEW_KEYWORD, ID_CAFE_VIEW_ADD, ID_CAFE_VIEW_PAGE, ID_CAFE_VIEW_COUNT})
    EXPECT_TRUE(FindById<wxWindow>(view, id)->IsShown()) << id;
  orv::test::RoadScreenshot("clients");

  // The user picks 모래물산 and opens it in the record editor.
  grid->SetGridCursor(RowTitled(grid, L"모래물산"), 4);
  {
    EditorDriver driver([](wxDialog* dialog) {
      auto* form = FindById<wxPropertyGrid>(dialog, IDC_DATA_INPUT_GRID);
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->GetPropertyByLabel(L"회사명")->GetValueAsString(), wxString(L"모래물산"));
      Type(form, L"대표명", L"최대표");
      Type(form, L"핸드폰", L"010 5555 6666");
      orv::test::RoadScreenshot("editor");
      Press(FindById<wxButton>(dialog, wxID_OK));
    });
    PostCommand(view, ID_CAFE_VIEW_EDIT);
    ASSERT_TRUE(wait([&] { return driver.Done() && ShownDialog(kEditorTitle) == nullptr; }))
        << "the record editor did not open and close";
  }

  // Then adds a client through the editor.
  {
    EditorDriver driver([](wxDialog* dialog) {
      auto* form = FindById<wxPropertyGrid>(dialog, IDC_DATA_INPUT_GRID);
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->GetPropertyByLabel(L"회사명")->GetValueAsString(), wxString());
      Type(form, L"회사명", L"(주)새고객");
      Type(form, L"사업자번호", L"2223344444");
      Press(FindById<wxButton>(dialog, wxID_OK));
    });
    PostCommand(view, ID_CAFE_VIEW_ADD);
    ASSERT_TRUE(wait([&] { return driver.Done() && ShownDialog(kEditorTitle) == nullptr; }));
  }
  EXPECT_TRUE(wait([&] { return RowTitled(grid, L"(주)새고객") >= 0; }));

  // Save: yes to the question; the server receives both rows, numbered.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  PostCommand(view, wxID_SAVE);
  ASSERT_TRUE(wait([&] { return !road.WebRequests("agc/clients_up").empty(); }));
  EXPECT_TRUE(wait([&] { return orv::win::ScriptedMessageBoxCalls().size() == 2; }));
  const auto boxes = orv::win::ScriptedMessageBoxCalls();
  orv::win::StopScriptingMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Successfully saved (success: 2, failed: 0)");
  const auto upload = road.WebRequests("agc/clients_up").front();
  EXPECT_EQ(Sent(upload, "_mod_cnt"), "2");
  EXPECT_EQ(Sent(upload, "idx_1"), "12");
  EXPECT_EQ(Sent(upload, "ceo_name_1"), "최대표");
  EXPECT_EQ(Sent(upload, "mobile_1"), "01055556666");
  EXPECT_EQ(Sent(upload, "idx_2"), "0");
  EXPECT_EQ(Sent(upload, "com_name_2"), "새고객");
  EXPECT_EQ(Sent(upload, "biz_reg_num_2"), "2223344444");
  const auto stored = road.Market().Clients().Clients();
  ASSERT_EQ(stored.size(), 4u);
  EXPECT_EQ(stored[1].at("ceo_name"), "최대표");
  EXPECT_EQ(stored[3].at("title"), "(주)새고객");

  EXPECT_TRUE(road.CloseWithYes(kStepBound));
}
