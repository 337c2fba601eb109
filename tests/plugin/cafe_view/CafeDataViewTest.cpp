// The cafe data view as the trading view makes it (with the maker the plug-in's start-up
// installs): its pages and toolbar, the cafe worker's results in its picker and rows, a picked
// cafe asked of the worker, the host's commands through the trading view, and a hidden column
// kept in the width text when the view goes.

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <type_traits>  // wx/weakref.h uses it without including it

#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/community/dataview/CafeDataViewMaker.h"
#include "plugin/rows/CafeStockRecord.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/HostCommands.h"
#include "shared/StockRecords.h"
#include "tests/plugin/cafe_view/CafeViewFixture.h"
#include "tests/plugin/view/ViewStage.h"

namespace orv::test {
namespace {

CafeRecordPtr Cafe(int32_t index, const wchar_t* title) {
  auto cafe = std::make_shared<CafeRecord_s>();
  cafe->cafeIndex = index;
  cafe->title = title;
  return cafe;
}

// What the cafe worker hands over after a pass: two cafes, cafe 7 current, its stocks.
CafeSnapshotPtr Snapshot(int32_t itemsCafe, std::vector<std::pair<const wchar_t*, uint8_t>> stocks) {
  auto data = std::make_shared<CafeSnapshot_s>();
  data->cafes = std::make_shared<const CafeMap>(
      CafeMap{{3, Cafe(3, L"카페 3")}, {7, Cafe(7, L"샌드박스 카페")}});
  data->currentCafeIndex = 7;
  data->recItemsCafe = itemsCafe;
  for (const auto& [code, approved] : stocks) {
    CafeRecStock_s stock;
    stock.market = 1;
    stock.marketLetter = '1';
    stock.code = code;
    stock.name = std::wstring(L"종목") + code;
    stock.approved = approved;
    data->recStocks.push_back(stock);
  }
  return data;
}

std::vector<std::wstring> Rows(orv::ui::CMyReportCtrl& grid) {
  std::vector<std::wstring> out;
  for (int i = 0; i < grid.GetRecordCount(); ++i)
    out.push_back(grid.GetRecord(i)->GetItemCaption(CCafeStockRecord::kColCode) + L" " +
                  grid.GetRecord(i)->GetItemCaption(CCafeStockRecord::kColName));
  return out;
}

class CafeDataViewTest : public CafeViewFixture {};

TEST_F(CafeDataViewTest, TheTradingViewMakesItWithItsPagesAndToolbar) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  EXPECT_EQ(cafe->GetName(), "CClientDataView");
  EXPECT_EQ(cafe->GetId(), 3028);
  // Without a container of the host's it sits in the trading view's left pane.
  EXPECT_EQ(cafe->GetParent(), view_);
  wxNotebook* tabs = cafe->Tabs();
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->GetPageCount(), 3u);
  EXPECT_EQ(tabs->GetPageText(0), wxString(L"카페관심종목"));
  EXPECT_EQ(tabs->GetPageText(1), wxString(L"회원관리"));
  EXPECT_EQ(tabs->GetPageText(2), wxString(L"고객관리"));
  EXPECT_EQ(cafe->GetReportCtrl().GetColumnCount(), kCafeStockColumns);
  EXPECT_EQ(cafe->MemberGrid().GetColumnCount(), kCafeMemberColumns);
  // What the toolbar shows: the cafe picker, refresh, delete and the group picker.
  for (int id : {ID_CAFE_VIEW_PICKER, ID_CAFE_VIEW_REFRESH, ID_CAFE_VIEW_DELETE, ID_CAFE_VIEW_GROUP}) {
    ASSERT_NE(cafe->ToolbarControl(id), nullptr) << id;
    EXPECT_TRUE(cafe->ToolbarControl(id)->IsShown()) << id;
  }
  for (int id : {ID_CAFE_VIEW_KEYWORD, ID_CAFE_VIEW_SAVE, ID_CAFE_VIEW_COUNT,
                 ID_CAFE_VIEW_CUSTOMER_KIND, ID_CAFE_VIEW_START_DATE, ID_CAFE_VIEW_PAGE}) {
    ASSERT_NE(cafe->ToolbarControl(id), nullptr) << id;
    EXPECT_FALSE(cafe->ToolbarControl(id)->IsShown()) << id;
  }
  // A second initial update leaves it as it is.
  cafe->OnInitialUpdate();
  EXPECT_EQ(cafe->Tabs(), tabs);
  EXPECT_EQ(tabs->GetPageCount(), 3u);
}

