#include "platform/ui/model/ReportRecord.h"

#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui {

CMyReportRecordBase::CMyReportRecordBase() = default;
CMyReportRecordBase::~CMyReportRecordBase() = default;

void CMyReportRecordBase::MakeItemsNow() const {
  if (!itemsLate_) return;
  // Cleared first: MakeItems adds its items through AddItem, which comes back here.
  auto* self = const_cast<CMyReportRecordBase*>(this);
  self->itemsLate_ = false;
  self->MakeItems();
}

std::unique_ptr<CMyReportRecordItem> CMyReportRecordBase::MakeLoneItem(int) const {
  return nullptr;
}

const CMyReportRecordItem* CMyReportRecordBase::PeekItem(
    int index, std::unique_ptr<CMyReportRecordItem>* scratch) const {
  if (itemsLate_ && scratch) {
    *scratch = MakeLoneItem(index);
    if (*scratch) return scratch->get();
  }
  return GetItem(index);
}

CMyReportRecordItem* CMyReportRecordBase::AddItem(std::unique_ptr<CMyReportRecordItem> item) {
  MakeItemsNow();
  items_.push_back(std::move(item));
  return items_.back().get();
}

CMyReportRecordItemText* CMyReportRecordBase::AddText(std::wstring text) {
  auto* item = new CMyReportRecordItemText(std::move(text));
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyReportRecordItemNumber* CMyReportRecordBase::AddNumber(double value, std::string_view format) {
  auto* item = new CMyReportRecordItemNumber(value, format);
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyReportRecordItemCheck* CMyReportRecordBase::AddCheck(bool checked) {
  auto* item = new CMyReportRecordItemCheck(checked);
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyRecItemOptions* CMyReportRecordBase::AddOptions(int64_t value) {
  auto* item = new CMyRecItemOptions(value);
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyReportRecordItemDateTime* CMyReportRecordBase::AddDate(const SYSTEMTIME& value,
                                                          std::string format) {
  auto* item = new CMyReportRecordItemDateTime(ReportItemKind::Date, value, std::move(format));
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyReportRecordItemDateTime* CMyReportRecordBase::AddTime(const SYSTEMTIME& value,
                                                          std::string format) {
  auto* item = new CMyReportRecordItemDateTime(ReportItemKind::Time, value, std::move(format));
  AddItem(std::unique_ptr<CMyReportRecordItem>(item));
  return item;
}

CMyReportRecordItem* CMyReportRecordBase::GetItem(int index) const {
  MakeItemsNow();
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

template <class T>
T* CMyReportRecordBase::ItemAs(int index, ReportItemKind kind) const {
  CMyReportRecordItem* item = GetItem(index);
  if (!item || item->Kind() != kind) return nullptr;
  return static_cast<T*>(item);
}

double CMyReportRecordBase::GetNumberValue(int index) const {
  auto* item = ItemAs<CMyReportRecordItemNumber>(index, ReportItemKind::Number);
  return item ? item->value : 0.0;
}

bool CMyReportRecordBase::SetNumberValue(int index, double value) {
  auto* item = ItemAs<CMyReportRecordItemNumber>(index, ReportItemKind::Number);
  if (!item) return false;
  if (item->value != value) {
    item->value = value;
    InvalidateItem(index);
  }
  return true;
}

std::wstring CMyReportRecordBase::GetTextValue(int index) const {
  auto* item = ItemAs<CMyReportRecordItemText>(index, ReportItemKind::Text);
  if (item) return item->text;
  return GetItemCaption(index);
}

bool CMyReportRecordBase::SetTextValue(int index, std::wstring_view text) {
  auto* item = ItemAs<CMyReportRecordItemText>(index, ReportItemKind::Text);
  if (!item) return false;
  if (item->text != text) {
    item->text = std::wstring(text);
    InvalidateItem(index);
  }
  return true;
}

int64_t CMyReportRecordBase::GetOptionsValue(int index) const {
  auto* item = ItemAs<CMyRecItemOptions>(index, ReportItemKind::Options);
  return item ? item->value : 0;
}

bool CMyReportRecordBase::SetOptionsValue(int index, int64_t value) {
  auto* item = ItemAs<CMyRecItemOptions>(index, ReportItemKind::Options);
  if (!item) return false;
  if (item->value != value) {
    item->value = value;
    InvalidateItem(index);
  }
  return true;
}

bool CMyReportRecordBase::GetCheckValue(int index) const {
  auto* item = ItemAs<CMyReportRecordItemCheck>(index, ReportItemKind::Check);
  return item && item->checked;
}

bool CMyReportRecordBase::SetCheckValue(int index, bool checked) {
  auto* item = ItemAs<CMyReportRecordItemCheck>(index, ReportItemKind::Check);
  if (!item) return false;
  if (item->checked != checked) {
    item->checked = checked;
    InvalidateItem(index);
  }
  return true;
}

SYSTEMTIME CMyReportRecordBase::GetTimeValue(int index) const {
  auto* item = dynamic_cast<CMyReportRecordItemDateTime*>(GetItem(index));
  return item ? item->value : SYSTEMTIME{};
}

bool CMyReportRecordBase::SetTimeValue(int index, const SYSTEMTIME& value) {
  auto* item = dynamic_cast<CMyReportRecordItemDateTime*>(GetItem(index));
  if (!item) return false;
  const SYSTEMTIME& old = item->value;
  // The rows set their times on every quote pass: an unchanged time is not redrawn.
  if (old.wYear != value.wYear || old.wMonth != value.wMonth || old.wDay != value.wDay ||
      old.wDayOfWeek != value.wDayOfWeek || old.wHour != value.wHour ||
      old.wMinute != value.wMinute || old.wSecond != value.wSecond ||
      old.wMilliseconds != value.wMilliseconds) {
    item->value = value;
    InvalidateItem(index);
  }
  return true;
}

bool CMyReportRecordBase::SetItemTextColor(int index, COLORREF color) {
  CMyReportRecordItem* item = GetItem(index);
  if (!item) return false;
  if (item->textColor != color) {
    item->textColor = color;
    InvalidateItem(index);
  }
  return true;
}

bool CMyReportRecordBase::SetItemBackColor(int index, COLORREF color) {
  CMyReportRecordItem* item = GetItem(index);
  if (!item) return false;
  if (item->backColor != color) {
    item->backColor = color;
    InvalidateItem(index);
  }
  return true;
}

bool CMyReportRecordBase::SetItemEditable(int index, bool editable) {
  CMyReportRecordItem* item = GetItem(index);
  if (!item) return false;
  item->editable = editable;
  return true;
}

std::wstring CMyReportRecordBase::GetItemCaption(int index) const {
  CMyReportRecordItem* item = GetItem(index);
  if (!item) return {};
  const COptionList* options = nullptr;
  if (CMyReportCtrl* grid = GetGrid()) {
    if (const ReportColumn* col = grid->FindColumnByItem(index))
      options = &col->editOptions.constraints;
  }
  return item->GetCaption(options);
}

CMyReportRecordBase* CMyReportRecordBase::AddChild(std::unique_ptr<CMyReportRecordBase> child) {
  if (!child) return nullptr;
  child->AttachTo(GetGrid(), this);
  children_.push_back(std::move(child));
  return children_.back().get();
}

CMyReportRecordBase* CMyReportRecordBase::GetChild(int index) const {
  if (index < 0 || index >= static_cast<int>(children_.size())) return nullptr;
  return children_[static_cast<size_t>(index)].get();
}

int CMyReportRecordBase::GetDepth() const {
  int depth = 0;
  for (const CMyReportRecordBase* p = parent_; p; p = p->parent_) ++depth;
  return depth;
}

CMyReportCtrl* CMyReportRecordBase::GetGrid() const { return grid_; }

void CMyReportRecordBase::Invalidate() {
  if (grid_) grid_->NoteRecordChanged(this);
}

void CMyReportRecordBase::InvalidateItem(int index) {
  if (grid_) grid_->NoteItemChanged(this, index);
}

void CMyReportRecordBase::AttachTo(CMyReportCtrl* grid, CMyReportRecordBase* parent) {
  grid_ = grid;
  parent_ = parent;
  for (auto& child : children_) child->AttachTo(grid, this);
}

}  // namespace orv::ui
