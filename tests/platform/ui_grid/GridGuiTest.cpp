#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/grid.h>
#include <wx/wx.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "DemoDialog.h"
#include "platform/ui/NoticePopup.h"

namespace orv::ui {
namespace {

// One wxApp for the whole program, made by hand as the plug-in's host would.
class WxEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    wxApp::SetInstance(new wxApp);
    int argc = 1;
    char name[] = "test_platform_ui_grid";
    char* argv[] = {name, nullptr};
    ASSERT_TRUE(wxEntryStart(argc, argv));
    wxTheApp->CallOnInit();
  }
  void TearDown() override { wxEntryCleanup(); }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

// Runs the event loop until `done` or a generous deadline.
bool PumpUntil(const std::function<bool()>& done, int maxMs = 5000) {
  wxGUIEventLoop loop;
  wxEventLoopActivator activate(&loop);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
  while (std::chrono::steady_clock::now() < end) {
    while (loop.Pending()) loop.Dispatch();
    wxTheApp->ProcessPendingEvents();
    loop.DispatchTimeout(10);
    wxTheApp->ProcessIdle();
    if (done()) return true;
  }
  return done();
}
void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

std::vector<int> Codes(const std::vector<ReportNotify>& notes) {
  std::vector<int> c;
  for (const auto& n : notes) c.push_back(n.code);
  return c;
}

class GridGui : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "owner", wxPoint(0, 0), wxSize(900, 600));
    frame->Show();
    dlg = std::make_unique<demo::DemoDialog>(frame);
    ASSERT_NE(dlg->gridWindow, nullptr);
    dlg->ShowDialog(frame, false);
    Pump(150);
  }
  void TearDown() override {
    dlg.reset();  // null when a test closed it
    frame->Destroy();
    Pump(50);
  }
  wxFrame* frame = nullptr;
  std::unique_ptr<demo::DemoDialog> dlg;
};

TEST_F(GridGui, ShowsEveryItemKindThroughTheVirtualTable) {
  wxGrid* g = dlg->gridWindow->GetBodyGrid();
  ASSERT_EQ(g->GetNumberRows(), 7);  // 5 rows + 2 children of the expanded first row
  ASSERT_EQ(g->GetNumberCols(), 10);
  EXPECT_EQ(g->GetColLabelValue(4), wxString(L"종목명"));
  EXPECT_EQ(g->GetCellValue(0, 4), wxString(L"삼성전자"));
  EXPECT_EQ(g->GetCellValue(0, 2), wxString(L"매수"));  // option label
  EXPECT_EQ(g->GetCellValue(3, 2), wxString(L"매도"));
  EXPECT_EQ(g->GetCellValue(1, 4), wxString(L"  └ 분할 1차"));  // child row under its parent
  EXPECT_EQ(g->GetCellValue(0, 5), wxString(L"70000"));
  EXPECT_EQ(g->GetCellValue(0, 6), wxString(L"1.5%"));
  EXPECT_EQ(g->GetCellValue(0, 7), wxString(L"2025-06-02"));
  EXPECT_EQ(g->GetCellValue(0, 8), wxString(L"09:01:00"));
  EXPECT_FALSE(g->IsColShown(9));  // "?" column
  EXPECT_EQ(g->GetNumberFrozenCols(), 2);
  EXPECT_EQ(dlg->gridWindow->GetFooterGrid()->GetNumberRows(), 1);
  EXPECT_EQ(dlg->gridWindow->GetFooterGrid()->GetCellValue(0, 5), wxString(L"351234"));
  EXPECT_TRUE(g->IsReadOnly(0, 6));  // item not editable
  EXPECT_TRUE(g->IsReadOnly(0, 3));  // checks toggle by click, not by editor
  EXPECT_FALSE(g->IsReadOnly(0, 5));

  // tree: collapse the first row through its expand button
  ASSERT_TRUE(dlg->gridWindow->ClickCell(0, 0, 4));
  EXPECT_EQ(g->GetNumberRows(), 5);
}

