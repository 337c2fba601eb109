#pragma once
// The recommended profit-rate dialog: the profit and stop-loss rate table in a grid, one row
// per band ("label=value,check,value,comment;"), edited by the user and applied after a
// confirming question.

#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

class wxGrid;

// One row of the table.
struct ProfitRateRow_s {
  std::wstring label;
  std::wstring value1;
  bool check = false;
  std::wstring value2;
  std::wstring comment;
};

// Splits the table text into rows; a row without '=' is skipped.
std::vector<ProfitRateRow_s> SplitProfitRateTable(const std::wstring& text);
// The text of rows, each "label=value1,check,value2,comment;".
std::wstring JoinProfitRateTable(const std::vector<ProfitRateRow_s>& rows);

class CProfitRateDialog : public wxDialog {
 public:
  CProfitRateDialog(wxWindow* parent, double scale);

  // Runs with the edited table after the user confirmed it.
  void SetApply(std::function<void(const std::wstring&)> apply) { apply_ = std::move(apply); }
  void SetTable(const std::wstring& text);
  // The table as the grid holds it now.
  std::wstring Table() const;
  // The "적용" button: asks the question and, on yes, applies the table and hides the dialog.
  // Answers whether it was applied.
  bool ApplyTable();

 private:
  void FitColumns();
  void FitToColumns();

  wxGrid* grid_ = nullptr;
  int widths_[5] = {};
  int height_ = 400;
  std::function<void(const std::wstring&)> apply_;
};
