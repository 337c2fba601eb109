#include "platform/ui/model/ReportCtrl.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "platform/ui/model/TextConv.h"

namespace orv::ui {

CMyReportCtrl::CMyReportCtrl() = default;

IReportView::~IReportView() {
  if (model_) model_->DropView();
}

CMyReportCtrl::~CMyReportCtrl() {
  SetView(nullptr);
  rows_.clear();
}

void CMyReportCtrl::DropView() {
  if (view_) view_->model_ = nullptr;
  view_ = nullptr;
  rowsShownBy_ = nullptr;
}

void CMyReportCtrl::SetView(IReportView* view) {
  if (view_ == view) return;
  IReportView* old = view_;
  DropView();
  if (view && view->model_) view->model_->SetView(nullptr);
  view_ = view;
  if (view_) view_->model_ = this;
  if (old) old->OnModelDetached();
}

void CMyReportCtrl::NotifyView(void (IReportView::*fn)()) {
  if (view_) (view_->*fn)();
}

// ---- columns

int CMyReportCtrl::InitColumns(std::wstring_view layout, wchar_t sep) {
  std::vector<GridColumnSpec> specs;
  std::wstring error;
  if (!ParseGridLayout(layout, sep, &specs, &error)) {
    lastError_ = error;
    return -1;
  }
  columns_.clear();
  for (size_t i = 0; i < specs.size(); ++i) {
    ReportColumn col;
    col.spec = specs[i];
    col.itemIndex = static_cast<int>(i);
    col.width = specs[i].width;
    col.visible = !specs[i].hidden;
    columns_.push_back(std::move(col));
  }
  NotifyView(&IReportView::OnColumnsChanged);
  return GetColumnCount();
}

int CMyReportCtrl::InitColumns(std::string_view utf8Layout, char sep) {
  return InitColumns(std::wstring_view(Utf8ToWide(utf8Layout)), static_cast<wchar_t>(sep));
}

int CMyReportCtrl::AddColumn(int itemIndex, std::wstring_view title,
                             std::wstring_view flagsAndWidth) {
  ReportColumn col;
  std::wstring error;
  if (itemIndex < 0 || !ParseColumnFlags(flagsAndWidth, &col.spec, &error)) {
    lastError_ = itemIndex < 0 ? L"negative item index" : error;
    return -1;
  }
  col.spec.title = std::wstring(title);
  col.itemIndex = itemIndex;
  col.width = col.spec.width;
  col.visible = !col.spec.hidden;
  columns_.push_back(std::move(col));
  NotifyView(&IReportView::OnColumnsChanged);
  return GetColumnCount() - 1;
}

ReportColumn* CMyReportCtrl::GetColumn(int index) {
  if (index < 0 || index >= GetColumnCount()) return nullptr;
  return &columns_[static_cast<size_t>(index)];
}

const ReportColumn* CMyReportCtrl::GetColumn(int index) const {
  if (index < 0 || index >= GetColumnCount()) return nullptr;
  return &columns_[static_cast<size_t>(index)];
}

const ReportColumn* CMyReportCtrl::FindColumnByItem(int itemIndex) const {
  // Columns made from a layout show item n in column n; added columns may differ.
  if (const ReportColumn* col = GetColumn(itemIndex); col && col->itemIndex == itemIndex)
    return col;
  for (const auto& col : columns_)
    if (col.itemIndex == itemIndex) return &col;
  return nullptr;
}

CReportEditOptions* CMyReportCtrl::GetColumnEditOptions(int index) {
  ReportColumn* col = GetColumn(index);
  return col ? &col->editOptions : nullptr;
}

void CMyReportCtrl::ShowColumn(int index, bool show) {
  ReportColumn* col = GetColumn(index);
  if (!col || col->visible == show) return;
  col->visible = show;
  NotifyView(&IReportView::OnColumnsChanged);
}

void CMyReportCtrl::ShowAllHiddenColumns() {
  bool changed = false;
  for (auto& col : columns_) {
    if (!col.visible && col.width > 0) {
      col.visible = true;
      changed = true;
    }
  }
  if (changed) NotifyView(&IReportView::OnColumnsChanged);
}

void CMyReportCtrl::SetColumnWidth(int index, int width) {
  ReportColumn* col = GetColumn(index);
  if (!col || width < 0 || col->width == width) return;
  col->width = width;
  NotifyView(&IReportView::OnColumnsChanged);
}

std::wstring CMyReportCtrl::GetColumnWidthText(int first) const {
  std::wstring out;
  for (int i = std::max(first, 0); i < GetColumnCount(); ++i) {
    const ReportColumn& col = columns_[static_cast<size_t>(i)];
    if (i > first) out += L';';
    if (!col.visible) out += L'?';
    out += std::to_wstring(col.width);
  }
  return out;
}

bool CMyReportCtrl::ApplyColumnWidthText(std::wstring_view text, int first) {
  struct Entry {
    int width;
    bool hidden;
  };
  std::vector<Entry> entries;
  size_t pos = 0;
  while (pos <= text.size() && !text.empty()) {
    size_t end = text.find(L';', pos);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view entry = text.substr(pos, end - pos);
    pos = end + 1;
    Entry e{0, false};
    if (!entry.empty() && entry[0] == L'?') {
      e.hidden = true;
      entry.remove_prefix(1);
    }
    int64_t width = 0;
    if (!ParseDecimalInt64(entry, &width) || width < 0 || width > 100000) {
      lastError_ = L"column width text entry " + std::to_wstring(entries.size()) + L" \"" +
                   std::wstring(entry) + L"\" is not a width";
      return false;
    }
    e.width = static_cast<int>(width);
    entries.push_back(e);
    if (end == text.size()) break;
  }
  for (size_t k = 0; k < entries.size(); ++k) {
    ReportColumn* col = GetColumn(first + static_cast<int>(k));
    if (!col) break;  // a text saved for more columns than the grid has now
    col->width = entries[k].width;
    col->visible = !entries[k].hidden;
  }
  NotifyView(&IReportView::OnColumnsChanged);
  return true;
}

void CMyReportCtrl::FreezeColumns(int count) {
  frozenColumns_ = std::clamp(count, 0, GetColumnCount());
  NotifyView(&IReportView::OnColumnsChanged);
}

// ---- rows

CMyReportRecordBase* CMyReportCtrl::AddRecord(std::unique_ptr<CMyReportRecordBase> record) {
  if (!record) return nullptr;
  record->AttachTo(this, nullptr);
  records_.push_back(std::move(record));
  return records_.back().get();
}

CMyReportRecordBase* CMyReportCtrl::InsertRecord(int index,
                                                std::unique_ptr<CMyReportRecordBase> record) {
  if (!record) return nullptr;
  if (index < 0 || index >= GetRecordCount()) return AddRecord(std::move(record));
  record->AttachTo(this, nullptr);
  return records_.insert(records_.begin() + index, std::move(record))->get();
}

bool CMyReportCtrl::RemoveRecord(CMyReportRecordBase* record) {
  if (!record || record->GetGrid() != this || record->footer_) return false;
  std::vector<std::unique_ptr<CMyReportRecordBase>>& owner =
      record->parent_ ? record->parent_->children_ : records_;
  auto it = std::find_if(owner.begin(), owner.end(),
                         [record](const auto& p) { return p.get() == record; });
  if (it == owner.end()) return false;
  ClearRowIndexes();
  rows_.clear();
  // The view shows a row that is gone: it lays the rows out again even when none is left.
  rowsShownBy_ = nullptr;
  owner.erase(it);
  Populate();
  return true;
}

CMyReportRecordBase* CMyReportCtrl::GetRecord(int index) const {
  if (index < 0 || index >= GetRecordCount()) return nullptr;
  return records_[static_cast<size_t>(index)].get();
}

void CMyReportCtrl::ResetContent(bool footers) {
  rows_.clear();
  changedRows_.clear();
  changedItems_.clear();
  rowChanged_.clear();
  records_.clear();
  if (footers) footers_.clear();
  focusedRow_ = -1;
  NotifyRowsChanged();
}

CMyReportRecordBase* CMyReportCtrl::AddFooterRecord(std::unique_ptr<CMyReportRecordBase> record) {
  if (!record) return nullptr;
  record->AttachTo(this, nullptr);
  record->footer_ = true;
  footers_.push_back(std::move(record));
  footersChanged_ = true;
  NotifyRowsChanged();
  return footers_.back().get();
}

CMyReportRecordBase* CMyReportCtrl::GetFooterRecord(int index) const {
  if (index < 0 || index >= GetFooterRecordCount()) return nullptr;
  return footers_[static_cast<size_t>(index)].get();
}

void CMyReportCtrl::ClearRowIndexes() {
  for (CMyReportRecordBase* r : rows_) r->rowIndex_ = -1;
}

void CMyReportCtrl::SortRecords(std::vector<CMyReportRecordBase*>& list) const {
  const ReportColumn* col = GetColumn(sortColumn_);
  if (!col) return;
  const int item = col->itemIndex;
  const COptionList* options = &col->editOptions.constraints;
  const bool ascending = sortAscending_;
  // Each row's cell of the column is looked up once; a row whose items are not made yet lends
  // a cell made alone, so sorting a long list does not make every row's items.
  struct Keyed {
    CMyReportRecordBase* record;
    const CMyReportRecordItem* cell;
  };
  std::vector<std::unique_ptr<CMyReportRecordItem>> lent(list.size());
  std::vector<Keyed> keyed;
  keyed.reserve(list.size());
  for (size_t i = 0; i < list.size(); ++i)
    keyed.push_back({list[i], list[i]->PeekItem(item, &lent[i])});
  std::stable_sort(keyed.begin(), keyed.end(), [options, ascending](const Keyed& a, const Keyed& b) {
    int c;
    if (!a.cell || !b.cell)
      c = (a.cell ? 1 : 0) - (b.cell ? 1 : 0);
    else
      c = a.cell->Compare(*b.cell, options);
    return ascending ? c < 0 : c > 0;
  });
  for (size_t i = 0; i < list.size(); ++i) list[i] = keyed[i].record;
}

void CMyReportCtrl::AppendShown(std::vector<CMyReportRecordBase*>& list) {
  std::vector<CMyReportRecordBase*> level;
  level.reserve(list.size());
  for (CMyReportRecordBase* r : list)
    if (r->visible_) level.push_back(r);
  SortRecords(level);
  for (CMyReportRecordBase* r : level) {
    r->rowIndex_ = static_cast<int>(rows_.size());
    rows_.push_back(r);
    if (r->expanded_ && !r->children_.empty()) {
      std::vector<CMyReportRecordBase*> kids;
      kids.reserve(r->children_.size());
      for (auto& c : r->children_) kids.push_back(c.get());
      AppendShown(kids);
    }
  }
}

void CMyReportCtrl::Populate() {
  CMyReportRecordBase* focused = GetRowRecord(focusedRow_);
  ClearRowIndexes();
  std::vector<CMyReportRecordBase*> before;
  before.swap(rows_);
  std::vector<CMyReportRecordBase*> top;
  top.reserve(records_.size());
  for (auto& r : records_) top.push_back(r.get());
  rows_.reserve(records_.size());
  AppendShown(top);
  focusedRow_ = focused ? focused->rowIndex_ : -1;
  if (view_ != nullptr && rowsShownBy_ == view_ && rows_ == before &&
      sortShown_ == std::make_pair(sortColumn_, sortAscending_)) {
    // The same rows in the same order and the same sort: the view keeps its layout, and only
    // the rows whose values changed are drawn again.
    if (HasChangedRows()) RedrawControl();
    return;
  }
  changedRows_.clear();
  changedItems_.clear();
  rowChanged_.assign(rows_.size(), 0);
  NotifyRowsChanged();
}

void CMyReportCtrl::NotifyRowsChanged() {
  rowsShownBy_ = view_;
  sortShown_ = {sortColumn_, sortAscending_};
  NotifyView(&IReportView::OnRowsChanged);
}

CMyReportRecordBase* CMyReportCtrl::GetRowRecord(int row) const {
  if (row < 0 || row >= GetRowCount()) return nullptr;
  return rows_[static_cast<size_t>(row)];
}

int CMyReportCtrl::GetRowDepth(int row) const {
  CMyReportRecordBase* r = GetRowRecord(row);
  return r ? r->GetDepth() : 0;
}

void CMyReportCtrl::SetSortColumn(int column, bool ascending) {
  sortColumn_ = GetColumn(column) ? column : -1;
  sortAscending_ = ascending;
}

void CMyReportCtrl::SetExpanded(CMyReportRecordBase* record, bool expanded) {
  if (!record || record->GetGrid() != this || record->expanded_ == expanded) return;
  record->expanded_ = expanded;
  Populate();
}

// ---- selection

std::vector<CMyReportRecordBase*> CMyReportCtrl::GetSelectedRecords() const {
  std::vector<CMyReportRecordBase*> out;
  for (CMyReportRecordBase* r : rows_)
    if (r->selected_) out.push_back(r);
  return out;
}

void CMyReportCtrl::SelectRow(int row, bool extend) {
  CMyReportRecordBase* rec = GetRowRecord(row);
  bool changed = focusedRow_ != row;
  if (!extend) {
    for (CMyReportRecordBase* r : rows_) {
      if (r->selected_ && r != rec) {
        r->selected_ = false;
        changed = true;
        NoteRecordChanged(r);
      }
    }
  }
  if (rec && !rec->selected_) {
    rec->selected_ = true;
    changed = true;
    NoteRecordChanged(rec);
  }
  focusedRow_ = rec ? row : -1;
  if (changed) {
    ReportNotify nm = MakeNotify(REPORT_NM_SELCHANGED, focusedRow_, -1);
    SendNotify(nm);
  }
}

void CMyReportCtrl::ClearSelection() {
  for (CMyReportRecordBase* r : rows_) r->selected_ = false;
  focusedRow_ = -1;
  RedrawControl();
}

// ---- changed rows

namespace {
constexpr uint8_t kRowSomeItems = 1;
constexpr uint8_t kRowWhole = 2;
}  // namespace

void CMyReportCtrl::NoteRecordChanged(CMyReportRecordBase* record) {
  NoteItemChanged(record, -1);
}

void CMyReportCtrl::NoteItemChanged(CMyReportRecordBase* record, int item) {
  if (record->footer_) {
    footersChanged_ = true;
    return;
  }
  int row = record->rowIndex_;
  if (row < 0 || row >= static_cast<int>(rowChanged_.size())) return;
  uint8_t& state = rowChanged_[static_cast<size_t>(row)];
  if (state == kRowWhole) return;
  if (state == 0) changedRows_.push_back(row);
  if (item < 0) {
    state = kRowWhole;
    return;
  }
  state = kRowSomeItems;
  changedItems_.emplace_back(row, item);
}

void CMyReportCtrl::RedrawControl() { NotifyView(&IReportView::OnRedrawRequested); }

std::vector<int> CMyReportCtrl::TakeChangedRows(int first, int last) {
  std::vector<int> out;
  for (int row : changedRows_) {
    rowChanged_[static_cast<size_t>(row)] = 0;
    if (row >= first && row <= last) out.push_back(row);
  }
  changedRows_.clear();
  changedItems_.clear();
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::pair<int, int>> CMyReportCtrl::TakeChangedCells(int first, int last) {
  std::vector<std::pair<int, int>> out;
  for (int row : changedRows_)
    if (row >= first && row <= last && rowChanged_[static_cast<size_t>(row)] == kRowWhole)
      out.emplace_back(row, -1);
  for (const auto& cell : changedItems_)
    if (cell.first >= first && cell.first <= last &&
        rowChanged_[static_cast<size_t>(cell.first)] == kRowSomeItems)
      out.push_back(cell);
  for (int row : changedRows_) rowChanged_[static_cast<size_t>(row)] = 0;
  changedRows_.clear();
  changedItems_.clear();
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

bool CMyReportCtrl::TakeFootersChanged() {
  bool changed = footersChanged_;
  footersChanged_ = false;
  return changed;
}

// ---- owner

LRESULT CMyReportCtrl::SendNotify(ReportNotify& nm) { return notify_ ? notify_(nm) : 0; }

ReportNotify CMyReportCtrl::MakeNotify(int code, int row, int column) const {
  ReportNotify nm;
  nm.code = code;
  nm.ctrlId = ctrlId_;
  nm.grid = const_cast<CMyReportCtrl*>(this);
  nm.record = GetRowRecord(row);
  nm.row = nm.record ? row : -1;
  nm.column = GetColumn(column) ? column : -1;
  return nm;
}

// ---- user actions

CMyReportRecordItem* CMyReportCtrl::GetCell(int row, int column) const {
  CMyReportRecordBase* rec = GetRowRecord(row);
  const ReportColumn* col = GetColumn(column);
  if (!rec || !col) return nullptr;
  return rec->GetItem(col->itemIndex);
}

bool CMyReportCtrl::OnRequestEdit(int row, int column) {
  CMyReportRecordItem* item = GetCell(row, column);
  if (!item || !item->editable || !columns_[static_cast<size_t>(column)].editable) return false;
  ReportNotify nm = MakeNotify(REPORT_NM_REQUESTEDIT, row, column);
  SendNotify(nm);
  return !nm.cancel;
}

namespace {

// A number as the user typed it: blanks, thousands separators and the format's own text
// around it are allowed ("1,200", "12.5%", "K1.5").
bool ParseEditedNumber(std::wstring_view text, const CMyReportRecordItemNumber& item,
                       double* value) {
  std::wstring s;
  for (wchar_t c : text)
    if (c != L',' && !std::iswspace(c)) s.push_back(c);
  auto strip = [&s](std::wstring_view part) {
    std::wstring p;
    for (wchar_t c : part)
      if (!std::iswspace(c)) p.push_back(c);
    return p;
  };
  std::wstring prefix = strip(item.prefix.str()), suffix = strip(item.suffix.str());
  std::wstring formatted = item.format.Format(0);
  // Literal text of the format itself: everything that is not part of a number.
  size_t a = formatted.find_first_of(L"-0123456789");
  size_t b = formatted.find_last_of(L"0123456789");
  if (a != std::wstring::npos) {
    prefix += strip(std::wstring_view(formatted).substr(0, a));
    suffix = strip(std::wstring_view(formatted).substr(b + 1)) + suffix;
  }
  if (!prefix.empty() && s.compare(0, prefix.size(), prefix) == 0) s.erase(0, prefix.size());
  if (!suffix.empty() && s.size() >= suffix.size() &&
      s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0)
    s.erase(s.size() - suffix.size());
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  double v = std::wcstod(s.c_str(), &end);
  if (!end || *end != 0 || v != v) return false;
  *value = v;
  return true;
}

}  // namespace

void CMyReportCtrl::UserChangedCell(int row, int column) {
  CMyReportRecordBase* rec = GetRowRecord(row);
  rec->SetModified(true);
  NoteRecordChanged(rec);
  ReportNotify nm = MakeNotify(REPORT_NM_VALUECHANGED, row, column);
  SendNotify(nm);
  RedrawControl();
}

bool CMyReportCtrl::OnCommitEdit(int row, int column, std::wstring_view text) {
  CMyReportRecordItem* item = GetCell(row, column);
  if (!item) return false;
  const ReportColumn& col = columns_[static_cast<size_t>(column)];
  bool changed = false;
  switch (item->Kind()) {
    case ReportItemKind::Text: {
      auto* t = static_cast<CMyReportRecordItemText*>(item);
      changed = t->text != text;
      t->text = std::wstring(text);
      break;
    }
    case ReportItemKind::Number: {
      auto* n = static_cast<CMyReportRecordItemNumber*>(item);
      double v = 0;
      if (!ParseEditedNumber(text, *n, &v)) return false;
      changed = n->value != v;
      n->value = v;
      break;
    }
    case ReportItemKind::Options: {
      auto* o = static_cast<CMyRecItemOptions*>(item);
      int64_t v = 0;
      if (!col.editOptions.constraints.FindValue(text, &v) &&
          !(col.editOptions.allowEdit && ParseDecimalInt64(text, &v)))
        return false;
      changed = o->value != v;
      o->value = v;
      break;
    }
    case ReportItemKind::Date:
    case ReportItemKind::Time: {
      auto* d = static_cast<CMyReportRecordItemDateTime*>(item);
      SYSTEMTIME t{};
      bool blank = true;
      for (wchar_t c : text) blank = blank && std::iswspace(c);
      if (!blank && !d->ParseCaption(text, &t)) return false;
      if (d->Kind() == ReportItemKind::Time && !blank) {
        // A time cell keeps the date it had.
        t.wYear = d->value.wYear;
        t.wMonth = d->value.wMonth;
        t.wDay = d->value.wDay;
      }
      changed = d->Compare(CMyReportRecordItemDateTime(d->Kind(), t, d->format), nullptr) != 0;
      d->value = t;
      break;
    }
    case ReportItemKind::Check:
      return false;
  }
  if (!changed) return true;
  UserChangedCell(row, column);
  return true;
}

bool CMyReportCtrl::OnCommitOption(int row, int column, int optionIndex) {
  const ReportColumn* col = GetColumn(column);
  if (!col || optionIndex < 0 ||
      optionIndex >= static_cast<int>(col->editOptions.constraints.Size()))
    return false;
  CMyReportRecordItem* item = GetCell(row, column);
  if (!item || item->Kind() != ReportItemKind::Options) return false;
  // Labels may repeat; the index decides the value.
  auto* o = static_cast<CMyRecItemOptions*>(item);
  int64_t v = col->editOptions.constraints.At(static_cast<size_t>(optionIndex)).value;
  if (o->value == v) return true;
  o->value = v;
  UserChangedCell(row, column);
  return true;
}

bool CMyReportCtrl::OnToggleCheck(int row, int column) {
  CMyReportRecordItem* item = GetCell(row, column);
  if (!item || item->Kind() != ReportItemKind::Check) return false;
  if (!OnRequestEdit(row, column)) return false;
  auto* c = static_cast<CMyReportRecordItemCheck*>(item);
  c->checked = !c->checked;
  CMyReportRecordBase* rec = GetRowRecord(row);
  rec->SetModified(true);
  NoteRecordChanged(rec);
  ReportNotify checked = MakeNotify(REPORT_NM_CHECKED, row, column);
  SendNotify(checked);
  ReportNotify value = MakeNotify(REPORT_NM_VALUECHANGED, row, column);
  SendNotify(value);
  RedrawControl();
  return true;
}

bool CMyReportCtrl::OnCellButton(int row, int column, int buttonIndex) {
  CMyReportRecordItem* item = GetCell(row, column);
  if (!item || buttonIndex < 0 || buttonIndex >= static_cast<int>(item->buttons.size()))
    return false;
  const ReportCellButton& b = item->buttons[static_cast<size_t>(buttonIndex)];
  if (b.state == 0) return false;
  ReportNotify nm = MakeNotify(REPORT_NM_ITEMBUTTONCLICK, row, column);
  nm.buttonId = b.id;
  SendNotify(nm);
  return true;
}

void CMyReportCtrl::OnToggleExpand(int row) {
  CMyReportRecordBase* rec = GetRowRecord(row);
  if (rec && rec->GetChildCount() > 0) SetExpanded(rec, !rec->IsExpanded());
}

void CMyReportCtrl::OnRightClick(int row, int column, POINT pt) {
  CMyReportRecordBase* rec = GetRowRecord(row);
  if (rec && !rec->IsSelected()) SelectRow(row);
  ReportNotify nm = MakeNotify(NM_RCLICK, row, column);
  nm.pt = pt;
  SendNotify(nm);
}

void CMyReportCtrl::OnDoubleClick(int row, int column, POINT pt) {
  ReportNotify nm = MakeNotify(NM_DBLCLK, row, column);
  nm.pt = pt;
  SendNotify(nm);
}

void CMyReportCtrl::OnHeaderClick(int column) {
  const ReportColumn* col = GetColumn(column);
  if (!col || !col->sortable) return;
  bool ascending = sortColumn_ == column ? !sortAscending_ : true;
  SetSortColumn(column, ascending);
  Populate();
  ReportNotify nm = MakeNotify(REPORT_NM_SORTCHANGED, -1, column);
  SendNotify(nm);
}

void CMyReportCtrl::OnHeaderRightClick(int column, POINT pt) {
  ReportNotify nm = MakeNotify(REPORT_NM_HEADER_RCLICK, -1, column);
  nm.pt = pt;
  SendNotify(nm);
}

void CMyReportCtrl::OnColumnResized(int column, int width) {
  ReportColumn* col = GetColumn(column);
  if (!col || width < 0) return;
  col->width = width;
  ReportNotify nm = MakeNotify(REPORT_NM_COLUMNCHANGED, -1, column);
  SendNotify(nm);
}

}  // namespace orv::ui
