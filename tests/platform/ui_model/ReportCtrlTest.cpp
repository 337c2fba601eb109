#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui {
namespace {

// A row with one item of every kind: 0 text, 1 number, 2 check, 3 options, 4 date, 5 name with
// two cell buttons.
class DemoRecord : public CMyReportRecordBase {
 public:
  DemoRecord(const std::wstring& code, double price, bool watched, int side) {
    AddText(code);
    AddNumber(price, "%.0lf");
    AddCheck(watched);
    AddOptions(side);
    SYSTEMTIME d{};
    d.wYear = 2025;
    d.wMonth = 1;
    d.wDay = 2;
    AddDate(d);
    auto* name = AddText(L"이름" + code);
    REPORT_CELL_ADD_BUTTON(name, L"주문/정보", 1, 58);
    REPORT_CELL_ADD_BUTTON(name, L"...", 0, 22, 2, 0);  // disabled
  }
};

struct Recorder {
  std::vector<ReportNotify> seen;
  bool refuseEdits = false;
  ReportNotifyHandler Handler() {
    return [this](ReportNotify& nm) -> LRESULT {
      if (nm.code == REPORT_NM_REQUESTEDIT && refuseEdits) nm.cancel = TRUE;
      seen.push_back(nm);
      return 1;
    };
  }
  std::vector<int> Codes() const {
    std::vector<int> c;
    for (auto& n : seen) c.push_back(n.code);
    return c;
  }
};

class CountingView : public IReportView {
 public:
  int columns = 0, rows = 0, redraws = 0;
  void OnColumnsChanged() override { ++columns; }
  void OnRowsChanged() override { ++rows; }
  void OnRedrawRequested() override { ++redraws; }
  void OnModelDetached() override {}
};

class ReportCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(grid.InitColumns(
                  std::wstring_view(L"코드:60;현재가:>60;감시:30;구분:c40;날짜:d60;종목명:150")),
              6);
    ASSERT_TRUE(
        grid.GetColumnEditOptions(3)->constraints.Parse(std::wstring_view(L"1:매수;2:매도")));
    grid.SetCtrlId(2212);
    grid.SetNotifyHandler(rec.Handler());
    grid.SetView(&view);
    grid.AddRecord(new DemoRecord(L"005930", 70000, false, 1));
    grid.AddRecord(new DemoRecord(L"000660", 120000, true, 2));
    grid.AddRecord(new DemoRecord(L"035420", 95000, false, 1));
    grid.Populate();
  }
  // The view and the recorder outlive the grid, which tells its view when it goes away.
  Recorder rec;
  CountingView view;
  CMyReportCtrl grid;
};

TEST_F(ReportCtrlTest, ValuesByItemIndexAndKindChecks) {
  CMyReportRecordBase* r = grid.GetRowRecord(1);
  EXPECT_EQ(r->GetTextValue(0), L"000660");
  EXPECT_EQ(r->GetNumberValue(1), 120000);
  EXPECT_TRUE(r->GetCheckValue(2));
  EXPECT_EQ(r->GetOptionsValue(3), 2);
  EXPECT_EQ(r->GetItemCaption(3), L"매도");  // through the column's list
  EXPECT_EQ(r->GetItemCaption(1), L"120000");
  EXPECT_EQ(r->GetItemCaption(4), L"2025-01-02");
  // wrong kinds and missing items change nothing
  EXPECT_FALSE(r->SetNumberValue(0, 1));
  EXPECT_FALSE(r->SetTextValue(1, L"x"));
  EXPECT_FALSE(r->SetCheckValue(99, true));
  EXPECT_EQ(r->GetNumberValue(99), 0);
  EXPECT_EQ(r->GetTextValue(0), L"000660");
}

