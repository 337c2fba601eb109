#pragma once
// The tick list dialog: the owner's tick records in a grid that holds no rows of its own and
// builds each visible row from the bound vector when it is drawn. The dialog never owns the
// vector or its records; the row count is fixed at the last binding (RefreshTickList).

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <memory>

#include "plugin/monitor/core/TickRecords.h"
#include "plugin/view/ChildWindows.h"

class wxGrid;
class CLogGridTable;

// The grid of the tick list with its virtual-row table.
class CLogGridCtrl {
 public:
  explicit CLogGridCtrl(wxWindow* parent);
  wxGrid* Grid() const { return grid_; }
  // Binds the vector (null: none) and sets the row count to its current size.
  void SetTickData(TickRecordList* ticks);
  int RowCount() const;

 private:
  wxGrid* grid_;
  CLogGridTable* table_;
};

class CLogFileDlg : public CPelomarChildDialog {
 public:
  CLogFileDlg() = default;
  ~CLogFileDlg() override;

  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void ShowWindow(bool show) override;

  // The owner's vector of tick records (kept, never freed here); bound at the next refresh.
  void SetTickData(TickRecordList* ticks) { ticks_ = ticks; }
  // Rebinds the vector and, when asked to scroll and it is not empty, shows its last row.
  void RefreshTickList(bool scroll);

  wxDialog* Window() const { return dialog_.get(); }
  CLogGridCtrl* GridCtrl() const { return grid_.get(); }

 private:
  TickRecordList* ticks_ = nullptr;
  wxWeakRef<wxDialog> dialog_;
  std::unique_ptr<CLogGridCtrl> grid_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
