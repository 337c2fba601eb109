#pragma once
// A report-grid row: an object holding one item per column (item n is column n), optionally
// with child rows (a tree). Derive the program's rows from it and add items in column order.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/model/ReportItems.h"

namespace orv::ui {

class CMyReportCtrl;

class CMyReportRecordBase {
 public:
  CMyReportRecordBase();
  virtual ~CMyReportRecordBase();
  CMyReportRecordBase(const CMyReportRecordBase&) = delete;
  CMyReportRecordBase& operator=(const CMyReportRecordBase&) = delete;

  // Items, in column order. The row owns them.
  CMyReportRecordItem* AddItem(std::unique_ptr<CMyReportRecordItem> item);
  CMyReportRecordItemText* AddText(std::wstring text = {});
  CMyReportRecordItemNumber* AddNumber(double value, std::string_view format = {});
  CMyReportRecordItemCheck* AddCheck(bool checked);
  CMyRecItemOptions* AddOptions(int64_t value);
  CMyReportRecordItemDateTime* AddDate(const SYSTEMTIME& value, std::string format = kDateFormat);
  CMyReportRecordItemDateTime* AddTime(const SYSTEMTIME& value, std::string format = kTimeFormat);
  int GetItemCount() const {
    MakeItemsNow();
    return static_cast<int>(items_.size());
  }
  CMyReportRecordItem* GetItem(int index) const;
  // Whether the row's items exist (a row that makes them late has none until first read).
  bool ItemsMade() const { return !itemsLate_; }
  // Item `index` for a look that should not make the row's items (sorting, a cell's
  // attributes): the row's own when its items exist, else one made alone into `scratch` (or,
  // when the row offers none alone, the row's own after all, made now). Null when missing.
  const CMyReportRecordItem* PeekItem(int index,
                                      std::unique_ptr<CMyReportRecordItem>* scratch) const;

  // Values by item index. A setter answers false (and changes nothing) when the item is
  // missing or of another kind; a changed value marks the row for redraw. Getters of a missing
  // item answer 0, an empty text or false.
  double GetNumberValue(int index) const;
  bool SetNumberValue(int index, double value);
  std::wstring GetTextValue(int index) const;  // text items; other kinds: their caption
  bool SetTextValue(int index, std::wstring_view text);
  int64_t GetOptionsValue(int index) const;
  bool SetOptionsValue(int index, int64_t value);
  bool GetCheckValue(int index) const;
  bool SetCheckValue(int index, bool checked);
  SYSTEMTIME GetTimeValue(int index) const;
  bool SetTimeValue(int index, const SYSTEMTIME& value);
  bool SetItemTextColor(int index, COLORREF color);
  bool SetItemBackColor(int index, COLORREF color);
  bool SetItemEditable(int index, bool editable);
  // The caption a cell shows (option items through the owning grid's column list).
  std::wstring GetItemCaption(int index) const;

  // The user changed this row (set by edits; cleared by the owner after saving).
  bool IsModified() const { return modified_; }
  void SetModified(bool modified = true) { modified_ = modified; }

  // A hidden row is left out when the grid is populated.
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }

  // Tree rows. Children are owned by their parent.
  CMyReportRecordBase* AddChild(std::unique_ptr<CMyReportRecordBase> child);
  CMyReportRecordBase* AddChild(CMyReportRecordBase* child) {
    return AddChild(std::unique_ptr<CMyReportRecordBase>(child));
  }
  int GetChildCount() const { return static_cast<int>(children_.size()); }
  CMyReportRecordBase* GetChild(int index) const;
  CMyReportRecordBase* GetParentRecord() const { return parent_; }
  bool IsExpanded() const { return expanded_; }
  void SetExpanded(bool expanded) { expanded_ = expanded; }
  int GetDepth() const;

  bool IsSelected() const { return selected_; }
  // The shown row index in the owning grid, -1 when not shown.
  int GetRowIndex() const { return rowIndex_; }
  CMyReportCtrl* GetGrid() const;

  // Marks the row for the next redraw of changed rows.
  void Invalidate();
  // Marks one item (its cells) for the next redraw; the rest of the row stays as drawn.
  void InvalidateItem(int index);

 protected:
  // A row of a large grid may make its items late, when it is first drawn or read, instead of
  // when it is made: most rows of a long list are never scrolled into view. Such a row calls
  // MakeItemsLate() in its constructor and overrides MakeItems, which adds every item (AddText,
  // AddNumber...) and runs once, before the first item is read, written or added.
  void MakeItemsLate() { itemsLate_ = true; }
  virtual void MakeItems() {}
  // Room for `count` items, for a row that knows how many it adds.
  void ReserveItems(size_t count) { items_.reserve(count); }
  // One item of a row whose items are not made yet, made on its own and not kept (sorting
  // compares one column over every row without making whole rows). Null: not offered, the
  // row's items are made instead.
  virtual std::unique_ptr<CMyReportRecordItem> MakeLoneItem(int index) const;

 private:
  friend class CMyReportCtrl;
  void MakeItemsNow() const;
  template <class T>
  T* ItemAs(int index, ReportItemKind kind) const;
  void AttachTo(CMyReportCtrl* grid, CMyReportRecordBase* parent);

  std::vector<std::unique_ptr<CMyReportRecordItem>> items_;
  std::vector<std::unique_ptr<CMyReportRecordBase>> children_;
  CMyReportCtrl* grid_ = nullptr;
  CMyReportRecordBase* parent_ = nullptr;
  int rowIndex_ = -1;
  bool visible_ = true;
  bool expanded_ = false;
  bool modified_ = false;
  bool selected_ = false;
  bool footer_ = false;
  bool itemsLate_ = false;  // the items wait for MakeItems
};

}  // namespace orv::ui