TEST_F(ReportCtrlTest, UserEditsNotifyTheOwnerWithTheirCodes) {
  // option cell: by label
  EXPECT_TRUE(grid.OnCommitEdit(0, 3, L"매도"));
  EXPECT_EQ(grid.GetRowRecord(0)->GetOptionsValue(3), 2);
  EXPECT_TRUE(grid.GetRowRecord(0)->IsModified());
  ASSERT_EQ(rec.Codes(), std::vector<int>{REPORT_NM_VALUECHANGED});
  EXPECT_EQ(rec.seen[0].ctrlId, 2212);
  EXPECT_EQ(rec.seen[0].row, 0);
  EXPECT_EQ(rec.seen[0].column, 3);
  EXPECT_EQ(rec.seen[0].record, grid.GetRowRecord(0));
  rec.seen.clear();

  // check toggle: edit request, then checked, then value changed
  EXPECT_TRUE(grid.OnToggleCheck(0, 2));
  EXPECT_TRUE(grid.GetRowRecord(0)->GetCheckValue(2));
  EXPECT_EQ(rec.Codes(),
            (std::vector<int>{REPORT_NM_REQUESTEDIT, REPORT_NM_CHECKED, REPORT_NM_VALUECHANGED}));
  rec.seen.clear();

  // in-cell button reports its id; a disabled one reports nothing
  EXPECT_TRUE(grid.OnCellButton(2, 5, 0));
  ASSERT_EQ(rec.Codes(), std::vector<int>{REPORT_NM_ITEMBUTTONCLICK});
  EXPECT_EQ(rec.seen[0].buttonId, 1);
  EXPECT_EQ(rec.seen[0].record->GetTextValue(0), L"035420");
  EXPECT_FALSE(grid.OnCellButton(2, 5, 1));
  EXPECT_FALSE(grid.OnCellButton(2, 0, 0));
  rec.seen.clear();

  grid.OnRightClick(1, 4, POINT{30, 40});
  ASSERT_EQ(rec.Codes(), (std::vector<int>{REPORT_NM_SELCHANGED, NM_RCLICK}));
  EXPECT_EQ(rec.seen[1].pt.x, 30);
  EXPECT_EQ(rec.seen[1].pt.y, 40);
  EXPECT_EQ(grid.GetSelectedRecords(), std::vector<CMyReportRecordBase*>{grid.GetRowRecord(1)});
  rec.seen.clear();
  grid.OnDoubleClick(1, 0, POINT{1, 2});
  EXPECT_EQ(rec.Codes(), std::vector<int>{NM_DBLCLK});
}

TEST_F(ReportCtrlTest, RefusedOrInvalidEditsChangeNothing) {
  rec.refuseEdits = true;
  EXPECT_FALSE(grid.OnRequestEdit(0, 1));
  EXPECT_FALSE(grid.OnToggleCheck(0, 2));
  EXPECT_FALSE(grid.GetRowRecord(0)->GetCheckValue(2));
  rec.refuseEdits = false;
  rec.seen.clear();

  grid.GetRowRecord(0)->SetItemEditable(1, false);
  EXPECT_FALSE(grid.OnRequestEdit(0, 1));
  EXPECT_TRUE(rec.seen.empty());  // read-only: the owner is not even asked

  EXPECT_FALSE(grid.OnCommitEdit(1, 1, L"12a"));
  EXPECT_FALSE(grid.OnCommitEdit(1, 3, L"보유"));  // not in the list, no free editing
  EXPECT_FALSE(grid.OnCommitEdit(1, 4, L"2025-02-30x"));
  EXPECT_EQ(grid.GetRowRecord(1)->GetNumberValue(1), 120000);
  EXPECT_EQ(grid.GetRowRecord(1)->GetOptionsValue(3), 2);
  EXPECT_FALSE(grid.GetRowRecord(1)->IsModified());
  EXPECT_TRUE(rec.seen.empty());

  // numbers as typed, with separators and the format's own text
  EXPECT_TRUE(grid.OnCommitEdit(1, 1, L" 1,250 "));
  EXPECT_EQ(grid.GetRowRecord(1)->GetNumberValue(1), 1250);
  grid.GetColumnEditOptions(3)->allowEdit = true;
  EXPECT_TRUE(grid.OnCommitEdit(1, 3, L"7"));
  EXPECT_EQ(grid.GetRowRecord(1)->GetOptionsValue(3), 7);
  EXPECT_TRUE(grid.OnCommitOption(1, 3, 0));
  EXPECT_EQ(grid.GetRowRecord(1)->GetOptionsValue(3), 1);
  EXPECT_FALSE(grid.OnCommitOption(1, 3, 2));
}