TEST_F(CafeDataViewTest, TheWorkersResultsFillThePickerAndRowsAndAPickAsksForThatCafe) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  orv::ui::CMyReportCtrl& grid = cafe->GetReportCtrl();
  cafe->FillCafeGroups(Snapshot(7, {}));
  ASSERT_EQ(cafe->CafePicker()->GetCount(), 2u);
  EXPECT_EQ(cafe->CafePicker()->GetStringSelection(), wxString(L"샌드박스 카페"));
  EXPECT_EQ(cafe->SelectedCafe(), 7);
  ASSERT_NE(cafe->SelectedCafeRecord(), nullptr);
  EXPECT_EQ(cafe->SelectedCafeRecord()->title, L"샌드박스 카페");

  for (int pass = 0; pass < 2; ++pass)
    cafe->FillCafeRows(Snapshot(7, {{L"005930", 1}, {L"000660", 0}}));
  EXPECT_EQ(Rows(grid), (std::vector<std::wstring>{L"000660 ***", L"005930 종목005930"}));
  // The rows point at the view's own stocks through the view's row slot.
  auto* row = static_cast<CCafeStockRecord*>(grid.GetRecord(1));
  ASSERT_NE(row->GetStock(), nullptr);
  EXPECT_EQ(row->GetStock()->row_refs[kRowSlotCafeData], row);
  EXPECT_EQ(row->GetStock()->row_refs[kRowSlotCafeInterest], nullptr);
  // Another cafe's stocks replace them.
  cafe->FillCafeRows(Snapshot(3, {{L"035420", 1}}));
  EXPECT_EQ(Rows(grid), (std::vector<std::wstring>{L"035420 종목035420"}));

  // The user picks cafe 3: the rows go and the worker is asked for its members and items.
  CCafeService& service = view_->Engine().Cafe();
  cafe->CafePicker()->SetSelection(0);
  cafe->OnCafePicked();
  EXPECT_EQ(grid.GetRecordCount(), 0);
  EXPECT_EQ(cafe->SelectedCafe(), 3);
  EXPECT_EQ(service.RequestMask() & (kCafeMaskMembers | kCafeMaskRecItems),
            kCafeMaskMembers | kCafeMaskRecItems);
  // Nothing selected: cafe 0.
  cafe->CafePicker()->SetSelection(wxNOT_FOUND);
  cafe->OnCafePicked();
  EXPECT_EQ(cafe->SelectedCafe(), 0);
  EXPECT_EQ(cafe->SelectedCafeRecord(), nullptr);
}

TEST_F(CafeDataViewTest, HostCommandsReachItThroughTheTradingView) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  orv::ui::CMyReportCtrl& grid = cafe->GetReportCtrl();
  cafe->FillCafeRows(Snapshot(7, {{L"005930", 1}}));
  ASSERT_EQ(grid.GetRecordCount(), 1);
  auto send = [this](UINT code) {
    return view_->OnReceivedMsgFromManager(MODULE_MSG_KIND_HOST, code, 0, 0, nullptr);
  };

  stage_.login.nUserIdx = 5;
  EXPECT_EQ(send(HOST_CMD_LOGGED_OUT), 0);  // ignored while logged in
  EXPECT_EQ(grid.GetRecordCount(), 1);
  // No client was changed: the save sends nothing and answers 0.
  EXPECT_EQ(send(HOST_CMD_SAVE), 0);
  EXPECT_EQ(send(HOST_CMD_UPLOAD), 0);

  stage_.login.nUserIdx = 0;
  EXPECT_EQ(send(HOST_CMD_LOGGED_OUT), 0);
  EXPECT_EQ(grid.GetRecordCount(), 0);
  EXPECT_FALSE(cafe->IsEnabled());
  send(HOST_CMD_LOGIN_STATE);
  EXPECT_FALSE(cafe->IsEnabled());
  stage_.login.nUserIdx = 5;
  send(HOST_CMD_LOGIN_STATE);
  EXPECT_TRUE(cafe->IsEnabled());

  // The host's language message reaches the view through the trading view.
  GfxSendMessageToWnd(view_, WM_MODULE_LANGUAGE, MODULE_LANGUAGE_WPARAM, 2);
  EXPECT_EQ(cafe->LanguageId(), 2);
}