// Every shown column is as wide as its header and the texts of its rows need in the fonts they
// are drawn in (the footer's bold), and in-cell buttons as wide as their captions.
void ExpectColumnsFitTheirTexts(ReportGridWindow& window, CMyReportCtrl& model) {
  wxGrid* body = window.GetBodyGrid();
  wxGrid* footer = window.GetFooterGrid();
  wxClientDC dc(body->GetGridWindow());
  auto width = [&dc](const std::wstring& text, const wxFont& font) {
    dc.SetFont(font);
    return dc.GetTextExtent(wxString(text)).x;
  };
  dc.SetFont(body->GetDefaultCellFont().Bold());
  EXPECT_GE(body->GetDefaultRowSize(), dc.GetCharHeight());
  EXPECT_GE(footer->GetDefaultRowSize(), dc.GetCharHeight());
  for (int c = 0; c < model.GetColumnCount(); ++c) {
    const ReportColumn* column = model.GetColumn(c);
    if (!column->visible) continue;
    const COptionList* options = &column->editOptions.constraints;
    EXPECT_GE(body->GetColSize(c), width(column->spec.title, body->GetLabelFont())) << c;
    EXPECT_EQ(footer->GetColSize(c), body->GetColSize(c)) << c;
    for (int row = 0; row < body->GetNumberRows(); ++row) {
      CMyReportRecordItem* item = model.GetCell(row, c);
      if (!item || item->Kind() == ReportItemKind::Check) continue;
      const wxFont font = body->GetDefaultCellFont();
      for (const ReportCellButton& b : item->buttons)
        EXPECT_GE(b.width, width(b.caption, font)) << row << "," << c;
      EXPECT_GE(body->GetColSize(c), width(item->GetCaption(options), font) + CellButtonsWidth(*item))
          << row << "," << c;
    }
    for (int i = 0; i < model.GetFooterRecordCount(); ++i) {
      CMyReportRecordItem* total = model.GetFooterRecord(i)->GetItem(column->itemIndex);
      if (total && total->Kind() != ReportItemKind::Check)
        EXPECT_GE(footer->GetColSize(c),
                  width(total->GetCaption(options), body->GetDefaultCellFont().Bold()))
            << "footer " << c;
    }
  }
}

TEST_F(GridGui, ColumnsAndCellButtonsFitTheirTexts) {
  ExpectColumnsFitTheirTexts(*dlg->gridWindow, dlg->grid);
}

// Columns and a button given narrower than their texts, as the trading view's layouts give
// "코드:50" and "자동매매:40", grow to them; the footer's longer caption too.
TEST(GridFit, NarrowColumnsGrowToTheirHeadersCellsAndButtons) {
  CMyReportCtrl model;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "fit", wxPoint(0, 0), wxSize(700, 300));
  frame->Show();
  ReportGridWindow* window = GfxInitReportCtrl2(model, frame, 100, L"코드:20;자동매매:20;종목명:30");
  ASSERT_NE(window, nullptr);
  window->GetWindow()->SetSize(frame->GetClientSize());
  auto* row = new CMyReportRecordBase;
  row->AddText(L"000660");
  row->AddCheck(true);
  REPORT_CELL_ADD_BUTTON(row->AddText(L"SK하이닉스"), L"주문/정보", 1, 10);
  model.AddRecord(row);
  auto* total = model.AddFooterRecord(new CMyReportRecordBase);
  total->AddText();
  total->AddCheck(false);
  total->AddText(L"전체 주식(자동 체크 권장)");
  model.Populate();
  Pump(100);
  EXPECT_GT(window->GetBodyGrid()->GetColSize(1), 20);
  ExpectColumnsFitTheirTexts(*window, model);
  frame->Destroy();
  Pump(50);
}

// A grid made with window styles: hidden without WS_VISIBLE, framed with WS_BORDER; a bad
// layout makes nothing.
TEST(GridStyles, VisibleAndBorderStylesDecideTheGridsWindow) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "styles", wxPoint(0, 0), wxSize(400, 300));
  const struct {
    uint32_t style;
    bool shown, framed;
  } cases[] = {
      {WS_CHILD | WS_VISIBLE | WS_BORDER, true, true},
      {WS_CHILD | WS_VISIBLE, true, false},
      {WS_CHILD | WS_BORDER, false, true},
  };
  for (const auto& c : cases) {
    CMyReportCtrl model;
    ReportGridWindow* window = GfxInitReportCtrl4(model, frame, 200, c.style, L"No:30;이름:80;");
    ASSERT_NE(window, nullptr) << c.style;
    EXPECT_EQ(model.GetCtrlId(), 200);
    EXPECT_EQ(model.GetColumnCount(), 2);
    EXPECT_EQ(window->GetWindow()->IsShown(), c.shown) << c.style;
    EXPECT_EQ((window->GetWindow()->GetWindowStyleFlag() & wxBORDER_MASK) == wxBORDER_SIMPLE,
              c.framed)
        << c.style;
    window->GetWindow()->Destroy();
  }
  CMyReportCtrl bad;
  const size_t children = frame->GetChildren().GetCount();
  EXPECT_EQ(GfxInitReportCtrl4(bad, frame, 201, WS_VISIBLE, L"No:abc;"), nullptr);
  EXPECT_EQ(frame->GetChildren().GetCount(), children);
  frame->Destroy();
  Pump(50);
}