TEST_F(ReportCtrlTest, SortingFilteringAndFooterRows) {
  grid.OnHeaderClick(1);  // price ascending
  EXPECT_EQ(grid.GetRowRecord(0)->GetTextValue(0), L"005930");
  EXPECT_EQ(grid.GetRowRecord(2)->GetTextValue(0), L"000660");
  EXPECT_EQ(rec.Codes().back(), REPORT_NM_SORTCHANGED);
  grid.OnHeaderClick(1);  // descending
  EXPECT_EQ(grid.GetRowRecord(0)->GetTextValue(0), L"000660");
  grid.OnHeaderClick(0);  // by text
  EXPECT_EQ(grid.GetRowRecord(0)->GetTextValue(0), L"000660");
  EXPECT_EQ(grid.GetRowRecord(2)->GetTextValue(0), L"035420");

  grid.GetRowRecord(1)->SetVisible(false);  // 005930
  grid.Populate();
  ASSERT_EQ(grid.GetRowCount(), 2);
  EXPECT_EQ(grid.GetRowRecord(1)->GetTextValue(0), L"035420");
  EXPECT_EQ(grid.GetRecordCount(), 3);

  auto* footer = grid.AddFooterRecord(new DemoRecord(L"전체", 0, false, 0));
  EXPECT_EQ(grid.GetRowCount(), 2);  // footers are not body rows
  EXPECT_EQ(grid.GetFooterRecordCount(), 1);
  EXPECT_TRUE(grid.TakeFootersChanged());
  footer->SetNumberValue(1, 3);
  EXPECT_TRUE(grid.TakeFootersChanged());
  EXPECT_FALSE(grid.TakeFootersChanged());
  grid.OnHeaderClick(1);
  EXPECT_EQ(grid.GetFooterRecord(0), footer);

  grid.ResetContent(false);
  EXPECT_EQ(grid.GetRowCount(), 0);
  EXPECT_EQ(grid.GetFooterRecordCount(), 1);
  grid.ResetContent();
  EXPECT_EQ(grid.GetFooterRecordCount(), 0);
}

// A row of a long list that makes its two items (code, price) when first read; it counts how
// often it made them and how many cells it lent alone.
class LateRecord : public CMyReportRecordBase {
 public:
  LateRecord(std::wstring code, double price, int* lent)
      : code_(std::move(code)), price_(price), lent_(lent) {
    MakeItemsLate();
  }
  int made = 0;

 private:
  void MakeItems() override {
    ++made;
    for (int i = 0; i < 2; ++i) AddItem(Make(i));
  }
  std::unique_ptr<CMyReportRecordItem> MakeLoneItem(int index) const override {
    ++*lent_;
    return Make(index);
  }
  std::unique_ptr<CMyReportRecordItem> Make(int index) const {
    if (index == 0) return std::make_unique<CMyReportRecordItemText>(code_);
    if (index == 1) return std::make_unique<CMyReportRecordItemNumber>(price_, "%.0lf");
    return nullptr;
  }
  std::wstring code_;
  double price_;
  int* lent_;
};

TEST(LateRows, ItemsAreMadeOnceOnFirstReadAndSortingDoesNotMakeThem) {
  CMyReportCtrl grid;
  ASSERT_EQ(grid.InitColumns(std::wstring_view(L"코드:60;현재가:>60")), 2);
  int lent = 0;
  std::vector<LateRecord*> rows;
  for (const auto& [code, price] :
       {std::pair{L"005930", 70000.0}, {L"000660", 120000.0}, {L"035420", 95000.0},
        {L"051910", 400000.0}})
    rows.push_back(static_cast<LateRecord*>(
        grid.AddRecord(std::make_unique<LateRecord>(code, price, &lent))));
  // One row made before the sort (as a row on screen is), the others not.
  EXPECT_EQ(rows[3]->GetItemCount(), 2);
  grid.SetSortColumn(1, false);  // price, highest first
  grid.Populate();
  std::vector<std::wstring> order;
  for (int r = 0; r < grid.GetRowCount(); ++r)
    order.push_back(grid.GetRowRecord(r)->GetTextValue(0));
  EXPECT_EQ(order, (std::vector<std::wstring>{L"051910", L"000660", L"035420", L"005930"}));
  // Reading the order above made the rows; the sort itself lent one cell per unmade row, not
  // one per comparison, and made none of them.
  EXPECT_EQ(lent, 3);
  for (LateRecord* row : rows) EXPECT_EQ(row->made, 1);

  // A write, a read and an added item all act on the made items, made once.
  LateRecord late(L"000100", 10, &lent);
  EXPECT_FALSE(late.ItemsMade());
  EXPECT_TRUE(late.SetNumberValue(1, 11));
  EXPECT_TRUE(late.ItemsMade());
  EXPECT_EQ(late.GetItemCaption(1), L"11");
  late.AddText(L"extra");
  EXPECT_EQ(late.GetItemCount(), 3);
  EXPECT_EQ(late.GetTextValue(2), L"extra");
  EXPECT_EQ(late.made, 1);

  // A row that offers no lone cell is made for the sort instead.
  class Plain : public CMyReportRecordBase {
   public:
    explicit Plain(double price) : price_(price) { MakeItemsLate(); }
    void MakeItems() override {
      AddText(L"x");
      AddNumber(price_);
    }
    double price_;
  };
  grid.ResetContent();
  grid.AddRecord(std::make_unique<Plain>(2));
  grid.AddRecord(std::make_unique<Plain>(1));
  grid.Populate();
  EXPECT_TRUE(grid.GetRecord(0)->ItemsMade());
  EXPECT_EQ(grid.GetRowRecord(0)->GetNumberValue(1), 2);
}

