#pragma once
// The report grid without a toolkit: columns from a layout string, rows (records with items),
// footer rows, sorting, tree rows, selection, the owner's notifications and the bookkeeping of
// which shown rows changed since the last redraw. A window (ReportGridWindow) shows it and
// forwards the user's actions to the On... operations below, which tests call directly.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/model/GridLayout.h"
#include "platform/ui/model/OptionList.h"
#include "platform/ui/model/ReportNotify.h"
#include "platform/ui/model/ReportRecord.h"

namespace orv::ui {

struct ReportColumn {
  GridColumnSpec spec;  // as parsed: title, initial width and flags
  int itemIndex = 0;
  int width = kDefaultColumnWidth;
  bool visible = true;
  bool editable = true;
  bool sortable = true;
  CReportEditOptions editOptions;
};

class CMyReportCtrl;

// What the grid's window learns from the model. Model and view may be destroyed in either
// order: a view that goes first takes itself off its model, and a model that goes first
// tells its view (OnModelDetached) and forgets it.
class IReportView {
 public:
  IReportView() = default;
  IReportView(const IReportView&) = delete;
  IReportView& operator=(const IReportView&) = delete;
  virtual ~IReportView();
  virtual void OnColumnsChanged() = 0;   // columns added, hidden, shown, resized, frozen
  virtual void OnRowsChanged() = 0;      // the shown rows were rebuilt (Populate)
  virtual void OnRedrawRequested() = 0;  // changed rows wait for a redraw
  // The model no longer shows here: it is being destroyed, or was given another view or
  // none. The view must not touch it again.
  virtual void OnModelDetached() = 0;

  // The model showing in this view, or nullptr.
  CMyReportCtrl* GetViewModel() const { return model_; }

 private:
  friend class CMyReportCtrl;
  CMyReportCtrl* model_ = nullptr;  // kept by CMyReportCtrl::SetView
};

using ReportNotifyHandler = std::function<LRESULT(ReportNotify&)>;

class CMyReportCtrl {
 public:
  CMyReportCtrl();
  ~CMyReportCtrl();
  CMyReportCtrl(const CMyReportCtrl&) = delete;
  CMyReportCtrl& operator=(const CMyReportCtrl&) = delete;

  // ---- columns
  // Replaces the columns by those of a layout string; answers the column count, or -1 with
  // the reason in GetLastError() (columns unchanged).
  int InitColumns(std::wstring_view layout, wchar_t sep = L';');
  int InitColumns(std::string_view utf8Layout, char sep = ';');
  // Appends a column for item `itemIndex` (flags and width as in a layout entry, "?>50").
  int AddColumn(int itemIndex, std::wstring_view title, std::wstring_view flagsAndWidth);
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  ReportColumn* GetColumn(int index);
  const ReportColumn* GetColumn(int index) const;
  // The column that shows item `itemIndex`, or nullptr.
  const ReportColumn* FindColumnByItem(int itemIndex) const;
  CReportEditOptions* GetColumnEditOptions(int index);
  void ShowColumn(int index, bool show);
  void ShowAllHiddenColumns();  // every hidden column with a width above 0
  void SetColumnWidth(int index, int width);
  // "w1;?w2;..." from column `first` on; "?" marks a hidden column.
  std::wstring GetColumnWidthText(int first = 1) const;
  // Applies such a text; false on a malformed text (nothing changed).
  bool ApplyColumnWidthText(std::wstring_view text, int first = 1);
  void FreezeColumns(int count);
  int GetFrozenColumns() const { return frozenColumns_; }
  const std::wstring& GetLastError() const { return lastError_; }

  // ---- rows
  CMyReportRecordBase* AddRecord(std::unique_ptr<CMyReportRecordBase> record);
  CMyReportRecordBase* AddRecord(CMyReportRecordBase* record) {
    return AddRecord(std::unique_ptr<CMyReportRecordBase>(record));
  }
  // Puts a top-level row before the row at `index` (at the end when out of range); shown after
  // the next Populate.
  CMyReportRecordBase* InsertRecord(int index, std::unique_ptr<CMyReportRecordBase> record);
  // Removes and frees a top-level or child row; the shown rows are rebuilt.
  bool RemoveRecord(CMyReportRecordBase* record);
  int GetRecordCount() const { return static_cast<int>(records_.size()); }
  CMyReportRecordBase* GetRecord(int index) const;
  // Frees every row (not the footer rows unless `footers`) and empties the shown rows.
  void ResetContent(bool footers = true);
  void ReserveRecords(size_t count) { records_.reserve(count); }

  CMyReportRecordBase* AddFooterRecord(std::unique_ptr<CMyReportRecordBase> record);
  CMyReportRecordBase* AddFooterRecord(CMyReportRecordBase* record) {
    return AddFooterRecord(std::unique_ptr<CMyReportRecordBase>(record));
  }
  int GetFooterRecordCount() const { return static_cast<int>(footers_.size()); }
  CMyReportRecordBase* GetFooterRecord(int index) const;

  // Rebuilds the shown rows: visible rows, children of expanded rows, in sort order. When they
  // come out as the view already shows them (same rows, order and sort), the view is not told
  // to lay them out again; the rows whose values changed are redrawn.
  void Populate();
  int GetRowCount() const { return static_cast<int>(rows_.size()); }
  CMyReportRecordBase* GetRowRecord(int row) const;
  int GetRowDepth(int row) const;
  // The shown row of a record, -1 when it is not shown.
  int GetRowIndex(const CMyReportRecordBase* record) const {
    return record && record->GetGrid() == this ? record->GetRowIndex() : -1;
  }