TEST_F(GridGui, CellButtonCheckAndOptionEditReachTheOwner) {
  wxGrid* g = dlg->gridWindow->GetBodyGrid();
  const int nameWidth = g->GetColSize(4);
  // the "주문/정보" button: the first of two right-aligned buttons (58 + 22 wide)
  dlg->notes.clear();
  ASSERT_TRUE(dlg->gridWindow->ClickCell(3, 4, nameWidth - 22 - 30));
  ASSERT_EQ(Codes(dlg->notes), std::vector<int>{REPORT_NM_ITEMBUTTONCLICK});
  EXPECT_EQ(dlg->notes[0].buttonId, 1);
  EXPECT_EQ(dlg->notes[0].ctrlId, demo::kGridId);
  EXPECT_EQ(dlg->notes[0].record->GetTextValue(4), L"SK하이닉스");
  // the text part of the cell is no button
  dlg->notes.clear();
  EXPECT_FALSE(dlg->gridWindow->ClickCell(3, 4, 5));
  EXPECT_TRUE(dlg->notes.empty());

  // check toggle; the grid's table answers a check cell's state as its bool value
  const bool before = dlg->grid.GetRowRecord(3)->GetCheckValue(3);
  ASSERT_TRUE(g->GetTable()->CanGetValueAs(3, 3, wxGRID_VALUE_BOOL));
  EXPECT_FALSE(g->GetTable()->CanGetValueAs(3, 4, wxGRID_VALUE_BOOL));
  EXPECT_EQ(g->GetTable()->GetValueAsBool(3, 3), before);
  ASSERT_TRUE(dlg->gridWindow->ClickCell(3, 3, g->GetColSize(3) / 2));
  EXPECT_NE(dlg->grid.GetRowRecord(3)->GetCheckValue(3), before);
  EXPECT_NE(g->GetTable()->GetValueAsBool(3, 3), before);
  EXPECT_EQ(Codes(dlg->notes),
            (std::vector<int>{REPORT_NM_REQUESTEDIT, REPORT_NM_CHECKED, REPORT_NM_VALUECHANGED}));

  // option cell through the grid's own drop-down editor
  dlg->notes.clear();
  g->SetGridCursor(4, 2);
  g->EnableCellEditControl();
  ASSERT_TRUE(g->IsCellEditControlShown());
  // GetCellEditor hands out a reference: the smart pointer gives it back.
  const wxGridCellEditorPtr editor(g->GetCellEditor(4, 2));
  auto* combo = dynamic_cast<wxComboBox*>(editor->GetControl());
  ASSERT_NE(combo, nullptr);
  combo->SetSelection(2);  // "매수+매도"
  g->DisableCellEditControl();
  EXPECT_EQ(dlg->grid.GetRowRecord(4)->GetOptionsValue(2), 3);
  EXPECT_TRUE(dlg->grid.GetRowRecord(4)->IsModified());
  ASSERT_FALSE(dlg->notes.empty());
  EXPECT_EQ(dlg->notes.back().code, REPORT_NM_VALUECHANGED);
  EXPECT_EQ(dlg->notes.back().column, 2);
  EXPECT_EQ(g->GetCellValue(4, 2), wxString(L"매수+매도"));
}

TEST_F(GridGui, ClosingTheGridReleasesItsRendererAndOptionEditor) {
  wxGrid* g = dlg->gridWindow->GetBodyGrid();
  g->SetGridCursor(4, 2);
  g->EnableCellEditControl();
  ASSERT_TRUE(g->IsCellEditControlShown());
  g->DisableCellEditControl();
  // Each of these holds a reference of its own until the end of the test.
  wxGridCellRenderer* renderer = g->GetCellRenderer(0, 4);
  wxGridCellEditor* editor = g->GetCellEditor(4, 2);
  dlg.reset();
  Pump(50);
  // Every other reference went with the grid: ours are the last.
  EXPECT_EQ(renderer->GetRefCount(), 1);
  EXPECT_EQ(editor->GetRefCount(), 1);
  renderer->DecRef();
  editor->DecRef();
}