TEST_F(ReportCtrlTest, TreeRowsExpandAndCollapse) {
  CMyReportRecordBase* top = grid.GetRecord(0);
  top->AddChild(new DemoRecord(L"child1", 1, false, 1));
  CMyReportRecordBase* c2 = top->AddChild(new DemoRecord(L"child2", 2, false, 1));
  c2->AddChild(new DemoRecord(L"grand", 3, false, 1));
  grid.Populate();
  EXPECT_EQ(grid.GetRowCount(), 3);  // collapsed
  grid.OnToggleExpand(0);
  ASSERT_EQ(grid.GetRowCount(), 5);
  EXPECT_EQ(grid.GetRowRecord(1)->GetTextValue(0), L"child1");
  EXPECT_EQ(grid.GetRowDepth(2), 1);
  grid.SetExpanded(c2, true);
  ASSERT_EQ(grid.GetRowCount(), 6);
  EXPECT_EQ(grid.GetRowRecord(3)->GetTextValue(0), L"grand");
  EXPECT_EQ(grid.GetRowDepth(3), 2);
  EXPECT_EQ(grid.GetRowRecord(3)->GetParentRecord(), c2);
  // children sort within their parent
  grid.OnHeaderClick(1);
  grid.OnHeaderClick(1);  // descending
  EXPECT_EQ(grid.GetRowRecord(0)->GetTextValue(0), L"000660");
  int at = grid.GetRowIndex(top);
  ASSERT_GE(at, 0);
  EXPECT_EQ(grid.GetRowRecord(at + 1)->GetTextValue(0), L"child2");
  EXPECT_EQ(grid.GetRowRecord(at + 2)->GetTextValue(0), L"grand");
  // removing a parent removes its children from the shown rows
  EXPECT_TRUE(grid.RemoveRecord(top));
  EXPECT_EQ(grid.GetRowCount(), 2);
  grid.OnToggleExpand(0);  // no children: nothing happens
  EXPECT_EQ(grid.GetRowCount(), 2);
}

TEST_F(ReportCtrlTest, OnlyChangedRowsInTheVisibleRangeAreRedrawn) {
  EXPECT_FALSE(grid.HasChangedRows());
  grid.GetRowRecord(2)->SetNumberValue(1, 1);
  grid.GetRowRecord(0)->SetItemTextColor(1, 0x0000FF);
  grid.GetRowRecord(0)->SetNumberValue(1, 2);
  grid.GetRowRecord(1)->SetNumberValue(1, 120000);  // same value: not a change
  EXPECT_TRUE(grid.HasChangedRows());
  EXPECT_EQ(grid.TakeChangedRows(0, 1), std::vector<int>{0});  // row 2 is not shown
  EXPECT_FALSE(grid.HasChangedRows());
  EXPECT_TRUE(grid.TakeChangedRows(0, 10).empty());

  grid.GetRowRecord(1)->SetTextValue(0, L"X");
  grid.GetRowRecord(2)->SetCheckValue(2, true);
  EXPECT_EQ(grid.TakeChangedRows(0, 10), (std::vector<int>{1, 2}));
  // rows of hidden records are not tracked
  grid.GetRowRecord(0)->SetVisible(false);
  CMyReportRecordBase* hidden = grid.GetRowRecord(0);
  grid.Populate();
  hidden->SetNumberValue(1, 5);
  EXPECT_FALSE(grid.HasChangedRows());

  int before = view.redraws;
  grid.RedrawControl();
  EXPECT_EQ(view.redraws, before + 1);
}