  // ---- sorting
  void SetSortColumn(int column, bool ascending);  // -1: insertion order; call Populate
  int GetSortColumn() const { return sortColumn_; }
  bool IsSortAscending() const { return sortAscending_; }

  // ---- tree
  void SetExpanded(CMyReportRecordBase* record, bool expanded);  // repopulates

  // ---- selection
  int GetFocusedRow() const { return focusedRow_; }
  std::vector<CMyReportRecordBase*> GetSelectedRecords() const;
  // Selects one row (extend keeps the others); notifies REPORT_NM_SELCHANGED on a change.
  void SelectRow(int row, bool extend = false);
  void ClearSelection();

  // ---- changed-row bookkeeping
  // A row's value changed: remember it for the next redraw.
  void NoteRecordChanged(CMyReportRecordBase* record);
  // One item of a row changed: only its cells need a redraw.
  void NoteItemChanged(CMyReportRecordBase* record, int item);
  // Asks the window to redraw the changed rows (cheap; many calls make one redraw).
  void RedrawControl();
  bool HasChangedRows() const { return !changedRows_.empty() || footersChanged_; }
  // The changed rows within [first, last] in ascending order; forgets every change (rows
  // outside the range are drawn fresh when scrolled into view).
  std::vector<int> TakeChangedRows(int first, int last);
  // The changed cells within rows [first, last], in ascending row order, as (row, item)
  // pairs; item -1 stands for the whole row. Forgets every change as TakeChangedRows does.
  std::vector<std::pair<int, int>> TakeChangedCells(int first, int last);
  bool TakeFootersChanged();

  // ---- owner
  void SetCtrlId(int id) { ctrlId_ = id; }
  int GetCtrlId() const { return ctrlId_; }
  void SetNotifyHandler(ReportNotifyHandler handler) { notify_ = std::move(handler); }
  LRESULT SendNotify(ReportNotify& nm);
  // Shows the model in `view` (nullptr: in none). A view shows one model: taking it here
  // takes it off the model it showed before; the view this model had is told
  // (OnModelDetached).
  void SetView(IReportView* view);
  IReportView* GetView() const { return view_; }

  // ---- user actions (the window calls these; tests too)
  CMyReportRecordItem* GetCell(int row, int column) const;
  // May the user edit the cell? Refused for missing, read-only or button-less check cells
  // and when the owner sets cancel on REPORT_NM_REQUESTEDIT.
  bool OnRequestEdit(int row, int column);
  // Stores edited text in the cell (numbers parsed, options by label, dates in the item's
  // format); false for text that does not fit (cell unchanged, nothing sent). A change marks
  // the row modified and sends REPORT_NM_VALUECHANGED.
  bool OnCommitEdit(int row, int column, std::wstring_view text);
  bool OnCommitOption(int row, int column, int optionIndex);
  // Toggles a check cell (after the edit request) and sends REPORT_NM_CHECKED, then
  // REPORT_NM_VALUECHANGED.
  bool OnToggleCheck(int row, int column);
  // An in-cell button (index into the item's buttons) was clicked: REPORT_NM_ITEMBUTTONCLICK.
  bool OnCellButton(int row, int column, int buttonIndex);
  void OnToggleExpand(int row);
  void OnRightClick(int row, int column, POINT pt);
  void OnDoubleClick(int row, int column, POINT pt);
  void OnHeaderClick(int column);  // sorts by the column, toggling the order
  void OnHeaderRightClick(int column, POINT pt);
  void OnColumnResized(int column, int width);

 private:
  void NotifyView(void (IReportView::*fn)());
  // Tells the view its rows were rebuilt, and remembers which view saw which sort.
  void NotifyRowsChanged();
  // Unlinks model and view without telling the view (the view is going away).
  void DropView();
  void AppendShown(std::vector<CMyReportRecordBase*>& list);
  void SortRecords(std::vector<CMyReportRecordBase*>& list) const;
  void ClearRowIndexes();
  ReportNotify MakeNotify(int code, int row, int column) const;
  // The user changed a cell: mark the row modified and tell the owner.
  void UserChangedCell(int row, int column);

  std::vector<ReportColumn> columns_;
  std::vector<std::unique_ptr<CMyReportRecordBase>> records_;
  std::vector<std::unique_ptr<CMyReportRecordBase>> footers_;
  std::vector<CMyReportRecordBase*> rows_;
  std::vector<int> changedRows_;
  // Per shown row: 0 unchanged, kRowSomeItems with its items in changedItems_, kRowWhole.
  std::vector<uint8_t> rowChanged_;
  std::vector<std::pair<int, int>> changedItems_;  // (row, item) of rows marked kRowSomeItems
  bool footersChanged_ = false;
  int frozenColumns_ = 0;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  int focusedRow_ = -1;
  int ctrlId_ = 0;
  ReportNotifyHandler notify_;
  IReportView* view_ = nullptr;
  // The view last told of the rows (null: none since it came), and the sort it was told.
  IReportView* rowsShownBy_ = nullptr;
  std::pair<int, bool> sortShown_{-1, true};
  std::wstring lastError_;

  friend class IReportView;  // its destructor calls DropView
};

}  // namespace orv::ui