TEST_F(GridGui, OwnerRefusalKeepsTheEditorClosed) {
  dlg->OnGridNotify(demo::kGridId, REPORT_NM_REQUESTEDIT, [](ReportNotify& nm) -> LRESULT {
    nm.cancel = nm.column == 5;
    return 1;
  });
  wxGrid* g = dlg->gridWindow->GetBodyGrid();
  g->SetGridCursor(2, 5);
  g->EnableCellEditControl();
  EXPECT_FALSE(g->IsCellEditControlShown());
  g->SetGridCursor(2, 4);
  g->EnableCellEditControl();
  EXPECT_TRUE(g->IsCellEditControlShown());
  g->DisableCellEditControl();
}

TEST_F(GridGui, RightAndDoubleClickCarryRowAndPoint) {
  dlg->notes.clear();
  wxGrid* g = dlg->gridWindow->GetBodyGrid();
  wxGridEvent right(g->GetId(), wxEVT_GRID_CELL_RIGHT_CLICK, g, 1, 4, 120, 60);
  g->ProcessWindowEvent(right);
  ASSERT_FALSE(dlg->notes.empty());
  EXPECT_EQ(dlg->notes.back().code, NM_RCLICK);
  EXPECT_EQ(dlg->notes.back().row, 1);
  EXPECT_EQ(dlg->notes.back().pt.x, 120);
  EXPECT_EQ(dlg->notes.back().pt.y, 60);
  wxGridEvent dbl(g->GetId(), wxEVT_GRID_CELL_LEFT_DCLICK, g, 2, 1, 5, 6);
  g->ProcessWindowEvent(dbl);
  EXPECT_EQ(dlg->notes.back().code, NM_DBLCLK);
  EXPECT_EQ(dlg->notes.back().row, 2);
}

TEST_F(GridGui, OnlyChangedRowsOnScreenAreRepainted) {
  CMyReportCtrl& grid = dlg->grid;
  grid.ResetContent(false);
  for (int i = 0; i < 2000; ++i)
    grid.AddRecord(new demo::DemoRecord(i, 1, false, L"종목", i, 0, false));
  grid.Populate();
  Pump(50);
  int first = 0, last = -1;
  dlg->gridWindow->GetVisibleRows(&first, &last);
  ASSERT_EQ(first, 0);
  ASSERT_GT(last, 3);
  ASSERT_LT(last, 100);
  for (int r : {0, 1, 2, 1500, 1600, 1999}) grid.GetRowRecord(r)->SetNumberValue(5, -1);
  dlg->gridWindow->RefreshChangedRows();
  EXPECT_EQ(dlg->gridWindow->GetLastRepaintCount(), 3);
  EXPECT_EQ(dlg->gridWindow->GetBodyGrid()->GetCellValue(1999, 5), wxString(L"-1"));
}

// A text cell that counts how often its caption is read (the grid reads it to fit and to draw).
class CountedText : public CMyReportRecordItemText {
 public:
  using CMyReportRecordItemText::CMyReportRecordItemText;
  std::wstring GetCaption(const COptionList* options) const override {
    ++reads;
    return CMyReportRecordItemText::GetCaption(options);
  }
  mutable int reads = 0;
};