TEST_F(ReportCtrlTest, RepopulatingTheRowsTheViewShowsRedrawsOnlyChangedRows) {
  const int rowsBefore = view.rows;
  const int redrawsBefore = view.redraws;
  // Nothing changed: the view is told nothing.
  grid.Populate();
  EXPECT_EQ(view.rows, rowsBefore);
  EXPECT_EQ(view.redraws, redrawsBefore);

  // A changed value waits for its redraw, which the repopulation asks for: the row's cell,
  // not a new layout.
  grid.GetRowRecord(1)->SetNumberValue(1, 125000);
  grid.Populate();
  EXPECT_EQ(view.rows, rowsBefore);
  EXPECT_EQ(view.redraws, redrawsBefore + 1);
  EXPECT_EQ(grid.TakeChangedCells(0, 2), (std::vector<std::pair<int, int>>{{1, 1}}));

  // Rows hidden or shown, a new sort and a new view each lay the rows out.
  grid.GetRowRecord(0)->SetVisible(false);
  grid.Populate();
  EXPECT_EQ(view.rows, rowsBefore + 1);
  grid.SetSortColumn(0, false);
  grid.Populate();
  EXPECT_EQ(view.rows, rowsBefore + 2);
  CountingView other;
  grid.SetView(&other);
  grid.Populate();
  EXPECT_EQ(other.rows, 1);
  grid.SetView(&view);
  grid.Populate();
  EXPECT_EQ(view.rows, rowsBefore + 3);

  // Each removal lays the rows out, down to the last row's: the view shows no row left.
  while (grid.GetRecordCount() > 0) {
    const int told = view.rows;
    ASSERT_TRUE(grid.RemoveRecord(grid.GetRecord(0)));
    EXPECT_EQ(view.rows, told + 1) << grid.GetRecordCount() << " left";
  }
  EXPECT_EQ(grid.GetRowCount(), 0);
}

TEST_F(ReportCtrlTest, AChangedValueMarksOnlyItsCellAndAWholeRowChangeCoversTheRow) {
  using Cells = std::vector<std::pair<int, int>>;
  grid.GetRowRecord(1)->SetNumberValue(1, 7);
  grid.GetRowRecord(1)->SetItemTextColor(1, 0x0000FF);  // same cell again: one entry
  grid.GetRowRecord(0)->SetTextValue(0, L"Y");
  grid.GetRowRecord(2)->SetCheckValue(2, true);
  EXPECT_EQ(grid.TakeChangedCells(0, 1), (Cells{{0, 0}, {1, 1}}));  // row 2 is not shown
  EXPECT_FALSE(grid.HasChangedRows());

  // a whole-row change (selection) swallows the row's cell changes, before or after it
  grid.GetRowRecord(0)->SetNumberValue(1, 9);
  grid.SelectRow(0);
  grid.GetRowRecord(0)->SetTextValue(0, L"Z");
  grid.GetRowRecord(2)->SetCheckValue(2, false);
  EXPECT_EQ(grid.TakeChangedCells(0, 10), (Cells{{0, -1}, {2, 2}}));
  // the row list and the cell list forget the same changes
  grid.GetRowRecord(1)->SetNumberValue(1, 11);
  EXPECT_EQ(grid.TakeChangedRows(0, 10), std::vector<int>{1});
  EXPECT_TRUE(grid.TakeChangedCells(0, 10).empty());

  // a time set again to what it holds is no change; any field that differs is
  SYSTEMTIME t = grid.GetRowRecord(1)->GetTimeValue(4);
  grid.GetRowRecord(1)->SetTimeValue(4, t);
  EXPECT_FALSE(grid.HasChangedRows());
  t.wMilliseconds += 1;
  grid.GetRowRecord(1)->SetTimeValue(4, t);
  EXPECT_EQ(grid.TakeChangedCells(0, 10), (Cells{{1, 4}}));
  EXPECT_EQ(grid.GetRowRecord(1)->GetTimeValue(4).wMilliseconds, t.wMilliseconds);
}