TEST_F(CafeDataViewTest, AHiddenColumnIsKeptInTheWidthTextWhenTheViewGoes) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  stage_.login.nUserIdx = 5;
  orv::ui::CMyReportCtrl& grid = cafe->GetReportCtrl();
  // Columns 1 to 32 as the layout starts them: "?" before the hidden ones, column 0 left out.
  const std::wstring initial = cafe->CafeGridWidthText();
  EXPECT_EQ(initial.rfind(L"25;?30;?50;30;?30;?50;130;?30;?20;50;", 0), 0u) << initial;
  const std::wstring tail = L";35;?0;?40;30;45;45;40;?60";
  EXPECT_EQ(initial.compare(initial.size() - tail.size(), tail.size(), tail), 0) << initial;

  // The user right-clicks the header of 종목명 (column 7) and picks "Hide Column".
  wxTimer pick;
  pick.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxCommandEvent choose(wxEVT_MENU, ID_CAFE_VIEW_HIDE_COLUMN);
    cafe->ProcessWindowEvent(choose);
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  pick.StartOnce(300);
  grid.OnHeaderRightClick(CCafeStockRecord::kColName, POINT{10, 10});
  EXPECT_TRUE(cafe->LayoutChanged());
  EXPECT_FALSE(grid.GetColumn(CCafeStockRecord::kColName)->visible);
  std::wstring hidden = initial;
  hidden.replace(hidden.find(L";130;"), 5, L";?130;");
  EXPECT_EQ(cafe->CafeGridWidthText(), hidden);

  // "Show All Hiden Columns" shows every hidden column with a width; 추천인 (width 0) stays.
  EXPECT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_SHOW_COLUMNS));
  const std::wstring shown = cafe->CafeGridWidthText();
  EXPECT_EQ(shown.rfind(L"25;30;50;30;30;50;130;30;20;50;", 0), 0u) << shown;
  EXPECT_NE(shown.find(L";?0;"), std::wstring::npos) << shown;
  EXPECT_EQ(shown.find(L"?", 0), shown.find(L"?0;")) << shown;

  // Hidden again, then the trading view goes: the text is kept for the user, twice.
  EXPECT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_HIDE_COLUMN));
  const std::wstring last = cafe->CafeGridWidthText();
  view_->Destroy();
  view_ = nullptr;
  for (int index : {1, 2})
    EXPECT_EQ(REG_READ_CSTRING_VALUE_UIDX("Settings",
                                          "ColumnWidths-inspection.status-" + std::to_string(index),
                                          4, 5),
              WideToUtf8(last))
        << index;
}

TEST_F(CafeDataViewTest, TheGridPrintsToThePreviewCopiesToTheClipboardAndTheToolsWork) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  cafe->FillCafeGroups(Snapshot(7, {}));
  cafe->FillCafeRows(Snapshot(7, {{L"005930", 1}, {L"000660", 1}}));

  // The preview of the cafe grid in a frame of its own; a second one replaces the first, and
  // the view closes it when it goes.
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_PREVIEW));
  wxWeakRef<wxWindow> first = cafe->PreviewFrame();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetLabel(), wxString(L"Print Preview"));
  EXPECT_TRUE(first->IsShown());
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_PREVIEW_TARGET));
  EXPECT_FALSE(first);
  wxWeakRef<wxWindow> second = cafe->PreviewFrame();
  ASSERT_TRUE(second);
  // The user closes it.
  second->Close();
  PumpUntil([&] { return !second; }, 2000);
  EXPECT_EQ(cafe->PreviewFrame(), nullptr);

  // The grid's table goes to the clipboard as text.
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_COPY_ALL));
  wxTextDataObject text;
  ASSERT_TRUE(wxTheClipboard->Open());
  const bool read = wxTheClipboard->GetData(text);
  wxTheClipboard->Close();
  ASSERT_TRUE(read);
  const std::wstring copied = text.GetText().ToStdWstring();
  EXPECT_EQ(copied.find(L"No\t"), 0u) << WideToUtf8(copied);
  EXPECT_NE(copied.find(L"종목005930"), std::wstring::npos) << WideToUtf8(copied);
  EXPECT_NE(copied.find(L"종목000660"), std::wstring::npos) << WideToUtf8(copied);

  // The toolbar's timer switch and dictionary button.
  for (int id : {ID_CAFE_VIEW_TIMER, ID_CAFE_VIEW_DICTIONARY}) {
    ASSERT_NE(cafe->ToolbarControl(id), nullptr) << id;
    EXPECT_TRUE(cafe->ToolbarControl(id)->IsShown()) << id;
  }
  EXPECT_FALSE(cafe->TimerRunning());
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_TIMER));
  EXPECT_TRUE(cafe->TimerRunning());
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_TIMER));
  EXPECT_FALSE(cafe->TimerRunning());

  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_PREVIEW));
  wxWeakRef<wxWindow> open = cafe->PreviewFrame();
  ASSERT_TRUE(open);
  view_->Destroy();
  view_ = nullptr;
  EXPECT_FALSE(open) << "a preview outlived the grid it draws";
}

}  // namespace
}  // namespace orv::test