// Changed cells are repainted, and nothing beyond them, however the grid merges them into
// larger rectangles: across hidden columns, over consecutive rows, never over an unchanged cell
// or from the frozen columns into the others. The toolkit hands the paint the bounding box of
// what was invalidated in a window; the cells inside it that did not change are not drawn.
TEST(GridRepaint, OnlyTheChangedCellsAreDrawn) {
  CMyReportCtrl model;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "cells", wxPoint(0, 0), wxSize(700, 500));
  frame->Show();
  // Items 0 and 1 frozen, item 3 hidden.
  ReportGridWindow* window =
      GfxInitReportCtrl2(model, frame, 300, L"No:40;A:50;B:50;H:?50;C:50;D:50;E:50");
  ASSERT_NE(window, nullptr);
  window->GetWindow()->SetSize(frame->GetClientSize());
  constexpr int kRows = 10, kItems = 7;
  for (int r = 0; r < kRows; ++r) {
    auto* row = new CMyReportRecordBase;
    for (int i = 0; i < kItems; ++i)
      row->AddItem(std::make_unique<CountedText>(std::to_wstring(r * 10 + i)));
    model.AddRecord(row);
  }
  model.FreezeColumns(2);
  model.Populate();
  wxGrid* body = window->GetBodyGrid();
  ASSERT_TRUE(PumpUntil([&] { return body->GetNumberFrozenCols() == 2; }));
  Pump(100);
  window->RefreshChangedRows();  // what the set-up changed (the first row's selection)
  body->GetGridWindow()->Update();
  body->GetFrozenColGridWindow()->Update();
  int first = 0, last = -1;
  window->GetVisibleRows(&first, &last);
  ASSERT_EQ(first, 0);
  ASSERT_GE(last, kRows - 1);
  auto reads = [&](int r, int i) {
    return static_cast<CountedText*>(model.GetRowRecord(r)->GetItem(i))->reads;
  };

  using Cells = std::vector<std::pair<int, int>>;  // (row, item)
  const struct {
    const char* name;
    Cells changed;
  } cases[] = {
      {"across the frozen edge", {{1, 1}, {1, 2}}},
      {"over a hidden column", {{2, 2}, {2, 4}}},
      {"with an unchanged cell between", {{3, 2}, {3, 5}}},
      {"alike in consecutive rows", {{4, 4}, {4, 5}, {5, 4}, {5, 5}, {6, 4}, {6, 5}}},
      {"unlike in consecutive rows", {{7, 4}, {8, 5}, {9, 4}, {9, 6}}},
      {"a hidden item alone", {{0, 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [r, i] : c.changed)
      model.GetRowRecord(r)->SetTextValue(i, L"x" + std::to_wstring(r * 10 + i));
    window->RefreshChangedRows();
    std::vector<int> before;
    for (int r = 0; r < kRows; ++r)
      for (int i = 0; i < kItems; ++i) before.push_back(reads(r, i));
    body->GetGridWindow()->Update();
    body->GetFrozenColGridWindow()->Update();
    Cells drawn;
    for (int r = 0; r < kRows; ++r)
      for (int i = 0; i < kItems; ++i)
        if (reads(r, i) != before[static_cast<size_t>(r * kItems + i)]) drawn.emplace_back(r, i);
    for (const auto& [r, i] : c.changed) {
      if (i == 3) continue;
      EXPECT_TRUE(std::count(drawn.begin(), drawn.end(), std::make_pair(r, i)))
          << "not drawn: " << r << "," << i;
    }
    for (const auto& [r, i] : drawn)
      EXPECT_TRUE(std::count(c.changed.begin(), c.changed.end(), std::make_pair(r, i)))
          << "drawn though unchanged: " << r << "," << i;
    const auto [lastRow, lastItem] = c.changed.back();
    EXPECT_EQ(body->GetCellValue(lastRow, lastItem),
              wxString(L"x" + std::to_wstring(lastRow * 10 + lastItem)));
  }
  frame->Destroy();
  Pump(50);
}

// A row of a long list whose items wait until the grid first draws or reads it.
class LateDemoRecord : public CMyReportRecordBase {
 public:
  explicit LateDemoRecord(int no) : no_(no) { MakeItemsLate(); }

 private:
  void MakeItems() override {
    for (int i = 0; i < kItems; ++i) AddItem(MakeLoneItem(i));
  }
  std::unique_ptr<CMyReportRecordItem> MakeLoneItem(int index) const override {
    if (index < 0 || index >= kItems) return nullptr;
    if (index == 1 || index == 5)
      return std::make_unique<CMyReportRecordItemNumber>(index == 1 ? no_ : 1000 + no_, "%.0lf");
    return std::make_unique<CMyReportRecordItemText>(index == 4 ? L"종목" : L"");
  }
  static constexpr int kItems = 10;
  int no_;
};

TEST_F(GridGui, ALongListMakesTheItemsOfTheRowsItDrawsOnly) {
  CMyReportCtrl model;
  ReportGridWindow* w = GfxInitReportCtrl2(model, frame, 3002, demo::kLayout);
  ASSERT_NE(w, nullptr);
  model.FreezeColumns(2);  // freezing asks every row for its cells' spans
  constexpr int kRows = 3000;
  for (int i = 0; i < kRows; ++i) model.AddRecord(std::make_unique<LateDemoRecord>(i));
  model.Populate();
  w->GetWindow()->SetSize(0, 0, 700, 300);
  auto made = [&] {
    int n = 0;
    for (int i = 0; i < kRows; ++i) n += model.GetRecord(i)->ItemsMade() ? 1 : 0;
    return n;
  };
  ASSERT_TRUE(PumpUntil([&] { return w->GetBodyGrid()->GetNumberFrozenCols() == 2; }));
  Pump(100);
  EXPECT_LT(made(), 100);
  EXPECT_EQ(w->GetBodyGrid()->GetCellValue(0, 5), wxString(L"1000"));

  // Scrolled to the end, the rows there are drawn and made.
  w->GetBodyGrid()->MakeCellVisible(kRows - 1, 5);
  Pump(100);
  EXPECT_TRUE(model.GetRecord(kRows - 1)->ItemsMade());
  EXPECT_LT(made(), 200);
  w->GetWindow()->Destroy();
  Pump(20);
}

TEST_F(GridGui, GridWindowAndModelMayGoInEitherOrder) {
  auto makeGrid = [this](CMyReportCtrl& model) {
    ReportGridWindow* w = GfxInitReportCtrl2(model, frame, 3001, demo::kLayout);
    for (int i = 0; i < 5; ++i)
      model.AddRecord(new demo::DemoRecord(i, 1, false, L"종목", i, 0, true));
    model.AddFooterRecord(new demo::DemoRecord(0, 0, false, L"합계", 0, 0, false));
    model.Populate();
    w->GetWindow()->SetSize(0, 0, 700, 300);
    Pump(50);
    return w;
  };

  // The window goes first while a redraw it was asked for is still pending.
  auto model = std::make_unique<CMyReportCtrl>();
  ReportGridWindow* w = makeGrid(*model);
  EXPECT_NE(model->GetView(), nullptr);
  model->GetRowRecord(1)->SetNumberValue(5, 7);
  model->RedrawControl();
  w->GetWindow()->Destroy();
  EXPECT_EQ(model->GetView(), nullptr);
  model->GetRowRecord(2)->SetNumberValue(5, 8);
  model->RedrawControl();
  model->ResetContent();
  Pump(50);
  model.reset();

  // The model goes first: the window stays usable and empty until it is destroyed.
  model = std::make_unique<CMyReportCtrl>();
  w = makeGrid(*model);
  EXPECT_EQ(w->GetBodyGrid()->GetNumberRows(), 5);
  model->RedrawControl();
  model.reset();
  EXPECT_EQ(w->GetBodyGrid()->GetNumberRows(), 0);
  EXPECT_EQ(w->GetFooterGrid()->GetNumberRows(), 0);
  w->RefreshChangedRows();
  EXPECT_EQ(w->GetLastRepaintCount(), 0);
  EXPECT_FALSE(w->ClickCell(0, 3, 10));
  w->GetWindow()->Refresh();
  Pump(50);
  w->GetWindow()->Destroy();
  Pump(20);
}

TEST_F(GridGui, ControlsAreReachedById) {
  EXPECT_EQ(dlg->GetDlgItemText(demo::kNameEdit), L"삼성전자");
  EXPECT_TRUE(dlg->SetDlgItemText(demo::kNameEdit, L"카카오"));
  EXPECT_EQ(dlg->GetDlgItemText(demo::kNameEdit), L"카카오");
  EXPECT_FALSE(dlg->SetDlgItemText(9999, L"x"));
  EXPECT_EQ(dlg->GetDlgItemText(9999), L"");

  EXPECT_TRUE(dlg->CheckDlgButton(demo::kAutoCheck, true));
  EXPECT_TRUE(dlg->IsDlgButtonChecked(demo::kAutoCheck));
  EXPECT_TRUE(dlg->EnableDlgItem(demo::kApplyButton, false));
  EXPECT_FALSE(dlg->IsDlgItemEnabled(demo::kApplyButton));
  EXPECT_TRUE(dlg->ShowDlgItem(demo::kAutoCheck, false));
  EXPECT_FALSE(dlg->IsDlgItemShown(demo::kAutoCheck));

  int64_t v = 0;
  ASSERT_TRUE(dlg->GetComboValue(demo::kSideCombo, &v));
  EXPECT_EQ(v, 2);
  EXPECT_EQ(dlg->GetDlgItemText(demo::kSideCombo), L"매도");
  EXPECT_TRUE(dlg->SelectComboByValue(demo::kSideCombo, 3));
  ASSERT_TRUE(dlg->GetComboValue(demo::kSideCombo, &v));
  EXPECT_EQ(v, 3);
  EXPECT_FALSE(dlg->SelectComboByValue(demo::kSideCombo, 7));
  EXPECT_EQ(dlg->FillComboFromOptions(demo::kSideCombo, std::wstring_view(L"10:가;20:나"), 5), 2);
  EXPECT_FALSE(dlg->GetComboValue(demo::kSideCombo, &v));  // 5 is not listed: no selection
  EXPECT_EQ(dlg->FillComboFromOptions(demo::kSideCombo, std::wstring_view(L"broken"), 5), -1);
  EXPECT_EQ(dlg->FillComboFromOptions(demo::kNameEdit, COptionList(), 0), -1);
  EXPECT_FALSE(dlg->AddControl(demo::kNameEdit, CtrlKind::Edit, L"", RECT{}));  // id taken

  wxCommandEvent click(wxEVT_BUTTON, demo::kApplyButton);
  click.SetEventObject(dlg->GetDlgItem(demo::kApplyButton));
  dlg->GetDlgItem(demo::kApplyButton)->ProcessWindowEvent(click);
  EXPECT_EQ(dlg->applied, 1);

  dlg->SetDialogFont(L"NanumGothic", 12, true);
  EXPECT_EQ(dlg->GetDlgItem(demo::kNameEdit)->GetFont().GetPointSize(), 12);
  EXPECT_EQ(dlg->gridWindow->GetBodyGrid()->GetDefaultCellFont().GetPointSize(), 12);
}

TEST_F(GridGui, PseudoModalShowDisablesTheOwnerUntilHidden) {
  dlg->HideDialog();
  EXPECT_FALSE(dlg->GetWindow()->IsShown());
  bool ownerDisabledWhileShown = false;
  wxTheApp->CallAfter([&] {
    ownerDisabledWhileShown = !frame->IsEnabled() && dlg->GetWindow()->IsShown();
    dlg->HideDialog();
  });
  int result = dlg->ShowDialog(frame, true);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(ownerDisabledWhileShown);
  EXPECT_TRUE(frame->IsEnabled());
  EXPECT_FALSE(dlg->IsDialogShown());
  // closing only hides
  EXPECT_EQ(dlg->ShowDialog(frame, false), 0);
  dlg->GetWindow()->Close();
  EXPECT_FALSE(dlg->GetWindow()->IsShown());
  EXPECT_FALSE(dlg->IsDialogShown());
}

TEST_F(GridGui, NoticePopupTimesOutAndZeroKeepsIt) {
  CNoticePopup popup;
  popup.Show(frame, L"종목 마스터 코드 조회 완료했습니다\n", L"마스터 코드 조회 완료", 100);
  EXPECT_TRUE(popup.IsShown());
  EXPECT_EQ(popup.GetCaption(), L"마스터 코드 조회 완료");
  EXPECT_TRUE(PumpUntil([&] { return !popup.IsShown(); }));

  popup.Show(frame, L"잠시만 기다려 주세요", L"마스터 코드 표시중", 0);
  Pump(300);
  EXPECT_TRUE(popup.IsShown());
  popup.Show(frame, L"다음", L"교체", 0);  // replaced, not stacked
  EXPECT_EQ(popup.GetText(), L"다음");
  popup.Hide();
  EXPECT_FALSE(popup.IsShown());

  CWaitingWnd waiting;
  waiting.Show(frame, L"데이터를 조회중입니다.", L"잠시만 기다려 주세요");
  EXPECT_TRUE(waiting.IsShown());
  EXPECT_EQ(waiting.GetText(), L"데이터를 조회중입니다.");
  waiting.Hide();
  EXPECT_FALSE(waiting.IsShown());
}

// Keeps the demo on screen for a screenshot when ORV_DEMO_HOLD_MS is set.
TEST_F(GridGui, DemoStaysUpForAScreenshot) {
  const char* hold = std::getenv("ORV_DEMO_HOLD_MS");
  if (!hold) GTEST_SKIP() << "set ORV_DEMO_HOLD_MS to keep the demo on screen";
  dlg->GetWindow()->Move(20, 20);
  dlg->grid.SelectRow(2);
  Pump(std::atoi(hold));
}

}  // namespace
}  // namespace orv::ui