TEST_F(ReportCtrlTest, ColumnWidthsAndVisibilityAreKeptAndRestored) {
  CMyReportCtrl g;
  ASSERT_EQ(g.InitColumns(std::string_view(":?5;No:25;카페:?30;구분:?g50;추천인:?0;국가:c30")), 6);
  EXPECT_EQ(g.GetColumnWidthText(1), L"25;?30;?50;?0;30");
  g.ShowAllHiddenColumns();  // the zero-width column stays hidden
  EXPECT_EQ(g.GetColumnWidthText(1), L"25;30;50;?0;30");
  g.ShowColumn(5, false);
  g.SetColumnWidth(1, 44);
  std::wstring saved = g.GetColumnWidthText(1);
  EXPECT_EQ(saved, L"44;30;50;?0;?30");

  CMyReportCtrl h;
  ASSERT_EQ(h.InitColumns(std::string_view(":?5;No:25;카페:?30;구분:?g50;추천인:?0;국가:c30")), 6);
  EXPECT_TRUE(h.ApplyColumnWidthText(saved, 1));
  EXPECT_EQ(h.GetColumnWidthText(1), saved);
  EXPECT_FALSE(h.ApplyColumnWidthText(L"10;x;20", 1));
  EXPECT_EQ(h.GetColumnWidthText(1), saved);
  EXPECT_EQ(h.InitColumns(std::string_view("A:?z")), -1);
  EXPECT_FALSE(h.GetLastError().empty());
  EXPECT_EQ(h.GetColumnCount(), 6);

  // day columns added after the layout share item numbering by their own index
  int c = g.AddColumn(78, L"1", L">50");
  EXPECT_EQ(c, 6);
  EXPECT_EQ(g.FindColumnByItem(78), g.GetColumn(6));
  g.FreezeColumns(2);
  EXPECT_EQ(g.GetFrozenColumns(), 2);
}

TEST_F(ReportCtrlTest, SelectionFollowsRowsAcrossRepopulation) {
  grid.SelectRow(2);
  grid.SelectRow(0, true);
  EXPECT_EQ(grid.GetSelectedRecords().size(), 2u);
  CMyReportRecordBase* focused = grid.GetRowRecord(0);
  grid.OnHeaderClick(1);
  grid.OnHeaderClick(1);
  EXPECT_EQ(grid.GetRowRecord(grid.GetFocusedRow()), focused);
  grid.SelectRow(1);
  EXPECT_EQ(grid.GetSelectedRecords().size(), 1u);
  size_t before = rec.seen.size();
  grid.SelectRow(1);  // no change: no notification
  EXPECT_EQ(rec.seen.size(), before);
}


// A view that counts what reaches it; `calls` outlives the view.
class CountingLinkView : public IReportView {
 public:
  explicit CountingLinkView(int* calls) : calls_(calls) {}
  int detached = 0;
  void OnColumnsChanged() override { ++*calls_; }
  void OnRowsChanged() override { ++*calls_; }
  void OnRedrawRequested() override { ++*calls_; }
  void OnModelDetached() override { ++detached; }

 private:
  int* calls_;
};

TEST(ReportCtrlViewLink, ModelAndViewMayGoInEitherOrder) {
  int calls = 0;
  {  // the view goes first: the model forgets it and reaches it no more
    auto model = std::make_unique<CMyReportCtrl>();
    auto view = std::make_unique<CountingLinkView>(&calls);
    model->SetView(view.get());
    EXPECT_EQ(view->GetViewModel(), model.get());
    view.reset();
    EXPECT_EQ(model->GetView(), nullptr);
    calls = 0;
    model->InitColumns(std::wstring_view(L"A:10;B:20"));
    model->Populate();
    model->RedrawControl();
    EXPECT_EQ(calls, 0);
  }
  {  // the model goes first: the view is told once and forgets it
    auto model = std::make_unique<CMyReportCtrl>();
    CountingLinkView view(&calls);
    model->SetView(&view);
    model.reset();
    EXPECT_EQ(view.detached, 1);
    EXPECT_EQ(view.GetViewModel(), nullptr);
  }
}

TEST(ReportCtrlViewLink, AViewShowsOneModelAndAModelOneView) {
  int calls = 0;
  CMyReportCtrl first, second;
  auto a = std::make_unique<CountingLinkView>(&calls);
  auto b = std::make_unique<CountingLinkView>(&calls);
  first.SetView(a.get());
  first.SetView(b.get());  // a is let go and told
  EXPECT_EQ(a->detached, 1);
  EXPECT_EQ(a->GetViewModel(), nullptr);
  EXPECT_EQ(b->GetViewModel(), &first);
  a.reset();  // the view that was let go no longer unlinks the model's current one
  EXPECT_EQ(first.GetView(), b.get());

  second.SetView(b.get());  // b moves: first forgets it
  EXPECT_EQ(first.GetView(), nullptr);
  EXPECT_EQ(second.GetView(), b.get());
  EXPECT_EQ(b->GetViewModel(), &second);
  EXPECT_EQ(b->detached, 1);
  first.SetView(nullptr);  // nothing to let go
  EXPECT_EQ(b->detached, 1);
  b.reset();
  EXPECT_EQ(second.GetView(), nullptr);
}

}  // namespace
}  // namespace orv::ui
